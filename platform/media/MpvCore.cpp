#include "platform/media/MpvCore.h"

#include "platform/media/MpvLibrary.h"

#include <QPointer>

#include <mpv/client.h>

#include <clocale>
#include <cstring>
#include <vector>

namespace platform {

namespace {

struct ObservedProperty {
    MpvProperty id;
    const char* name;
    mpv_format format;
};

// Every property a core watches; the enum value is mpv's reply id.
constexpr ObservedProperty kObserved[] = {
    {MpvProperty::Pause, "pause", MPV_FORMAT_FLAG},
    {MpvProperty::PausedForCache, "paused-for-cache", MPV_FORMAT_FLAG},
    {MpvProperty::EofReached, "eof-reached", MPV_FORMAT_FLAG},
    {MpvProperty::Duration, "duration", MPV_FORMAT_DOUBLE},
};

bool SetOption(const MpvApi& mpv, mpv_handle* handle, const char* name, const char* value)
{
    return mpv.set_option_string(handle, name, value) >= 0;
}

} // namespace

std::unique_ptr<MpvCore> MpvCore::Create(const MpvOptions& options, bool keepOpen,
                                         std::optional<quintptr> windowId)
{
    // libmpv refuses to start unless numbers are read and written the C way;
    // QApplication has set the user's locale by now.
    const MpvApi* api = Mpv(options.library.toStdString());
    if (!api)
        return nullptr;
    const MpvApi& mpv = *api;
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* handle = mpv.create();
    if (!handle)
        return nullptr;

    // Nothing from the user's mpv set-up, no scripts, no key or mouse
    // bindings: the windows handle every key and click themselves.
    const std::pair<const char*, const char*> fixed[] = {
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"cursor-autohide", "no"},
        {"terminal", "no"},
        {"hr-seek", "yes"},
        {"idle", "yes"},
        {"keep-open", keepOpen ? "yes" : "no"},
        {"audio-display", "no"},
        // Subtitles beside the film with its very name (film.srt) are
        // loaded, and they and the on-screen texts use a face that can
        // show Japanese; fontconfig stands in another where it is missing.
        {"sub-auto", "exact"},
        {"sub-font", "Noto Sans CJK JP"},
        {"osd-font", "Noto Sans CJK JP"},
    };
    bool ok = true;
    for (const auto& [name, value] : fixed)
        ok = SetOption(mpv, handle, name, value) && ok;
    ok = SetOption(mpv, handle, "ao", options.nullAudio ? "null" : "pulse,alsa,null") && ok;
    if (!options.languages.isEmpty()) {
        ok = SetOption(mpv, handle, "alang", options.languages.constData()) && ok;
        ok = SetOption(mpv, handle, "slang", options.languages.constData()) && ok;
    }
    if (!options.hardwareDecoding.isEmpty())
        ok = SetOption(mpv, handle, "hwdec", options.hardwareDecoding.constData()) && ok;
    if (options.nullVideo) {
        ok = SetOption(mpv, handle, "vo", "null") && ok;
    } else {
        ok = SetOption(mpv, handle, "vo", options.videoOutput.constData()) && ok;
        if (!options.gpuContext.isEmpty())
            ok = SetOption(mpv, handle, "gpu-context", options.gpuContext.constData()) && ok;
        if (windowId) {
            const QByteArray wid = QByteArray::number(static_cast<qulonglong>(*windowId));
            ok = SetOption(mpv, handle, "wid", wid.constData()) && ok;
        }
    }
    if (!ok || mpv.initialize(handle) < 0) {
        mpv.terminate_destroy(handle);
        return nullptr;
    }

    std::unique_ptr<MpvCore> core(new MpvCore(mpv, handle));
    for (const ObservedProperty& property : kObserved)
        mpv.observe_property(handle, static_cast<std::uint64_t>(property.id), property.name,
                             property.format);
    mpv.set_wakeup_callback(handle, &MpvCore::Wakeup, core.get());
    return core;
}

MpvCore::MpvCore(const MpvApi& api, mpv_handle* handle) : mpv_(api), handle_(handle) {}

MpvCore::~MpvCore()
{
    // Once the callback is cleared mpv can no longer post a drain for this
    // object; mpv holds the same lock while calling it, so none is half-way.
    mpv_.set_wakeup_callback(handle_, nullptr, nullptr);
    mpv_.terminate_destroy(handle_);
    handle_ = nullptr;
}

void MpvCore::Wakeup(void* context)
{
    auto* core = static_cast<MpvCore*>(context);
    // One queued drain at a time is enough: it reads every waiting event.
    if (core->drainQueued_.exchange(true))
        return;
    QMetaObject::invokeMethod(core, &MpvCore::Drain, Qt::QueuedConnection);
}

void MpvCore::Drain()
{
    drainQueued_.store(false);
    if (waiting_)
        return;
    const QPointer<MpvCore> self(this);
    for (;;) {
        const mpv_event* event = mpv_.wait_event(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        Dispatch(*event);
        if (!self)
            return;
    }
}

bool MpvCore::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    waiting_ = true;
    bool reached = done();
    while (!reached) {
        const auto left = std::chrono::duration<double>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        const mpv_event* event = mpv_.wait_event(handle_, left);
        if (event->event_id != MPV_EVENT_NONE)
            Dispatch(*event);
        reached = done();
    }
    waiting_ = false;
    return reached;
}

