#include "platform/media/MpvMediaEngine.h"

#include "platform/system/FileNameBytes.h"

#include <algorithm>

namespace platform {

MpvMediaEngine::MpvMediaEngine(QWidget* owner, const MpvOptions& options)
    : surface_(new VideoSurface(owner, !options.nullVideo))
{
    core_ = MpvCore::Create(options, /*keepOpen=*/true, surface_->NativeId());
    if (core_)
        core_->SetNoticeHandler([this](const MpvNotice& notice) { OnNotice(notice); });
    // When the owner destroys the surface before this engine, mpv must stop
    // drawing into its window first.
    surface_->SetBeforeDestroy([this] { ShutDown(); });
}

MpvMediaEngine::~MpvMediaEngine()
{
    if (surface_)
        surface_->SetBeforeDestroy(nullptr);
    ShutDown();
    delete surface_.data();
}

void MpvMediaEngine::ShutDown()
{
    rendered_ = false;
    hasVideo_ = false;
    paused_ = seekedToEnd_ = false;
    Forget();
    core_.reset();
}

void MpvMediaEngine::OnNotice(const MpvNotice& notice)
{
    // Any news from mpv may mean the position or the duration moved.
    Forget();
    switch (notice.kind) {
    case MpvNotice::Kind::StartFile:
        // Only the file asked for last counts; an earlier one ending while
        // the new one loads must not read as a failure. mpv names the entry
        // when it accepts the file; without that name, the first start after
        // the request is taken.
        if (expectingStart_ && (progress_.entryId == 0 || notice.entryId == progress_.entryId)) {
            expectingStart_ = false;
            progress_.entryId = notice.entryId;
            progress_.started = true;
        }
        break;
    case MpvNotice::Kind::FileLoaded:
        if (progress_.started)
            progress_.loaded = true;
        break;
    case MpvNotice::Kind::VideoReconfig:
        if (progress_.loaded)
            progress_.reconfigured = true;
        break;
    case MpvNotice::Kind::Seek:
        seeks_.SeekBegun();
        break;
    case MpvNotice::Kind::PlaybackRestart:
        if (progress_.started)
            ++progress_.restarts;
        seeks_.PlaybackRestarted();
        break;
    case MpvNotice::Kind::EndFile:
        if (progress_.started && notice.entryId == progress_.entryId) {
            progress_.ended = true;
            seeks_.SettleAll();
        }
        break;
    case MpvNotice::Kind::PropertyChange:
        if (notice.property == MpvProperty::Duration)
            knownDuration_ = notice.value;
        if (notice.property == MpvProperty::EofReached) {
            // Kept from mpv's news, so that the window's tick need not ask.
            eofReached_ = notice.value.value_or(0) != 0;
            if (eofReached_)
                seeks_.EndReached();
        }
        break;
    case MpvNotice::Kind::CommandReply:
        seeks_.Answered(notice.replyId, notice.failed);
        break;
    default:
        break;
    }
}

bool MpvMediaEngine::RenderFile(const QString& path)
{
    Unload();
    if (!core_)
        return false;
    // The path is handed on byte for byte: a name that is not valid UTF-8
    // plays like any other.
    if (!IsRegularFile(path))
        return false;

    progress_ = Progress{};
    const QByteArray target = NameToBytes(AbsolutePath(path));
    // Loaded paused: the window starts playback itself once it is laid out.
    if (!core_->SetFlag("pause", true))
        return false;
    const std::optional<std::int64_t> entryId = core_->LoadFile(target);
    if (!entryId)
        return false;
    progress_.entryId = *entryId;
    expectingStart_ = true;
    bool decided = false;
    core_->WaitUntil(
        [&] {
            if (progress_.ended)
                return decided = true;
            if (!progress_.loaded)
                return false;
            // A sound-only file never reconfigures its video output.
            if (progress_.reconfigured || !core_->HasVideoTrack())
                return decided = true;
            return false;
        },
        kRenderLimit);
    if (!decided && !progress_.loaded) {
        Unload();
        return false;
    }
    if (progress_.ended) {
        Unload();
        return false;
    }

    rendered_ = true;
    // The natural size is the picture as shown, upright. A video track whose
    // picture never came (a broken stream) leaves the file playing as sound
    // only.
    const std::optional<QSize> shown = core_->ShownPictureSize();
    hasVideo_ = core_->HasVideoTrack() && shown.has_value();
    if (hasVideo_ && surface_)
        surface_->setGeometry(QRect(QPoint(0, 0), *shown));
    return true;
}

void MpvMediaEngine::Unload()
{
    if (core_ && (rendered_ || progress_.entryId != 0 || expectingStart_))
        core_->Command({"stop"});
    rendered_ = false;
    hasVideo_ = false;
    paused_ = seekedToEnd_ = eofReached_ = false;
    knownDuration_.reset();
    Forget();
    expectingStart_ = false;
    progress_ = Progress{};
    if (surface_)
        surface_->hide();
}

bool MpvMediaEngine::AttachVideo()
{
    if (!rendered_ || !hasVideo_ || !surface_)
        return false;
    surface_->show();
    surface_->raise();
    return true;
}

bool MpvMediaEngine::Run()
{
    if (!rendered_)
        return false;
    // Whatever mpv answers, the position may move from here on.
    paused_ = false;
    Forget();
    return core_->SetFlag("pause", false);
}

bool MpvMediaEngine::Pause()
{
    if (!rendered_)
        return false;
    Forget();
    paused_ = core_->SetFlag("pause", true);
    return paused_;
}

std::optional<double> MpvMediaEngine::HoldWhilePaused(std::optional<std::optional<double>>& slot,
                                                      std::optional<double> value) const
{
    if (paused_)
        slot = value;
    return value;
}

bool MpvMediaEngine::Stop()
{
    if (!rendered_)
        return false;
    Unload();
    return true;
}

std::optional<double> MpvMediaEngine::Duration() const
{
    if (!rendered_)
        return std::nullopt;
    if (held_.duration)
        return *held_.duration;
    return HoldWhilePaused(held_.duration, core_->GetDouble("duration"));
}

std::optional<double> MpvMediaEngine::CurrentPosition() const
{
    if (!rendered_)
        return std::nullopt;
    if (held_.position)
        return *held_.position;
    // mpv holds the last frame at the end, whose time is a frame short of
    // the duration; the window's end test needs the duration itself.
    if (seekedToEnd_ || eofReached_)
        return HoldWhilePaused(held_.position, Duration());
    std::optional<double> position = core_->GetDouble("time-pos");
    // The last frame reached before mpv has told of the end reads as the
    // end, as it does once it has told.
    if (position && knownDuration_ && *position >= *knownDuration_)
        position = Duration();
    return HoldWhilePaused(held_.position, position);
}

bool MpvMediaEngine::SetCurrentPosition(double seconds)
{
    if (!rendered_)
        return false;
    const QByteArray target = QByteArray::number(std::max(seconds, 0.0), 'f', 6);
    const std::optional<double> duration = Duration();
    Forget();
    seekedToEnd_ = duration && seconds >= *duration;
    // Like the graph's position, a read right after a seek gives the new
    // position, so the call waits until mpv has landed there (or reached the
    // end). Only this seek's own restart ends the wait; see SeekTracker.
    const SeekTracker::Ticket ticket = seeks_.Request();
    if (!core_->CommandAsync(ticket, {"seek", target.constData(), "absolute+exact"})) {
        seeks_.Answered(ticket, /*failed=*/true);
        return false;
    }
    core_->WaitUntil([&] { return seeks_.Settled(ticket) || progress_.ended; }, kSeekLimit);
    return !seeks_.Refused(ticket);
}

std::optional<int> MpvMediaEngine::VideoWidth() const
{
    if (!rendered_ || !hasVideo_ || !surface_)
        return std::nullopt;
    return surface_->width();
}

std::optional<int> MpvMediaEngine::VideoHeight() const
{
    if (!rendered_ || !hasVideo_ || !surface_)
        return std::nullopt;
    return surface_->height();
}

bool MpvMediaEngine::SetVideoWidth(int pixels)
{
    if (!rendered_ || !hasVideo_ || !surface_ || pixels < 0)
        return false;
    surface_->resize(pixels, surface_->height());
    return true;
}

bool MpvMediaEngine::SetVideoHeight(int pixels)
{
    if (!rendered_ || !hasVideo_ || !surface_ || pixels < 0)
        return false;
    surface_->resize(surface_->width(), pixels);
    return true;
}

bool MpvMediaEngine::SetWindowPosition(int left, int top, int width, int height)
{
    if (!rendered_ || !hasVideo_ || !surface_ || width < 0 || height < 0)
        return false;
    surface_->setGeometry(left, top, width, height);
    return true;
}

bool MpvMediaEngine::WaitForFirstFrame(std::chrono::milliseconds limit)
{
    if (!rendered_)
        return false;
    return core_->WaitUntil([&] { return progress_.restarts > 0 || progress_.ended; }, limit) &&
           !progress_.ended;
}

MpvMediaEngine::Decoding MpvMediaEngine::CurrentDecoding() const
{
    if (!rendered_)
        return {};
    return {core_->GetString("hwdec").value_or(QString()), core_->GetString("hwdec-current").value_or(QString())};
}

} // namespace platform
