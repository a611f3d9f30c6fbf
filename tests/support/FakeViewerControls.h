// The viewer's controls of a fake engine: the loudness, the mute and the
// tracks are kept here for the test to read, every text shown is logged,
// and the tracks are what the test gives. One set serves every engine of a
// script or stage, so it outlives each engine.
#pragma once

#include "platform/media/ViewerControls.h"

#include <QStringList>
#include <map>

class FakeViewerControls : public platform::ViewerControls {
public:
    std::optional<int> volume;
    std::optional<bool> muted;
    std::map<platform::TrackKind, std::vector<platform::MediaTrack>> tracks;
    QStringList texts;

    bool SetVolume(int percent) override
    {
        volume = percent;
        return true;
    }
    bool SetMute(bool value) override
    {
        muted = value;
        return true;
    }
    std::vector<platform::MediaTrack> Tracks(platform::TrackKind kind) const override
    {
        const auto found = tracks.find(kind);
        return found == tracks.end() ? std::vector<platform::MediaTrack>{} : found->second;
    }
    bool SelectTrack(platform::TrackKind kind, std::optional<std::int64_t> id) override
    {
        for (platform::MediaTrack& track : tracks[kind])
            track.selected = id && track.id == *id;
        return true;
    }
    bool ShowText(const QString& text, int) override
    {
        texts << text;
        return true;
    }
};
