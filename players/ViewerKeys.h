// The keys both player windows add for the viewer, beside the transport's:
// Up and Down change the loudness by 5 (0 to 100), as does the mouse wheel
// over the picture, M mutes and unmutes, S steps through the subtitle tracks
// and "off", A through the sound tracks. Each change is told for a moment in
// the engine's own text over the picture. The loudness and the mute live in
// the play state, so the next file, in either window, starts with them.
//
// The texts are made here from what the file says of its tracks; a title is
// outside text, so it is cleaned of control characters and cut to a length
// that fits a line before it is shown.
#pragma once

#include "shared/PlayState.h"
#include "platform/media/ViewerControls.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace viewer {

inline constexpr int kVolumeStep = 5;
// How long a change is told over the picture.
inline constexpr int kTextMilliseconds = 1500;
// The longest title shown, in characters.
inline constexpr int kMaxTitleLength = 60;
// One notch of a mouse wheel, in Qt's angle units.
inline constexpr int kWheelNotch = 120;

// The loudness `steps` steps of kVolumeStep away, held to 0..100.
int SteppedVolume(int volume, int steps);
// "音量 80%", or "消音" while muted.
QString VolumeText(int volume, bool muted);

// The track chosen after the one chosen now, in the file's order. After the
// last comes "off" (nothing) where `offAllowed`, else the first again; from
// "off" the first. Nothing when there are no tracks.
std::optional<std::int64_t> NextTrack(const std::vector<platform::MediaTrack>& tracks, bool offAllowed);

// A title fit to show: control characters and line breaks become blanks,
// blanks at the ends go, and a title longer than kMaxTitleLength is cut,
// never inside a character, and ends in "…". Cleaning twice changes nothing.
QString CleanTitle(const QString& title);
// How a track is named: its title and language ("日本語 (jpn)"), either one
// alone, or its number in the list ("トラック 2") when the file names neither.
QString TrackLabel(const platform::MediaTrack& track, int number);
// What a change of track tells: "字幕: <label>", "字幕: オフ", "音声: <label>",
// or that the file has no track of the kind.
QString TrackText(platform::TrackKind kind, const std::vector<platform::MediaTrack>& tracks,
                  std::optional<std::int64_t> chosen);
QString TrackPrefix(platform::TrackKind kind);

// The viewer's keys and wheel of one player window. `controls` may be null
// (no engine): the play state still follows the keys.
class ViewerKeys {
public:
    explicit ViewerKeys(PlayState& state) : state_(state) {}

    // Gives a freshly made engine the loudness and the mute of the play state.
    void ApplyTo(platform::ViewerControls* controls) const;
    // false when the key is none of the viewer's.
    bool Form_KeyDown(int keyCode, platform::ViewerControls* controls);
    // A wheel turn over the picture; small turns (a touchpad's) add up to
    // whole notches.
    void Wheel(int angleDelta, platform::ViewerControls* controls);
    // Forgets a part-turned wheel, for a new showing.
    void Reset() { wheelRemainder_ = 0; }

    static bool IsViewerKey(int keyCode);

private:
    void ChangeVolume(int steps, platform::ViewerControls* controls);
    void CycleTrack(platform::TrackKind kind, platform::ViewerControls* controls);

    PlayState& state_;
    int wheelRemainder_ = 0;
};

} // namespace viewer
