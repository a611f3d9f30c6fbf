// A start-up probe for timing: when the environment variable
// VIDROLLE_QUIT_WHEN_SHOWN is 1, a program that calls QuitWhenShown after
// showing its window prints the monotonic clock (CLOCK_MONOTONIC, in
// nanoseconds) once that window has been exposed and painted for the first
// time, then ends its event loop. bench/startup reads that line to measure
// the time from spawning a program to its window on screen. Without the
// variable nothing happens. The unit is header-only so that a bare Qt window
// program can use it without linking the rest of the platform layer.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>

namespace platform {

namespace detail {

// Waits for the first expose of a window that is really on screen. The
// expose paints the window before it returns, so the time is taken in a call
// queued behind it, after that first paint.
class QuitWhenShownFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWindow*>(watched);
        if (!done_ && window && event->type() == QEvent::Expose && window->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, this, [] {
                timespec now{};
                ::clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("shown_at_ns=%lld\n",
                            static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool done_ = false;
};

} // namespace detail

// Call after window.show(), before the event loop runs.
inline void QuitWhenShown(QWidget& window)
{
    if (qgetenv("VIDROLLE_QUIT_WHEN_SHOWN") != "1" || !window.windowHandle())
        return;
    window.windowHandle()->installEventFilter(new detail::QuitWhenShownFilter(&window));
}

} // namespace platform
