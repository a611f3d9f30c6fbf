#include "platform/media/VideoSurface.h"

#include <QMouseEvent>
#include <QPalette>

namespace platform {

VideoSurface::VideoSurface(QWidget* owner, bool native) : QWidget(owner), native_(native)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(false);
    if (native_) {
        // mpv paints this window itself; Qt must not paint over it, and its
        // own ancestors stay the lightweight widgets they are.
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
    } else {
        QPalette black = palette();
        black.setColor(QPalette::Window, Qt::black);
        setPalette(black);
        setAutoFillBackground(true);
    }
    hide();
}

VideoSurface::~VideoSurface()
{
    if (auto callback = std::exchange(beforeDestroy_, nullptr))
        callback();
}

std::optional<quintptr> VideoSurface::NativeId()
{
    if (!native_)
        return std::nullopt;
    return static_cast<quintptr>(winId());
}

// Ignored mouse events go on to the parent widget, which is the owner.
void VideoSurface::mousePressEvent(QMouseEvent* event) { event->ignore(); }
void VideoSurface::mouseReleaseEvent(QMouseEvent* event) { event->ignore(); }
void VideoSurface::mouseDoubleClickEvent(QMouseEvent* event) { event->ignore(); }
void VideoSurface::mouseMoveEvent(QMouseEvent* event) { event->ignore(); }

} // namespace platform

// Built here rather than with the rest of the library's meta-object code,
// so that linking the engines needs no other unit of the library.
#include "moc_VideoSurface.cpp"
