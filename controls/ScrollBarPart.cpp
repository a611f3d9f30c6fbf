#include "controls/ScrollBarPart.h"

#include "platform/widgets/Screen.h"

#include <QMouseEvent>
#include <QPainter>

namespace controls {
namespace {

QPointF ToTwips(const QPointF& pixels)
{
    const platform::ScreenMetrics screen = platform::Screen();
    return {pixels.x() * screen.twipsPerPixelX, pixels.y() * screen.twipsPerPixelY};
}

} // namespace

ScrollBarPart::ScrollBarPart(QWidget* parent, bool followsPicture)
    : QWidget(parent), followsPicture_(followsPicture)
{
}

void ScrollBarPart::SetPicture(const QImage& picture)
{
    picture_ = picture;
    FollowPicture();
    update();
}

void ScrollBarPart::RemovePicture()
{
    picture_ = QImage();
    update();
}

void ScrollBarPart::SetAutoSize(bool on)
{
    followsPicture_ = on;
    FollowPicture();
}

void ScrollBarPart::SetFillColour(std::optional<QColor> colour)
{
    if (fill_ == colour)
        return;
    fill_ = colour;
    update();
}

void ScrollBarPart::FollowPicture()
{
    if (followsPicture_ && HasPicture())
        resize(picture_.size());
}

void ScrollBarPart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (fill_)
        painter.fillRect(rect(), *fill_);
    if (HasPicture())
        painter.drawImage(QPoint(0, 0), picture_);
}

void ScrollBarPart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    emit MouseDown(ToTwips(event->position()));
}

void ScrollBarPart::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(ToTwips(event->position()));
}

void ScrollBarPart::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && leftPressed_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    emit MouseUp(ToTwips(event->position()));
    if (click)
        emit Click();
}

} // namespace controls
