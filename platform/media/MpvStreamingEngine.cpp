#include "platform/media/MpvStreamingEngine.h"

#include "platform/system/FileNameBytes.h"
#include "platform/media/RamFile.h"

#include <QEvent>

namespace platform {

MpvStreamingEngine::MpvStreamingEngine(QWidget* pictureArea, const MpvOptions& options)
    : pictureArea_(pictureArea), surface_(new VideoSurface(pictureArea, !options.nullVideo))
{
    core_ = MpvCore::Create(options, /*keepOpen=*/false, surface_->NativeId());
    if (core_)
        core_->SetNoticeHandler([this](const MpvNotice& notice) { OnNotice(notice); });
    surface_->SetBeforeDestroy([this] { ShutDown(); });
    // The picture fills the picture area, whatever size the window gives it.
    if (pictureArea_) {
        surface_->setGeometry(pictureArea_->rect());
        surface_->show();
        pictureArea_->installEventFilter(this);
    }
}

MpvStreamingEngine::~MpvStreamingEngine()
{
    if (pictureArea_)
        pictureArea_->removeEventFilter(this);
    if (surface_)
        surface_->SetBeforeDestroy(nullptr);
    ShutDown();
    delete surface_.data();
}

void MpvStreamingEngine::ShutDown()
{
    active_ = false;
    loaded_ = false;
    core_.reset();
}

bool MpvStreamingEngine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pictureArea_ && event->type() == QEvent::Resize && surface_)
        surface_->setGeometry(pictureArea_->rect());
    return StreamingEngine::eventFilter(watched, event);
}

void MpvStreamingEngine::SetSource(const QString& source)
{
    if (source == source_)
        return;
    source_ = source;
    // A new source replaces the clip being played; the old clip's end is
    // not reported, since the window asked for the change itself.
    if (active_ && core_)
        core_->Command({"stop"});
    active_ = false;
    loaded_ = false;
    opened_ = false;
    entryId_ = 0;
    expectingStart_ = started_ = false;
    seeks_.SettleAll();
}

void MpvStreamingEngine::DoPlay()
{
    if (active_) {
        core_->SetFlag("pause", false);
        return;
    }
    const SourceResult resolved = core_ ? ResolveSource(source_)
                                        : SourceResult{std::nullopt, QStringLiteral("no player")};
    sourceError_ = resolved.error;
    bool started = false;
    if (resolved.target) {
        const QByteArray location = resolved.target->kind == PlayTarget::Kind::LocalFile
                                        ? NameToBytes(resolved.target->location)
                                        : resolved.target->location.toUtf8();
        loaded_ = opened_ = seeking_ = buffering_ = paused_ = started_ = false;
        clipWidth_ = clipHeight_ = 0;
        entryId_ = 0;
        seeks_.SettleAll();
        // mpv names the entry of the new clip, so that the start and end of
        // a clip it was still closing cannot pass for the new one's.
        const std::optional<std::int64_t> entryId =
            core_->SetFlag("pause", false) ? core_->LoadFile(location) : std::nullopt;
        started = entryId.has_value();
        entryId_ = entryId.value_or(0);
        active_ = expectingStart_ = started;
    }
    if (!started) {
        // Told from the event loop, like every other notification: opening
        // was tried and has already stopped.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QPointer<MpvStreamingEngine> self(this);
                SetState(1);
                if (self)
                    SetState(0);
            },
            Qt::QueuedConnection);
    }
}

void MpvStreamingEngine::DoPause()
{
    if (active_)
        core_->SetFlag("pause", true);
}

std::optional<int> MpvStreamingEngine::ClipWidth() const
{
    if (!opened_)
        return std::nullopt;
    return clipWidth_;
}

std::optional<int> MpvStreamingEngine::ClipHeight() const
{
    if (!opened_)
        return std::nullopt;
    return clipHeight_;
}

std::optional<double> MpvStreamingEngine::Position() const
{
    if (!loaded_)
        return std::nullopt;
    // Until the seek has landed mpv still reports where it was; the slider
    // and the status bar show where the user asked to go.
    if (seeks_.Pending())
        return seekTarget_;
    return core_->GetDouble("time-pos");
}

