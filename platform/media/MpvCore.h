// One libmpv player instance, shared by the two playback engines.
//
// The core owns the mpv handle and sets every option that must be fixed
// before mpv starts: no user configuration, scripts, key bindings or
// on-screen controller, so that a file or metafile can never run code and the
// program keeps all keys to itself. It observes one table of properties and
// turns mpv's events into small `MpvNotice` values handed to one handler.
//
// mpv signals new events from its own threads through the wakeup callback.
// That callback only queues a drain on the GUI thread; the drain empties the
// event queue there. A synchronous wait (`WaitUntil`) lets the media engine
// block, with a time limit, until a file is ready. The handler may destroy
// the core's owner (and so the core); the drain notices and stops at once.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_event;

namespace platform {
struct MpvApi;
}

namespace platform {

// How the engines show pictures and play sound.
struct MpvOptions {
    bool nullVideo = false;  // decode, but draw nothing (tests, no display)
    bool nullAudio = false;  // decode, but play no sound
    // mpv's video output list when nullVideo is false. "gpu,x11" takes the GPU
    // output on a desktop and falls back to plain X11 drawing where only a
    // software renderer exists (a virtual X server).
    QByteArray videoOutput = "gpu,x11";
    // The GPU output's drawing context. The picture goes into a native X11
    // window, so only an X11 context can draw it; mpv's own probing would
    // also try Wayland first, and a failed Wayland probe closes file
    // descriptor 0 (mpv 0.35), which by then may be another connection of
    // this process, such as the next player's X11 connection.
    QByteArray gpuContext = "x11egl";
    // mpv's hardware decoding choice. "auto-safe" uses the video hardware
    // only through decoders mpv knows to be reliable and decodes in software
    // where there is none, so a laptop saves power and nothing breaks.
    QByteArray hardwareDecoding = "auto-safe";
    // The libmpv to open; empty for the system's (see MpvLibrary.h). Tests
    // name a missing one to see a player that cannot start.
    QByteArray library;
    // The languages whose sound and subtitle tracks are chosen first, in
    // mpv's list form ("ja,jpn,en,eng"); empty leaves mpv's own choice.
    QByteArray languages;
};

// The properties every core observes. Their values arrive as notices.
enum class MpvProperty : std::uint64_t {
    Pause = 1,
    PausedForCache,
    EofReached,
    Duration,
};

// One mpv event, reduced to what the engines act on.
struct MpvNotice {
    enum class Kind {
        StartFile,
        FileLoaded,
        VideoReconfig,
        Seek,
        PlaybackRestart,
        EndFile,
        PropertyChange,
        CommandReply,
        Shutdown,
    };
    Kind kind = Kind::Shutdown;
    std::int64_t entryId = 0;   // StartFile, EndFile: mpv's playlist entry id
    bool endedByError = false;  // EndFile: loading or playing failed
    bool endedAtEof = false;    // EndFile: the file played to its end
    MpvProperty property = MpvProperty::Pause;  // PropertyChange
    std::optional<double> value;  // PropertyChange: flags read as 0/1; nullopt when unavailable
    std::uint64_t replyId = 0;    // CommandReply: the id given to CommandAsync
    bool failed = false;          // CommandReply: mpv could not carry the command out
};

// A picture of w x h turned by `degrees` clockwise: its sides swap for a
// quarter or three-quarter turn.
QSize SizeAfterRotation(int width, int height, std::int64_t degrees);

class MpvCore : public QObject {
    Q_OBJECT
public:
    using NoticeHandler = std::function<void(const MpvNotice&)>;

    // Creates and initialises a core. `windowId` is the native window mpv
    // draws into; without it (or with nullVideo) nothing is drawn. nullptr
    // when libmpv cannot be loaded or started.
    static std::unique_ptr<MpvCore> Create(const MpvOptions& options, bool keepOpen,
                                           std::optional<quintptr> windowId);
    ~MpvCore() override;
    MpvCore(const MpvCore&) = delete;
    MpvCore& operator=(const MpvCore&) = delete;

    void SetNoticeHandler(NoticeHandler handler) { handler_ = std::move(handler); }

    // Runs an mpv command (argument list, no quoting). false on error.
    bool Command(std::initializer_list<const char*> args);
    // Replaces whatever is playing with `target`. Returns the playlist entry
    // id mpv gave the new file, so that its StartFile and EndFile can be told
    // from those of an earlier file still on their way; 0 when mpv gave none,
    // nullopt when it refused the command.
    std::optional<std::int64_t> LoadFile(const QByteArray& target);
    // Hands a command to mpv without waiting for it. Its CommandReply notice,
    // carrying `replyId`, comes after every event that mpv sent before it
    // carried the command out and before every event that the command
    // caused, so it tells old news from the command's own. false when mpv
    // refused to take the command.
    bool CommandAsync(std::uint64_t replyId, std::initializer_list<const char*> args);
    bool SetFlag(const char* name, bool value);
    bool SetDouble(const char* name, double value);
    bool SetString(const char* name, const char* value);

    std::optional<double> GetDouble(const char* name) const;
    std::optional<std::int64_t> GetInt(const char* name) const;
    std::optional<bool> GetFlag(const char* name) const;
    std::optional<QString> GetString(const char* name) const;

    // The size of the picture as it is shown: after the pixel aspect and
    // the film's rotation (a phone's upright film stored on its side), from
    // the video output's parameters; nothing before the output is set up.
    std::optional<QSize> ShownPictureSize() const;

    // Whether the loaded file has a selected video track that is a moving
    // picture (cover art does not count).
    bool HasVideoTrack() const;

    // Handles events on the calling thread until `done` holds or `limit` has
    // passed; false on time-out. Must not be called from the notice handler.
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // Empties mpv's event queue, handing every event to the handler. Runs
    // from the event loop; safe when the handler destroys this core.
    void Drain();

private:
    MpvCore(const MpvApi& api, mpv_handle* handle);
    static void Wakeup(void* context);
    void Dispatch(const mpv_event& event);

    const MpvApi& mpv_;
    mpv_handle* handle_ = nullptr;
    NoticeHandler handler_;
    std::atomic<bool> drainQueued_{false};
    bool waiting_ = false;
};

} // namespace platform
