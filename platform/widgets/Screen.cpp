#include "platform/widgets/Screen.h"

#include "platform/rules/Runtime.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace platform {
namespace {

std::optional<ScreenMetrics>& Override()
{
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

QPointer<QScreen>& Chosen()
{
    static QPointer<QScreen> screen;
    return screen;
}

} // namespace

ScreenMetrics Screen()
{
    if (Override())
        return *Override();
    ScreenMetrics metrics;
    const QScreen* screen = Chosen() ? Chosen().data() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect geometry = screen->geometry();
        metrics.widthPixels = geometry.width();
        metrics.heightPixels = geometry.height();
        metrics.left = geometry.left();
        metrics.top = geometry.top();
        metrics.available = screen->availableGeometry();
        const double dpiX = screen->logicalDotsPerInchX();
        const double dpiY = screen->logicalDotsPerInchY();
        if (dpiX > 0)
            metrics.twipsPerPixelX = 1440.0 / dpiX;
        if (dpiY > 0)
            metrics.twipsPerPixelY = 1440.0 / dpiY;
    }
    return metrics;
}

void SetScreenOverride(std::optional<ScreenMetrics> metrics)
{
    Override() = metrics;
}

int ScreenShowingMost(const QRect& window, const std::vector<QRect>& screens)
{
    int best = -1;
    long long bestArea = 0;
    for (size_t i = 0; i < screens.size(); ++i) {
        const QRect shared = window.intersected(screens[i]);
        const long long area = shared.isEmpty() ? 0 : static_cast<long long>(shared.width()) * shared.height();
        if (area > bestArea) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    return best;
}

void UseScreenShowing(const QRect& window)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<QRect> rectangles;
    for (const QScreen* screen : screens)
        rectangles.push_back(screen->geometry());
    const int index = ScreenShowingMost(window, rectangles);
    Chosen() = index >= 0 ? screens[index] : QGuiApplication::primaryScreen();
}

int TwipsToPixelsX(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / Screen().twipsPerPixelX));
}

int TwipsToPixelsY(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / Screen().twipsPerPixelY));
}

} // namespace platform
