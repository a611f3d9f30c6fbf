#include "players/StreamingWidgets.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace streaming {

// --- PictureImage --------------------------------------------------------

PictureImage::PictureImage(QWidget* parent) : QWidget(parent) {}

void PictureImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

void PictureImage::SetStretch(bool stretch)
{
    if (stretch_ == stretch)
        return;
    stretch_ = stretch;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

void PictureImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_)
        painter.drawImage(rect(), picture_);
    else
        painter.drawImage(0, 0, picture_);
}

void PictureImage::mousePressEvent(QMouseEvent* event)
{
    emit MouseDown(event->button());
}

void PictureImage::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseUp(event->button());
}

// --- position slider -----------------------------------------------------

namespace {

bool HasLength(std::optional<double> length)
{
    return length && std::isfinite(*length) && *length > 0;
}

} // namespace

SliderParts SliderPartsFor(QSize size, double position, std::optional<double> length)
{
    SliderParts parts;
    const int grooveHeight = 4;
    parts.groove = QRect(kThumbWidth / 2, (size.height() - grooveHeight) / 2,
                         std::max(0, size.width() - (kThumbWidth / 2) * 2), grooveHeight);
    if (!HasLength(length) || size.width() < kThumbWidth)
        return parts;
    const double fraction = std::isfinite(position) ? std::clamp(position / *length, 0.0, 1.0) : 0.0;
    const int travel = size.width() - kThumbWidth;
    const int left = static_cast<int>(std::lround(fraction * travel));
    parts.thumb = QRect(left, 3, kThumbWidth, std::max(0, size.height() - 6));
    return parts;
}

std::optional<double> SliderValueAt(int x, QSize size, std::optional<double> length)
{
    if (!HasLength(length))
        return std::nullopt;
    const int travel = size.width() - kThumbWidth;
    if (travel <= 0)
        return 0.0;
    const double fraction = std::clamp(double(x - kThumbWidth / 2) / travel, 0.0, 1.0);
    return fraction * *length;
}

PositionSlider::PositionSlider(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

double PositionSlider::ShownPosition() const
{
    return state_ == State::Dragging ? dragPosition_ : position_;
}

void PositionSlider::SetTransport(std::optional<double> position, std::optional<double> length)
{
    const double newPosition = position.value_or(0.0);
    if (newPosition == position_ && length == length_)
        return;
    const QRect before = SliderPartsFor(size(), ShownPosition(), length_).thumb;
    position_ = newPosition;
    length_ = length;
    if (!HasLength(length_) && state_ == State::Dragging)
        SetState(State::Idle);
    if (SliderPartsFor(size(), ShownPosition(), length_).thumb != before)
        update();
}

void PositionSlider::SetState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    update();
}

void PositionSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x20, 0x20, 0x20));
    const SliderParts parts = SliderPartsFor(size(), ShownPosition(), length_);
    painter.fillRect(parts.groove, QColor(0x50, 0x50, 0x50));
    if (parts.thumb.isEmpty())
        return;
    const QRect played(parts.groove.left(), parts.groove.top(),
                       std::max(0, parts.thumb.center().x() - parts.groove.left()), parts.groove.height());
    painter.fillRect(played, QColor(0x3a, 0x5a, 0xa0));
    const QColor thumb = state_ == State::Idle ? QColor(0xc0, 0xc0, 0xc0) : QColor(0xf0, 0xf0, 0xf0);
    painter.fillRect(parts.thumb, thumb);
}

void PositionSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto value = SliderValueAt(event->position().toPoint().x(), size(), length_);
    if (!value)
        return;
    dragPosition_ = *value;
    SetState(State::Dragging);
    update();
}

void PositionSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (state_ != State::Dragging)
        return;
    if (const auto value = SliderValueAt(event->position().toPoint().x(), size(), length_)) {
        if (*value != dragPosition_) {
            dragPosition_ = *value;
            update();
        }
    }
}

void PositionSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || state_ != State::Dragging)
        return;
    // The thumb stays where it was let go until the engine reports the new
    // position, instead of jumping back for a tick.
    position_ = dragPosition_;
    SetState(rect().contains(event->position().toPoint()) ? State::Hover : State::Idle);
    emit SeekRequested(dragPosition_);
}

void PositionSlider::enterEvent(QEnterEvent*)
{
    if (state_ == State::Idle)
        SetState(State::Hover);
}

void PositionSlider::leaveEvent(QEvent*)
{
    if (state_ == State::Hover)
        SetState(State::Idle);
}

// --- status bar ----------------------------------------------------------

QString StateWord(int state)
{
    switch (state) {
    case 0:
        return QStringLiteral("Stopped");
    case 1:
        return QStringLiteral("Connecting");
    case 2:
        return QStringLiteral("Buffering");
    case 3:
        return QStringLiteral("Playing");
    case 4:
        return QStringLiteral("Paused");
    case 5:
        return QStringLiteral("Seeking");
    default:
        return {};
    }
}

namespace {

// The whole second ClockText shows: the text turns over when a second is
// complete.
long long ClockSecond(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(std::min(std::floor(seconds), 1e15))
                                                 : 0;
}

} // namespace

QString ClockText(double seconds)
{
    const long long total = ClockSecond(seconds);
    const long long hours = total / 3600;
    const int minutes = static_cast<int>((total / 60) % 60);
    const int secs = static_cast<int>(total % 60);
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(secs, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(secs, 2, 10, QLatin1Char('0'));
}

QString TimeText(std::optional<double> position, std::optional<double> length)
{
    if (!position)
        return {};
    if (!HasLength(length))
        return ClockText(*position);
    return ClockText(*position) + QStringLiteral(" / ") + ClockText(*length);
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {}

void StatusBar::SetPlayState(int state)
{
    const QString text = StateWord(state);
    if (text.isEmpty() || text == stateText_)
        return;
    stateText_ = text;
    update();
}

void StatusBar::SetTime(std::optional<double> position, std::optional<double> length)
{
    // The text only changes with the whole seconds it shows, so most ticks
    // end here without making a text.
    const TimeSeconds seconds{position.has_value(), position ? ClockSecond(*position) : 0,
                              position && HasLength(length), position && HasLength(length) ? ClockSecond(*length) : 0};
    if (seconds == timeSeconds_)
        return;
    timeSeconds_ = seconds;
    const QString text = TimeText(position, length);
    if (text == timeText_)
        return;
    timeText_ = text;
    update();
}

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x10, 0x10, 0x10));
    painter.setPen(QColor(0x30, 0x30, 0x30));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(QColor(0xe0, 0xe0, 0xe0));
    const QRect text = rect().adjusted(6, 1, -6, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, stateText_);
    painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, timeText_);
}

} // namespace streaming
