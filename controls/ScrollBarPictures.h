// The default pictures of the picture scroll bar, drawn by our own code: four
// arrow buttons (21 x 16 pixels for up and down, 16 x 21 for left and right)
// and a 21 x 21 thumb, in the light grey of the bar's default background.
#pragma once

#include <QImage>

namespace controls::scrollbar {

enum class Arrow { Up, Down, Left, Right };

QImage DefaultArrowPicture(Arrow direction);
QImage DefaultThumbPicture();

} // namespace controls::scrollbar
