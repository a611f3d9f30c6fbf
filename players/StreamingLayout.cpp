#include "players/StreamingLayout.h"

#include "platform/rules/Runtime.h"

#include <algorithm>
#include <cmath>

namespace streaming {
namespace {

// Whole pixels for a length that may be fractional, huge or not a number at
// all (a magnification of NaN or 1e30 must not reach an int conversion).
int WholePixels(double length)
{
    if (!(length > 0))
        return 0;
    return static_cast<int>(std::min(platform::RoundHalfEven(length), double(kMaxLength)));
}

int ToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(platform::RoundHalfEven(twips / twipsPerPixel));
}

} // namespace

QSize PictureSizeFor(int sizeMode, float magnification, std::optional<int> clipWidth,
                     std::optional<int> clipHeight, QSize current,
                     const platform::ScreenMetrics& screen)
{
    switch (sizeMode) {
    case 0:
        return {WholePixels(clipWidth.value_or(current.width())),
                WholePixels(clipHeight.value_or(current.height()))};
    case 1: {
        // The product is taken in 32-bit floats, as the factor is stored, and
        // only the final length is rounded.
        const auto times = [magnification](std::optional<int> clip, int keep) {
            return clip ? WholePixels(static_cast<float>(*clip) * magnification) : keep;
        };
        return {times(clipWidth, current.width()), times(clipHeight, current.height())};
    }
    case 2:
        // The screen's own pixel counts: the same as its size in twips divided
        // by whole twips per pixel, and still exact when a desktop's DPI gives
        // a fractional factor.
        return {WholePixels(screen.widthPixels), WholePixels(screen.heightPixels - kExtraHeight)};
    default:
        return current;
    }
}

long long PlacementTwips(double screenTwips, double windowTwips, int parts)
{
    const auto free = static_cast<long long>(platform::RoundHalfEven(screenTwips - windowTwips));
    return free / parts;
}

StreamingLayout LayOutAround(QSize picture, const platform::ScreenMetrics& screen)
{
    const int width = std::clamp(picture.width(), 0, kMaxLength);
    const int height = std::clamp(picture.height(), 0, kMaxLength - kExtraHeight);
    const int windowHeight = height + kExtraHeight;

    const double windowWidthTwips = width * screen.twipsPerPixelX;
    const double windowHeightTwips = windowHeight * screen.twipsPerPixelY;
    const long long leftTwips = PlacementTwips(screen.WidthTwips(), windowWidthTwips, 2);
    const long long topTwips = PlacementTwips(screen.HeightTwips(), windowHeightTwips, 3);

    StreamingLayout layout;
    layout.window = QRect(screen.left + ToPixels(double(leftTwips), screen.twipsPerPixelX),
                          screen.top + ToPixels(double(topTwips), screen.twipsPerPixelY), width, windowHeight);
    layout.picture = QRect(0, kTitleHeight, width, height);
    layout.slider = QRect(0, height + kTitleHeight, width, kSliderHeight);
    layout.statusBar = QRect(0, height + kTitleHeight + kSliderHeight, width, kStatusBarHeight);
    layout.titleStrip = QRect(0, 0, width, kTitleHeight);
    layout.exitImageLeft = width - kExitImageInset;
    return layout;
}

QRect WaitingGeometry(const platform::ScreenMetrics& screen)
{
    const int width = std::max(1, ToPixels(1.0, screen.twipsPerPixelX));
    const int height = std::max(1, ToPixels(1.0, screen.twipsPerPixelY));
    return QRect(screen.left + ToPixels(screen.WidthTwips(), screen.twipsPerPixelX),
                 screen.top + ToPixels(screen.HeightTwips(), screen.twipsPerPixelY), width, height);
}

} // namespace streaming