std::optional<double> MpvStreamingEngine::Length() const
{
    if (!loaded_)
        return std::nullopt;
    return core_->GetDouble("duration");
}

void MpvStreamingEngine::Seek(double seconds)
{
    if (!loaded_)
        return;
    seekTarget_ = std::max(seconds, 0.0);
    if (const std::optional<double> length = core_->GetDouble("duration"))
        seekTarget_ = std::min(seekTarget_, *length);
    const QByteArray target = QByteArray::number(seekTarget_, 'f', 6);
    const SeekTracker::Ticket ticket = seeks_.Request();
    if (!core_->CommandAsync(ticket, {"seek", target.constData(), "absolute+exact"}))
        seeks_.Answered(ticket, /*failed=*/true);
}

void MpvStreamingEngine::OnNotice(const MpvNotice& notice)
{
    switch (notice.kind) {
    case MpvNotice::Kind::StartFile:
        if (!expectingStart_ || (entryId_ != 0 && notice.entryId != entryId_))
            return;
        expectingStart_ = false;
        started_ = true;
        entryId_ = notice.entryId;
        SetState(1);
        return;
    case MpvNotice::Kind::FileLoaded:
        if (!active_ || !started_)
            return;
        loaded_ = true;
        // Without a picture there is no size to wait for.
        if (!core_->HasVideoTrack())
            ClipHasOpened();
        return;
    case MpvNotice::Kind::VideoReconfig: {
        if (!loaded_ || opened_)
            return;
        const std::optional<QSize> shown = core_->ShownPictureSize();
        if (!shown)
            return;
        clipWidth_ = shown->width();
        clipHeight_ = shown->height();
        ClipHasOpened();
        return;
    }
    case MpvNotice::Kind::Seek:
        seeks_.SeekBegun();
        if (!loaded_)
            return;
        seeking_ = true;
        UpdatePlayingState();
        return;
    case MpvNotice::Kind::PlaybackRestart:
        seeks_.PlaybackRestarted();
        seeking_ = false;
        UpdatePlayingState();
        return;
    case MpvNotice::Kind::EndFile:
        if (!started_ || notice.entryId != entryId_)
            return;
        active_ = loaded_ = seeking_ = started_ = false;
        entryId_ = 0;
        seeks_.SettleAll();
        SetState(0);
        return;
    case MpvNotice::Kind::CommandReply:
        seeks_.Answered(notice.replyId, notice.failed);
        return;
    case MpvNotice::Kind::PropertyChange:
        if (notice.property == MpvProperty::Pause)
            paused_ = notice.value.value_or(0) != 0;
        else if (notice.property == MpvProperty::PausedForCache)
            buffering_ = notice.value.value_or(0) != 0;
        else
            return;
        UpdatePlayingState();
        return;
    case MpvNotice::Kind::Shutdown:
        return;
    }
}

void MpvStreamingEngine::ClipHasOpened()
{
    opened_ = true;
    const QString title = core_->GetString("media-title").value_or(QString());
    const QPointer<MpvStreamingEngine> self(this);
    emit ClipOpened(title, source_);
    if (self)
        UpdatePlayingState();
}

void MpvStreamingEngine::UpdatePlayingState()
{
    if (!active_ || !started_)
        return;
    if (!opened_) {
        SetState(buffering_ ? 2 : 1);
        return;
    }
    SetState(seeking_ ? 5 : paused_ ? 4 : buffering_ ? 2 : 3);
}

// Emits only real changes. Nothing may touch members after the emit: a slot
// may have destroyed the engine.
void MpvStreamingEngine::SetState(int state)
{
    if (state == state_)
        return;
    state_ = state;
    emit PlayStateChange(state);
}

} // namespace platform

// Built here rather than with the rest of the library's meta-object code,
// so that linking the engines needs no other unit of the library.
#include "moc_StreamingEngine.cpp"
#include "moc_MpvStreamingEngine.cpp"
