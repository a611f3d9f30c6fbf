#include "players/ViewerKeys.h"

#include "platform/widgets/Keys.h"

#include <algorithm>

namespace viewer {

using platform::MediaTrack;
using platform::TrackKind;

int SteppedVolume(int volume, int steps)
{
    const long long stepped = static_cast<long long>(volume) + static_cast<long long>(steps) * kVolumeStep;
    return static_cast<int>(std::clamp<long long>(stepped, 0, 100));
}

QString VolumeText(int volume, bool muted)
{
    if (muted)
        return QStringLiteral("消音");
    return QStringLiteral("音量 %1%").arg(volume);
}

std::optional<std::int64_t> NextTrack(const std::vector<MediaTrack>& tracks, bool offAllowed)
{
    if (tracks.empty())
        return std::nullopt;
    const auto chosen = std::find_if(tracks.begin(), tracks.end(), [](const MediaTrack& t) { return t.selected; });
    if (chosen == tracks.end())
        return tracks.front().id;
    const auto next = chosen + 1;
    if (next != tracks.end())
        return next->id;
    if (offAllowed)
        return std::nullopt;
    return tracks.front().id;
}

QString CleanTitle(const QString& title)
{
    QString clean;
    clean.reserve(title.size());
    for (const QChar c : title) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029;
        clean += control ? QChar(u' ') : c;
    }
    clean = clean.trimmed();
    if (clean.size() <= kMaxTitleLength)
        return clean;
    qsizetype cut = kMaxTitleLength - 1;
    // A character outside the basic plane is two units; never keep half.
    if (clean[cut - 1].isHighSurrogate())
        --cut;
    return clean.first(cut).trimmed() + u'…';
}

QString TrackLabel(const MediaTrack& track, int number)
{
    const QString title = CleanTitle(track.title);
    const QString language = CleanTitle(track.language);
    if (!title.isEmpty() && !language.isEmpty())
        return title + QStringLiteral(" (") + language + u')';
    if (!title.isEmpty())
        return title;
    if (!language.isEmpty())
        return language;
    return QStringLiteral("トラック %1").arg(number);
}

QString TrackPrefix(TrackKind kind)
{
    return kind == TrackKind::Audio ? QStringLiteral("音声: ") : QStringLiteral("字幕: ");
}

QString TrackText(TrackKind kind, const std::vector<MediaTrack>& tracks, std::optional<std::int64_t> chosen)
{
    if (tracks.empty())
        return kind == TrackKind::Audio ? QStringLiteral("音声トラックはありません") : QStringLiteral("字幕はありません");
    if (!chosen)
        return TrackPrefix(kind) + QStringLiteral("オフ");
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].id == *chosen)
            return TrackPrefix(kind) + TrackLabel(tracks[i], static_cast<int>(i) + 1);
    return TrackPrefix(kind) + QStringLiteral("オフ");
}

bool ViewerKeys::IsViewerKey(int keyCode)
{
    switch (keyCode) {
    case platform::kKeyUp:
    case platform::kKeyDown:
    case platform::kKeyM:
    case platform::kKeyS:
    case platform::kKeyA:
        return true;
    default:
        return false;
    }
}

void ViewerKeys::ApplyTo(platform::ViewerControls* controls) const
{
    if (!controls)
        return;
    controls->SetVolume(state_.Volume);
    controls->SetMute(state_.Muted);
}

bool ViewerKeys::Form_KeyDown(int keyCode, platform::ViewerControls* controls)
{
    switch (keyCode) {
    case platform::kKeyUp:
        ChangeVolume(1, controls);
        return true;
    case platform::kKeyDown:
        ChangeVolume(-1, controls);
        return true;
    case platform::kKeyM:
        state_.Muted = !state_.Muted;
        if (controls) {
            controls->SetMute(state_.Muted);
            controls->ShowText(VolumeText(state_.Volume, state_.Muted), kTextMilliseconds);
        }
        return true;
    case platform::kKeyS:
        CycleTrack(TrackKind::Subtitle, controls);
        return true;
    case platform::kKeyA:
        CycleTrack(TrackKind::Audio, controls);
        return true;
    default:
        return false;
    }
}

void ViewerKeys::Wheel(int angleDelta, platform::ViewerControls* controls)
{
    wheelRemainder_ += angleDelta;
    const int notches = wheelRemainder_ / kWheelNotch;
    if (notches == 0)
        return;
    wheelRemainder_ -= notches * kWheelNotch;
    ChangeVolume(notches, controls);
}

void ViewerKeys::ChangeVolume(int steps, platform::ViewerControls* controls)
{
    state_.Volume = static_cast<int16_t>(SteppedVolume(state_.Volume, steps));
    // A change of loudness is heard: it lifts the mute.
    state_.Muted = false;
    if (!controls)
        return;
    controls->SetMute(false);
    controls->SetVolume(state_.Volume);
    controls->ShowText(VolumeText(state_.Volume, false), kTextMilliseconds);
}

void ViewerKeys::CycleTrack(TrackKind kind, platform::ViewerControls* controls)
{
    if (!controls)
        return;
    const std::vector<MediaTrack> tracks = controls->Tracks(kind);
    const std::optional<std::int64_t> next = NextTrack(tracks, kind == TrackKind::Subtitle);
    if (!tracks.empty())
        controls->SelectTrack(kind, next);
    controls->ShowText(TrackText(kind, tracks, next), kTextMilliseconds);
}

} // namespace viewer
