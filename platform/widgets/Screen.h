// Screen metrics in the units the windows are laid out in. The program places
// its windows in twips (1/1440 inch); one pixel is 1440 / logical DPI twips
// (15 at 96 DPI). Tests replace the real screen with a fixed one so that the
// placement arithmetic can be checked for any screen size.
//
// With several screens, the player windows open on the screen that shows the
// browser window: the browser chooses it before each showing
// (UseScreenShowing), and Screen() then tells that screen, with its place on
// the desktop and the part of it the desktop's panels leave free. Which
// screen shows a window is plain logic over rectangles (ScreenShowingMost).
#pragma once

#include <QRect>
#include <optional>
#include <vector>

namespace platform {

struct ScreenMetrics {
    int widthPixels = 1024;
    int heightPixels = 768;
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;
    // The screen's top-left corner on the desktop, in pixels.
    int left = 0;
    int top = 0;
    // The part of the screen the desktop's panels leave free, in desktop
    // pixels; empty for the whole screen.
    QRect available;

    double WidthTwips() const { return widthPixels * twipsPerPixelX; }
    double HeightTwips() const { return heightPixels * twipsPerPixelY; }
    QRect Geometry() const { return {left, top, widthPixels, heightPixels}; }
    QRect Available() const { return available.isEmpty() ? Geometry() : available; }
};

// The chosen screen's metrics (the primary screen until one is chosen), or
// the override when one is set.
ScreenMetrics Screen();

// Replaces the real screen (for tests); nullopt goes back to the real one.
void SetScreenOverride(std::optional<ScreenMetrics> metrics);

// The index of the screen that shows the largest part of `window` (desktop
// pixels); the first of equals. -1 when it lies on none of them.
int ScreenShowingMost(const QRect& window, const std::vector<QRect>& screens);

// Chooses the screen that shows most of `window` for Screen() to tell; a
// window on no screen chooses the primary one.
void UseScreenShowing(const QRect& window);

// Whole pixels for a length in twips, rounded half to even.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);

} // namespace platform