void MpvCore::Dispatch(const mpv_event& event)
{
    MpvNotice notice;
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        notice.kind = MpvNotice::Kind::StartFile;
        notice.entryId = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        notice.kind = MpvNotice::Kind::FileLoaded;
        break;
    case MPV_EVENT_VIDEO_RECONFIG:
        notice.kind = MpvNotice::Kind::VideoReconfig;
        break;
    case MPV_EVENT_SEEK:
        notice.kind = MpvNotice::Kind::Seek;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        notice.kind = MpvNotice::Kind::PlaybackRestart;
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        notice.kind = MpvNotice::Kind::EndFile;
        notice.entryId = end->playlist_entry_id;
        notice.endedByError = end->reason == MPV_END_FILE_REASON_ERROR;
        notice.endedAtEof = end->reason == MPV_END_FILE_REASON_EOF;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* change = static_cast<const mpv_event_property*>(event.data);
        notice.kind = MpvNotice::Kind::PropertyChange;
        notice.property = static_cast<MpvProperty>(event.reply_userdata);
        if (change->format == MPV_FORMAT_FLAG)
            notice.value = *static_cast<const int*>(change->data) ? 1.0 : 0.0;
        else if (change->format == MPV_FORMAT_DOUBLE)
            notice.value = *static_cast<const double*>(change->data);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        notice.kind = MpvNotice::Kind::CommandReply;
        notice.replyId = event.reply_userdata;
        notice.failed = event.error < 0;
        break;
    case MPV_EVENT_SHUTDOWN:
        notice.kind = MpvNotice::Kind::Shutdown;
        break;
    default:
        return;
    }
    // A copy, because the handler may destroy this core and its handler.
    if (const NoticeHandler handler = handler_)
        handler(notice);
}

bool MpvCore::Command(std::initializer_list<const char*> args)
{
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    return mpv_.command(handle_, list.data()) >= 0;
}

bool MpvCore::CommandAsync(std::uint64_t replyId, std::initializer_list<const char*> args)
{
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    return mpv_.command_async(handle_, replyId, list.data()) >= 0;
}

std::optional<std::int64_t> MpvCore::LoadFile(const QByteArray& target)
{
    const char* args[] = {"loadfile", target.constData(), "replace", nullptr};
    mpv_node result{};
    if (mpv_.command_ret(handle_, args, &result) < 0)
        return std::nullopt;
    std::int64_t entryId = 0;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list* map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
                map->values[i].format == MPV_FORMAT_INT64)
                entryId = map->values[i].u.int64;
        }
    }
    mpv_.free_node_contents(&result);
    return entryId;
}

bool MpvCore::SetDouble(const char* name, double value)
{
    return mpv_.set_property(handle_, name, MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool MpvCore::SetString(const char* name, const char* value)
{
    return mpv_.set_property(handle_, name, MPV_FORMAT_STRING, &value) >= 0;
}

bool MpvCore::SetFlag(const char* name, bool value)
{
    int flag = value ? 1 : 0;
    return mpv_.set_property(handle_, name, MPV_FORMAT_FLAG, &flag) >= 0;
}

std::optional<double> MpvCore::GetDouble(const char* name) const
{
    double value = 0;
    if (mpv_.get_property(handle_, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> MpvCore::GetInt(const char* name) const
{
    std::int64_t value = 0;
    if (mpv_.get_property(handle_, name, MPV_FORMAT_INT64, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<bool> MpvCore::GetFlag(const char* name) const
{
    int value = 0;
    if (mpv_.get_property(handle_, name, MPV_FORMAT_FLAG, &value) < 0)
        return std::nullopt;
    return value != 0;
}

std::optional<QString> MpvCore::GetString(const char* name) const
{
    char* value = mpv_.get_property_string(handle_, name);
    if (!value)
        return std::nullopt;
    QString text = QString::fromUtf8(value);
    mpv_.free(value);
    return text;
}

QSize SizeAfterRotation(int width, int height, std::int64_t degrees)
{
    const std::int64_t turn = ((degrees % 360) + 360) % 360;
    if (turn == 90 || turn == 270)
        return {height, width};
    return {width, height};
}

std::optional<QSize> MpvCore::ShownPictureSize() const
{
    // The output's own parameters give the rotation that is still to be
    // made: an output that turns pictures itself gets them unturned, while
    // for one that cannot, mpv turns them before and reports no rotation.
    std::optional<std::int64_t> width = GetInt("video-out-params/dw");
    std::optional<std::int64_t> height = GetInt("video-out-params/dh");
    const std::int64_t rotation = GetInt("video-out-params/rotate").value_or(0);
    if (!width || !height) {
        width = GetInt("dwidth");
        height = GetInt("dheight");
    }
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return SizeAfterRotation(static_cast<int>(*width), static_cast<int>(*height), rotation);
}

bool MpvCore::HasVideoTrack() const
{
    const std::optional<std::int64_t> count = GetInt("track-list/count");
    for (std::int64_t i = 0; count && i < *count; ++i) {
        const QByteArray prefix = "track-list/" + QByteArray::number(static_cast<qlonglong>(i)) + "/";
        if (GetString((prefix + "type").constData()) != QStringLiteral("video"))
            continue;
        if (GetFlag((prefix + "selected").constData()) == true && GetFlag((prefix + "albumart").constData()) != true)
            return true;
    }
    return false;
}

} // namespace platform

// Built here rather than with the rest of the library's meta-object code,
// so that linking the engines needs no other unit of the library.
#include "moc_MpvCore.cpp"
