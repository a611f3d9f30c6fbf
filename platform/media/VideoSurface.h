// The rectangle in which a playback engine's picture appears.
//
// For real video it is a native child window of its owner, whose id is handed
// to mpv so that mpv draws the picture into it at exact pixels; without real
// video (tests, no display) it is a plain black child widget, so the engine's
// geometry still works and can be checked. Either way it never takes the
// keyboard focus and lets every mouse event travel on to its owner: the
// windows close or react on clicks on their own display area.
//
// Keeping the surface behind this class lets a rendering surface drawn by Qt
// (mpv's render API) replace the native window later.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>

namespace platform {

class VideoSurface : public QWidget {
    Q_OBJECT
public:
    VideoSurface(QWidget* owner, bool native);
    ~VideoSurface() override;

    // The native window id mpv draws into; nullopt for a plain surface.
    std::optional<quintptr> NativeId();

    // Runs first thing in the destructor, while the native window still
    // exists, so that an engine whose surface is destroyed by its owner can
    // stop drawing into it before it goes.
    void SetBeforeDestroy(std::function<void()> callback) { beforeDestroy_ = std::move(callback); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool native_;
    std::function<void()> beforeDestroy_;
};

} // namespace platform
