// Where the streaming window and its parts go, as plain arithmetic that needs
// no window. The window is built off-screen, just past the screen's
// bottom-right corner, and only once the clip has opened is it sized around
// the picture and moved into view: centred across and a third of the free
// height down, or at the top-left corner when it fills the screen.
//
// Placement is reckoned in twips (1/1440 inch) as the rest of the program does,
// so that the window lands on the same pixel as the media window for the same
// size; everything a widget receives is whole pixels.
#pragma once

#include "platform/widgets/Screen.h"

#include <QRect>
#include <QSize>
#include <optional>

namespace streaming {

// Heights of the strips around the picture, in pixels.
inline constexpr int kTitleHeight = 20;
inline constexpr int kSliderHeight = 21;
inline constexpr int kStatusBarHeight = 25;
// Title strip, position slider and status bar together; the window has no
// frame, so nothing else is added.
inline constexpr int kExtraHeight = kTitleHeight + kSliderHeight + kStatusBarHeight;
// The exit image sits this far left of the title strip's right edge.
inline constexpr int kExitImageInset = 20;
inline constexpr int kExitImageTop = 4;

// The picture area's size before any clip has opened. It is kept when the
// size mode is none of the three known ones.
inline constexpr QSize kDesignPictureSize{320, 240};

// The largest length a widget accepts; a larger picture (an absurd
// magnification read from an edited settings file) is cut to it.
inline constexpr int kMaxLength = 16777215;

// The picture area's size for a clip. Size mode 0 is the clip's own size,
// 1 that size times the magnification, 2 the whole screen less the strips;
// any other mode keeps `current`. A clip size the engine cannot tell keeps
// that side of `current`. The result is whole pixels (a magnified half pixel
// goes to the even neighbour), never negative and never past kMaxLength.
QSize PictureSizeFor(int sizeMode, float magnification, std::optional<int> clipWidth,
                     std::optional<int> clipHeight, QSize current,
                     const platform::ScreenMetrics& screen);

// Every rectangle of the laid-out window, in pixels. `window` is in desktop
// coordinates (on the screen given), the rest in the window's own.
struct StreamingLayout {
    QRect window;
    QRect picture;
    QRect slider;
    QRect statusBar;
    QRect titleStrip;
    int exitImageLeft = 0;
};

StreamingLayout LayOutAround(QSize picture, const platform::ScreenMetrics& screen);

// Where the window waits while the clip opens: its top-left corner at the
// screen's width and height, just out of sight, 1 x 1 twip (which still needs
// one whole pixel to exist).
QRect WaitingGeometry(const platform::ScreenMetrics& screen);

// One coordinate of a centred window, in twips: the free length rounded to
// whole twips, then integer-divided by `parts` with the remainder dropped
// (towards zero, so a window larger than the screen overhangs on both sides).
long long PlacementTwips(double screenTwips, double windowTwips, int parts);

} // namespace streaming
