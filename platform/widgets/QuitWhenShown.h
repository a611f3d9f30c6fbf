// A start-up probe for timing and for tests: when the environment variable
// VIDROLLE_QUIT_WHEN_SHOWN is 1, a program that calls QuitWhenShown prints
// the monotonic clock (CLOCK_MONOTONIC, in nanoseconds) once its window has
// been exposed and painted for the first time, then ends its event loop.
// bench/startup reads that line to measure the time from spawning a program
// to its window on screen. With the value "end" the program leaves through
// the given ending instead (the browser's End, which saves the settings), so
// that a test can run whole copies of the program to their end. Without the
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
#include <functional>
#include <utility>

namespace platform {

namespace detail {

// Waits for the first expose of a window that is really on screen. The
// expose paints the window before it returns, so the time is taken in a call
// queued behind it, after that first paint. A widget not yet shown has no
// window to watch: its show hands the filter on to the window it then has.
class QuitWhenShownFilter : public QObject {
public:
    QuitWhenShownFilter(QObject* parent, std::function<void()> end) : QObject(parent), end_(std::move(end)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && event->type() == QEvent::Show) {
            widget->removeEventFilter(this);
            if (QWindow* window = widget->windowHandle())
                window->installEventFilter(this);
            return false;
        }
        auto* window = qobject_cast<QWindow*>(watched);
        if (!done_ && window && event->type() == QEvent::Expose && window->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, this, [this] {
                timespec now{};
                ::clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("shown_at_ns=%lld\n",
                            static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
                std::fflush(stdout);
                if (end_)
                    end_();
                else
                    QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    std::function<void()> end_;
    bool done_ = false;
};

} // namespace detail

// Call before the event loop runs, before or after the window is shown.
// `end` is the program's own way out for the value "end".
inline void QuitWhenShown(QWidget& window, std::function<void()> end = {})
{
    const QByteArray mode = qgetenv("VIDROLLE_QUIT_WHEN_SHOWN");
    if (mode != "1" && !(mode == "end" && end))
        return;
    auto* filter = new detail::QuitWhenShownFilter(&window, mode == "end" ? std::move(end) : std::function<void()>());
    if (window.isVisible() && window.windowHandle())
        window.windowHandle()->installEventFilter(filter);
    else
        window.installEventFilter(filter);
}

} // namespace platform
