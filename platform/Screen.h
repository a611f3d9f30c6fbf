// Screen metrics in the units the windows are laid out in. The program places
// its windows in twips (1/1440 inch); one pixel is 1440 / logical DPI twips
// (15 at 96 DPI). Tests replace the real screen with a fixed one so that the
// placement arithmetic can be checked for any screen size.
#pragma once

#include <optional>

namespace platform {

struct ScreenMetrics {
    int widthPixels = 1024;
    int heightPixels = 768;
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;

    double WidthTwips() const { return widthPixels * twipsPerPixelX; }
    double HeightTwips() const { return heightPixels * twipsPerPixelY; }
};

// The primary screen's metrics, or the override when one is set.
ScreenMetrics Screen();

// Replaces the real screen (for tests); nullopt goes back to the real one.
void SetScreenOverride(std::optional<ScreenMetrics> metrics);

// Whole pixels for a length in twips, rounded half to even.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);

} // namespace platform
