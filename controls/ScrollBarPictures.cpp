#include "controls/ScrollBarPictures.h"

#include <QPainter>
#include <QPolygonF>

namespace controls::scrollbar {
namespace {

// A raised face: light top-left edges, dark bottom-right edges.
void DrawFace(QPainter& painter, int width, int height)
{
    painter.fillRect(0, 0, width, height, QColor(0xd4, 0xd0, 0xc8));
    painter.setPen(Qt::white);
    painter.drawLine(0, 0, width - 2, 0);
    painter.drawLine(0, 0, 0, height - 2);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawLine(0, height - 1, width - 1, height - 1);
    painter.drawLine(width - 1, 0, width - 1, height - 1);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(1, height - 2, width - 2, height - 2);
    painter.drawLine(width - 2, 1, width - 2, height - 2);
}

} // namespace

QImage DefaultArrowPicture(Arrow direction)
{
    const bool vertical = direction == Arrow::Up || direction == Arrow::Down;
    const int width = vertical ? 21 : 16;
    const int height = vertical ? 16 : 21;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    DrawFace(painter, width, height);

    const double cx = (width - 1) / 2.0;
    const double cy = (height - 1) / 2.0;
    QPolygonF triangle;
    switch (direction) {
    case Arrow::Up:
        triangle << QPointF(cx, cy - 2.5) << QPointF(cx - 4, cy + 1.5) << QPointF(cx + 4, cy + 1.5);
        break;
    case Arrow::Down:
        triangle << QPointF(cx, cy + 2.5) << QPointF(cx - 4, cy - 1.5) << QPointF(cx + 4, cy - 1.5);
        break;
    case Arrow::Left:
        triangle << QPointF(cx - 2.5, cy) << QPointF(cx + 1.5, cy - 4) << QPointF(cx + 1.5, cy + 4);
        break;
    case Arrow::Right:
        triangle << QPointF(cx + 2.5, cy) << QPointF(cx - 1.5, cy - 4) << QPointF(cx - 1.5, cy + 4);
        break;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(triangle);
    return image;
}

QImage DefaultThumbPicture()
{
    QImage image(21, 21, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    DrawFace(painter, 21, 21);
    // Three grip lines across the middle.
    painter.setPen(QColor(0x80, 0x80, 0x80));
    for (int offset : {-3, 0, 3})
        painter.drawLine(6, 10 + offset, 14, 10 + offset);
    return image;
}

} // namespace controls::scrollbar
