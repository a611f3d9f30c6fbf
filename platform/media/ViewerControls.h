// What a viewer adjusts while a film plays, beyond the transport: the
// loudness, the sound and subtitle tracks, and a short text the engine draws
// over the picture itself. Both playback engines offer it (MediaEngine and
// StreamingEngine give it through Controls()); the player windows decide
// what the keys do with it.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

enum class TrackKind { Audio, Subtitle };

// One track of the open file, as the file (or a subtitle file beside it) names it.
struct MediaTrack {
    std::int64_t id = 0;
    QString title;
    QString language;
    bool selected = false;
};

class ViewerControls {
public:
    virtual ~ViewerControls() = default;

    // 0 silent to 100 the film's own loudness.
    virtual bool SetVolume(int percent) = 0;
    virtual bool SetMute(bool muted) = 0;
    // The tracks of one kind, in the file's order; empty when none or no file.
    virtual std::vector<MediaTrack> Tracks(TrackKind kind) const = 0;
    // Chooses a track by its id; nothing turns the kind off.
    virtual bool SelectTrack(TrackKind kind, std::optional<std::int64_t> id) = 0;
    // Draws `text` over the picture for that long; the text is shown as it
    // is, never read as a command or a property.
    virtual bool ShowText(const QString& text, int milliseconds) = 0;
};

} // namespace platform
