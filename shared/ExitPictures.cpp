#include "shared/ExitPictures.h"

#include <QPainter>

namespace {

// A small square button with a white cross, in the colours of the title strip.
QImage DrawExitButton(int width, int height, int shift, bool pressed)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(pressed ? QColor(0x20, 0x30, 0x60) : QColor(0x3a, 0x5a, 0xa0));
    QPainter painter(&image);
    painter.setPen(pressed ? QColor(0x10, 0x18, 0x30) : QColor(0xd8, 0xe4, 0xff));
    painter.drawRect(0, 0, width - 1, height - 1);
    QPen cross(Qt::white);
    cross.setWidth(2);
    painter.setPen(cross);
    painter.drawLine(4 + shift, 4 + shift, 10 + shift, 10 + shift);
    painter.drawLine(10 + shift, 4 + shift, 4 + shift, 10 + shift);
    return image;
}

} // namespace

ExitPictures MakeExitPictures()
{
    return {DrawExitButton(15, 15, 0, false), DrawExitButton(16, 15, 1, true)};
}
