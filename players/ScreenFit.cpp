#include "players/ScreenFit.h"

#include <algorithm>
#include <cmath>

namespace screen_fit {

QSize FitOnScreen(QSize picture, int extraHeight, QSize area)
{
    const int roomHeight = area.height() - extraHeight;
    if (picture.width() <= area.width() && picture.height() <= roomHeight)
        return picture;
    if (picture.width() <= 0 || picture.height() <= 0)
        return picture;
    const double scale = std::min(static_cast<double>(area.width()) / picture.width(),
                                  static_cast<double>(std::max(roomHeight, 0)) / picture.height());
    // Rounded down, so that the window never overhangs by a pixel; the
    // small allowance keeps a side that meets the area exactly (1920 x
    // 1280 / 1920) from losing a pixel to the division's rounding.
    const int width = static_cast<int>(std::floor(picture.width() * scale + 1e-9));
    const int height = static_cast<int>(std::floor(picture.height() * scale + 1e-9));
    return {std::max(width, 1), std::max(height, 1)};
}

QPoint PlaceIn(const QRect& area, QSize window)
{
    return {area.left() + (area.width() - window.width()) / 2, area.top() + (area.height() - window.height()) / 3};
}

} // namespace screen_fit
