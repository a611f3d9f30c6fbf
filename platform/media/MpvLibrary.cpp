#include "platform/media/MpvLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

namespace platform {

namespace {

// Opens `library` and looks up every function; nullptr after one line on
// standard error when either fails.
std::unique_ptr<MpvApi> Open(const std::string& library)
{
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "vidrolle2nd: cannot load %s: %s\n", library.c_str(), why ? why : "unknown error");
        return nullptr;
    }
    auto api = std::make_unique<MpvApi>();
    bool complete = true;
    const auto find = [&](auto& slot, const char* name) {
        if (!complete)
            return;
        ::dlerror();
        void* symbol = ::dlsym(handle, name);
        if (!symbol) {
            const char* why = ::dlerror();
            std::fprintf(stderr, "vidrolle2nd: cannot load %s: %s\n", library.c_str(),
                         why ? why : name);
            complete = false;
            return;
        }
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(symbol);
    };
    find(api->create, "mpv_create");
    find(api->initialize, "mpv_initialize");
    find(api->set_option_string, "mpv_set_option_string");
    find(api->set_property, "mpv_set_property");
    find(api->get_property, "mpv_get_property");
    find(api->get_property_string, "mpv_get_property_string");
    find(api->observe_property, "mpv_observe_property");
    find(api->command, "mpv_command");
    find(api->command_async, "mpv_command_async");
    find(api->command_ret, "mpv_command_ret");
    find(api->wait_event, "mpv_wait_event");
    find(api->set_wakeup_callback, "mpv_set_wakeup_callback");
    find(api->terminate_destroy, "mpv_terminate_destroy");
    find(api->free, "mpv_free");
    find(api->free_node_contents, "mpv_free_node_contents");
    if (!complete) {
        // Nothing of a library without the functions has run; it can go.
        ::dlclose(handle);
        return nullptr;
    }
    return api;
}

} // namespace

const MpvApi* Mpv(const std::string& library)
{
    const std::string name = library.empty() ? std::string(kMpvLibrary) : library;
    // Never destroyed, like the libraries themselves: a player may still be
    // shutting down while static objects go at exit. A failed name is kept
    // too, so that its reason is printed once.
    static auto* lock = new std::mutex;
    static auto* opened = new std::map<std::string, std::unique_ptr<MpvApi>>;
    const std::lock_guard<std::mutex> hold(*lock);
    auto found = opened->find(name);
    if (found == opened->end())
        found = opened->emplace(name, Open(name)).first;
    return found->second.get();
}

} // namespace platform
