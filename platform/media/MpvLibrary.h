// libmpv, opened the first time a player needs it.
//
// libmpv pulls in about two hundred libraries of its own (decoders, drawing,
// sound). Linking it would make the dynamic loader resolve all of them before
// the program's first line runs, although the browser window needs none of
// them; so the program opens the library at run time and reaches it only
// through this table. The header of the general library still gives the types
// and constants.
//
// The library is opened with its symbols kept local to it and never closed:
// mpv's threads and the pointers in the table live until the process ends.
// A library that is missing or lacks a function leaves no table, and one line
// on standard error says which library and why; the players then fail the
// way they do when mpv cannot start.
#pragma once

#include <mpv/client.h>

#include <string>

namespace platform {

// The name the system's libmpv 0.35 and later has under Debian.
inline constexpr char kMpvLibrary[] = "libmpv.so.2";

// Every libmpv function this program calls.
struct MpvApi {
    decltype(&mpv_create) create = nullptr;
    decltype(&mpv_initialize) initialize = nullptr;
    decltype(&mpv_set_option_string) set_option_string = nullptr;
    decltype(&mpv_set_property) set_property = nullptr;
    decltype(&mpv_get_property) get_property = nullptr;
    decltype(&mpv_get_property_string) get_property_string = nullptr;
    decltype(&mpv_observe_property) observe_property = nullptr;
    decltype(&mpv_command) command = nullptr;
    decltype(&mpv_command_async) command_async = nullptr;
    decltype(&mpv_command_ret) command_ret = nullptr;
    decltype(&mpv_wait_event) wait_event = nullptr;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&mpv_free) free = nullptr;
    decltype(&mpv_free_node_contents) free_node_contents = nullptr;
};

// The table of `library` (kMpvLibrary when empty), opened on the first call
// for that name and kept for every later one; nullptr when it cannot be had.
// Safe to call from any thread.
const MpvApi* Mpv(const std::string& library = {});

} // namespace platform
