// The streaming window's playback engine over libmpv.
//
// The source is resolved by our own code (RamFile): "file://" paths are
// taken literally and .ram metafiles are read here, so mpv only ever gets an
// absolute local path or a network address. Play states follow mpv's events
// and properties:
//   1 when a file starts opening, 2 while mpv waits for data,
//   3 playing, 4 paused, 5 while a seek is under way,
//   0 when the clip ended, failed or was stopped (or the source was unusable).
// ClipOpened comes once per clip, when the picture size is known (at once
// for a clip without video, with size 0 x 0), before the first state 3.
// Notifications are emitted from the event loop only, never inside a call,
// and a slot may destroy the engine while it is being notified.
#pragma once

#include "platform/media/MpvCore.h"
#include "platform/media/MpvViewerControls.h"
#include "platform/media/StreamingEngine.h"
#include "platform/media/VideoSurface.h"

#include "platform/media/SeekTracker.h"

#include <QPointer>

#include <memory>

namespace platform {

class MpvStreamingEngine : public StreamingEngine {
    Q_OBJECT
public:
    MpvStreamingEngine(QWidget* pictureArea, const MpvOptions& options);
    ~MpvStreamingEngine() override;

    bool IsUsable() const { return core_ != nullptr; }

    void SetSource(const QString& source) override;
    void DoPlay() override;
    void DoPause() override;
    std::optional<int> ClipWidth() const override;
    std::optional<int> ClipHeight() const override;
    std::optional<double> Position() const override;
    std::optional<double> Length() const override;
    void Seek(double seconds) override;
    ViewerControls* Controls() override { return core_ ? &controls_ : nullptr; }

    // The last play state notified; -1 before the first.
    int State() const { return state_; }
    // Why the last source could not be played; empty when it could.
    QString SourceError() const { return sourceError_; }
    QWidget* Surface() const { return surface_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnNotice(const MpvNotice& notice);
    void ClipHasOpened();
    void UpdatePlayingState();
    void SetState(int state);
    void ShutDown();

    std::unique_ptr<MpvCore> core_;
    MpvViewerControls controls_{core_};
    QPointer<QWidget> pictureArea_;
    QPointer<VideoSurface> surface_;
    QString source_;
    QString sourceError_;
    std::int64_t entryId_ = 0;      // mpv's id of the clip asked for last
    bool expectingStart_ = false;   // a load was sent, its start not yet seen
    bool started_ = false;          // the start of the clip asked for last was seen
    SeekTracker seeks_;
    double seekTarget_ = 0;         // where the latest seek goes, while it lands
    bool active_ = false;           // a clip is loading or loaded
    bool loaded_ = false;
    bool opened_ = false;           // ClipOpened was sent for this clip
    bool paused_ = false;
    bool buffering_ = false;
    bool seeking_ = false;
    int clipWidth_ = 0;
    int clipHeight_ = 0;
    int state_ = -1;
};

} // namespace platform
