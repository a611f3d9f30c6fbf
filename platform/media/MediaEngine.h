// The playback engine of the media window: it builds the playback of one file,
// runs, pauses and stops it, reports the duration and the position in seconds
// and sets the position exactly, and shows the picture in a video rectangle
// placed inside the window's display area at exact pixels. Releasing the
// engine (destroying it) ends playback.
//
// Each step reports failure instead of throwing, because the window carries on
// with the next step when one fails: an unrenderable file leaves the engine
// empty, and a sound-only file has no video rectangle (its size reads fail).
#pragma once

#include "platform/media/ViewerControls.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace platform {

class MediaEngine {
public:
    virtual ~MediaEngine() = default;

    // Builds the playback for a file and waits, within a time limit, until its
    // duration and video size are known. false when it cannot be played.
    virtual bool RenderFile(const QString& path) = 0;

    // Puts the video rectangle inside the owner given to the factory and
    // sends clicks on the picture to the owner. false when there is no video.
    virtual bool AttachVideo() = 0;

    virtual bool Run() = 0;
    virtual bool Pause() = 0;
    virtual bool Stop() = 0;

    virtual std::optional<double> Duration() const = 0;
    virtual std::optional<double> CurrentPosition() const = 0;
    virtual bool SetCurrentPosition(double seconds) = 0;

    // The video rectangle's size in pixels; nullopt when there is no video.
    // After RenderFile it is the video's own size.
    virtual std::optional<int> VideoWidth() const = 0;
    virtual std::optional<int> VideoHeight() const = 0;
    virtual bool SetVideoWidth(int pixels) = 0;
    virtual bool SetVideoHeight(int pixels) = 0;
    // Places the video rectangle inside the owner.
    virtual bool SetWindowPosition(int left, int top, int width, int height) = 0;

    // Loudness, tracks and text over the picture; nullptr when the engine
    // has none of them.
    virtual ViewerControls* Controls() { return nullptr; }
};

// Makes an engine whose picture will appear inside `owner` (the window's
// display area). May return nullptr when no engine can be created.
using MediaEngineFactory = std::function<std::unique_ptr<MediaEngine>(QWidget* owner)>;

} // namespace platform
