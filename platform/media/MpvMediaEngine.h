// The media window's playback engine over libmpv.
//
// RenderFile loads a file paused and waits, with a time limit, until mpv has
// opened it and sized its picture (or found it has none, or failed), so the
// window can size itself right after the call. mpv keeps the last frame at
// the end of a file, and the position then reads as the duration, which is
// how the window sees that a file has ended.
//
// The picture is drawn into a VideoSurface, a child of the owner widget. The
// engine shuts mpv down before that surface's window goes, whichever of the
// two is destroyed first.
#pragma once

#include "platform/media/MediaEngine.h"
#include "platform/media/MpvCore.h"
#include "platform/media/MpvViewerControls.h"
#include "platform/media/SeekTracker.h"
#include "platform/media/VideoSurface.h"

#include <QPointer>

#include <chrono>
#include <memory>

namespace platform {

class MpvMediaEngine : public MediaEngine {
public:
    MpvMediaEngine(QWidget* owner, const MpvOptions& options);
    ~MpvMediaEngine() override;
    MpvMediaEngine(const MpvMediaEngine&) = delete;
    MpvMediaEngine& operator=(const MpvMediaEngine&) = delete;

    // How long RenderFile may wait for a file to open before giving up.
    static constexpr std::chrono::milliseconds kRenderLimit{5000};
    // How long SetCurrentPosition waits for the picture at the new position.
    static constexpr std::chrono::milliseconds kSeekLimit{1000};

    // false when libmpv could not be started; every call then fails.
    bool IsUsable() const { return core_ != nullptr; }

    bool RenderFile(const QString& path) override;
    bool AttachVideo() override;
    bool Run() override;
    bool Pause() override;
    bool Stop() override;
    std::optional<double> Duration() const override;
    std::optional<double> CurrentPosition() const override;
    bool SetCurrentPosition(double seconds) override;
    std::optional<int> VideoWidth() const override;
    std::optional<int> VideoHeight() const override;
    bool SetVideoWidth(int pixels) override;
    bool SetVideoHeight(int pixels) override;
    bool SetWindowPosition(int left, int top, int width, int height) override;
    ViewerControls* Controls() override { return core_ ? &controls_ : nullptr; }

    // Waits until the first picture (or, for sound, the first sample) of the
    // rendered file has been presented. Used to measure opening times.
    bool WaitForFirstFrame(std::chrono::milliseconds limit);

    // How the rendered file is decoded: the hardware decoding asked for and
    // the decoder mpv took ("no" when it decodes in software). Empty texts
    // when nothing is rendered.
    struct Decoding {
        QString requested;
        QString inUse;
    };
    Decoding CurrentDecoding() const;

    // The surface the picture is drawn in (for tests and layout checks).
    QWidget* Surface() const { return surface_; }

private:
    // What mpv has told about the file asked for last. Events of an earlier
    // file may still be on their way when a new one is asked for; only news
    // of the entry mpv gave the new file counts.
    struct Progress {
        std::int64_t entryId = 0;  // mpv's playlist entry of the file asked for
        bool started = false;
        bool loaded = false;
        bool reconfigured = false;
        bool ended = false;
        int restarts = 0;
    };

    // Reads kept while nothing can move the position; see HoldWhilePaused.
    struct HeldReads {
        std::optional<std::optional<double>> duration;
        std::optional<std::optional<double>> position;
    };

    void OnNotice(const MpvNotice& notice);
    void Unload();
    void ShutDown();
    // Keeps a read while playback is paused, so that the window's 10 ms tick
    // does not wake mpv's core thread for the same answer a hundred times a
    // second. While paused the position and the duration change only through
    // this engine's own commands or through news from mpv (a seek landing,
    // the end of the file), and each of those forgets what was kept.
    std::optional<double> HoldWhilePaused(std::optional<std::optional<double>>& slot,
                                          std::optional<double> value) const;
    void Forget() const { held_ = HeldReads{}; }

    std::unique_ptr<MpvCore> core_;
    MpvViewerControls controls_{core_};
    QPointer<VideoSurface> surface_;
    Progress progress_;
    SeekTracker seeks_;
    bool expectingStart_ = false;
    bool rendered_ = false;
    bool hasVideo_ = false;
    bool paused_ = false;  // paused by this engine, as far as it knows
    // The last seek went to the end (or past it). mpv then shows the last
    // frame, whose time is a frame short of the duration, and while paused
    // it never reports the end; the position reads as the duration until
    // another seek or another file.
    bool seekedToEnd_ = false;
    // mpv has reached the end of the file, as its observed eof-reached says.
    bool eofReached_ = false;
    // The duration as mpv last told it.
    std::optional<double> knownDuration_;
    mutable HeldReads held_;
};

} // namespace platform
