#include "platform/media/MpvViewerControls.h"

#include "platform/media/MpvCore.h"

#include <algorithm>

namespace platform {

namespace {

const char* TypeName(TrackKind kind)
{
    return kind == TrackKind::Audio ? "audio" : "sub";
}

const char* ChoiceProperty(TrackKind kind)
{
    return kind == TrackKind::Audio ? "aid" : "sid";
}

} // namespace

bool MpvViewerControls::SetVolume(int percent)
{
    return core_ && core_->SetDouble("volume", std::clamp(percent, 0, 100));
}

bool MpvViewerControls::SetMute(bool muted)
{
    return core_ && core_->SetFlag("mute", muted);
}

std::optional<double> MpvViewerControls::Volume() const
{
    return core_ ? core_->GetDouble("volume") : std::nullopt;
}

std::optional<bool> MpvViewerControls::Muted() const
{
    return core_ ? core_->GetFlag("mute") : std::nullopt;
}

std::vector<MediaTrack> MpvViewerControls::Tracks(TrackKind kind) const
{
    std::vector<MediaTrack> tracks;
    if (!core_)
        return tracks;
    const QString type = QString::fromLatin1(TypeName(kind));
    const std::int64_t count = core_->GetInt("track-list/count").value_or(0);
    for (std::int64_t i = 0; i < count; ++i) {
        const QByteArray prefix = "track-list/" + QByteArray::number(static_cast<qlonglong>(i)) + "/";
        if (core_->GetString((prefix + "type").constData()) != type)
            continue;
        const std::optional<std::int64_t> id = core_->GetInt((prefix + "id").constData());
        if (!id)
            continue;
        tracks.push_back({*id, core_->GetString((prefix + "title").constData()).value_or(QString()),
                          core_->GetString((prefix + "lang").constData()).value_or(QString()),
                          core_->GetFlag((prefix + "selected").constData()).value_or(false)});
    }
    return tracks;
}

bool MpvViewerControls::SelectTrack(TrackKind kind, std::optional<std::int64_t> id)
{
    if (!core_)
        return false;
    const QByteArray value = id ? QByteArray::number(static_cast<qlonglong>(*id)) : QByteArray("no");
    return core_->SetString(ChoiceProperty(kind), value.constData());
}

bool MpvViewerControls::ShowText(const QString& text, int milliseconds)
{
    if (!core_)
        return false;
    // The array form of a command never expands properties, so a track's
    // title shows as it is written, "${...}" and all.
    const QByteArray bytes = text.toUtf8();
    const QByteArray duration = QByteArray::number(std::max(milliseconds, 0));
    return core_->Command({"show-text", bytes.constData(), duration.constData()});
}

} // namespace platform
