// Keeping a player window on its screen. At natural or magnified size a
// picture is shown as large as it is, unless the window laid out around it
// would not fit the part of the screen the desktop's panels leave free: then
// the picture is made smaller, its proportions kept, until the whole window
// fits, and the window is placed inside that free part as windows are placed
// on the screen (centred across, a third of the free height down). A window
// that fits is sized and placed exactly as it always was. Plain arithmetic
// over sizes and rectangles in pixels, shared by both player windows.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace screen_fit {

// The picture as large as it can be, at most its own size, so that a window
// of its width and its height plus `extraHeight` fits `area`. Never smaller
// than 1 x 1.
QSize FitOnScreen(QSize picture, int extraHeight, QSize area);

// The top-left corner of a window of `window` size placed in `area`: centred
// across and a third of the way down the free height.
QPoint PlaceIn(const QRect& area, QSize window);

} // namespace screen_fit
