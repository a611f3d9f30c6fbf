// The viewer's controls over one engine's mpv core: mpv's own volume, mute,
// track choice (aid, sid) and on-screen text. The engine owns the core and
// may shut it down at any time; every call then fails.
#pragma once

#include "platform/media/ViewerControls.h"

#include <memory>

namespace platform {

class MpvCore;

class MpvViewerControls : public ViewerControls {
public:
    // `core` is the engine's own pointer, read at every call.
    explicit MpvViewerControls(const std::unique_ptr<MpvCore>& core) : core_(core) {}

    bool SetVolume(int percent) override;
    bool SetMute(bool muted) override;
    std::vector<MediaTrack> Tracks(TrackKind kind) const override;
    bool SelectTrack(TrackKind kind, std::optional<std::int64_t> id) override;
    bool ShowText(const QString& text, int milliseconds) override;

    // What mpv holds now, for checks.
    std::optional<double> Volume() const;
    std::optional<bool> Muted() const;

private:
    const std::unique_ptr<MpvCore>& core_;
};

} // namespace platform
