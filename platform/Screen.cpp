#include "platform/Screen.h"

#include "platform/Runtime.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {

std::optional<ScreenMetrics>& Override()
{
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}

} // namespace

ScreenMetrics Screen()
{
    if (Override())
        return *Override();
    ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        metrics.widthPixels = size.width();
        metrics.heightPixels = size.height();
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

int TwipsToPixelsX(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / Screen().twipsPerPixelX));
}

int TwipsToPixelsY(double twips)
{
    return static_cast<int>(RoundHalfEven(twips / Screen().twipsPerPixelY));
}

} // namespace platform
