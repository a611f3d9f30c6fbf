// The small widgets of the streaming window: a picture that can be stretched
// and reports mouse presses (the title strip and the exit image), the
// position slider under the picture and the status bar at the bottom.
//
// The slider and the status bar are fed by the window from the playback
// engine; they never talk to the engine themselves. Their part rectangles and
// texts come from small pure functions that painting, mouse handling and tests
// all use, and they repaint only when what they show changes.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

namespace streaming {


// A picture on a widget. Stretched, it fills the widget; otherwise the widget
// takes the picture's size, as an image control does when its picture
// changes. Any mouse button pressed or released on it is reported.
class PictureImage : public QWidget {
    Q_OBJECT
public:
    explicit PictureImage(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    void SetStretch(bool stretch);

signals:
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool stretch_ = false;
};

// --- position slider -----------------------------------------------------

inline constexpr int kThumbWidth = 11;

struct SliderParts {
    QRect groove;
    QRect thumb; // empty when the length is unknown
};

// The groove across the middle and the thumb at `position` of `length`
// seconds. Without a length (nothing opened yet, or a live stream) there is
// no thumb and nothing to drag.
SliderParts SliderPartsFor(QSize size, double position, std::optional<double> length);

// The position, in seconds, that a thumb centred at x stands for, held
// within 0 .. length; nullopt without a length.
std::optional<double> SliderValueAt(int x, QSize size, std::optional<double> length);

// Shows the position of the clip. Pressing on it moves the thumb to the
// pointer, dragging carries it along, and releasing asks for a seek there;
// while it is held, the engine's position does not move the thumb back.
class PositionSlider : public QWidget {
    Q_OBJECT
public:
    enum class State { Idle, Hover, Dragging };

    explicit PositionSlider(QWidget* parent = nullptr);

    void SetTransport(std::optional<double> position, std::optional<double> length);
    State CurrentState() const { return state_; }
    // The position the thumb shows: the dragged one while held.
    double ShownPosition() const;
    std::optional<double> Length() const { return length_; }

signals:
    void SeekRequested(double seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetState(State state);

    State state_ = State::Idle;
    double position_ = 0.0;
    double dragPosition_ = 0.0;
    std::optional<double> length_;
};

// --- status bar ----------------------------------------------------------

// The word for a play state of the engine (0 to 5); "" for any other.
QString StateWord(int state);

// A time as "m:ss", or "h:mm:ss" from one hour; negative or unknown as 0.
QString ClockText(double seconds);

// "position / length", or just the position when the length is unknown;
// "" when the position is unknown too.
QString TimeText(std::optional<double> position, std::optional<double> length);

// The play state on the left and the time on the right.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    void SetPlayState(int state);
    void SetTime(std::optional<double> position, std::optional<double> length);
    const QString& StateText() const { return stateText_; }
    const QString& TimeShown() const { return timeText_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The whole seconds timeText_ was made from.
    struct TimeSeconds {
        bool hasPosition = false;
        long long position = 0;
        bool hasLength = false;
        long long length = 0;
        bool operator==(const TimeSeconds&) const = default;
    };

    QString stateText_;
    QString timeText_;
    TimeSeconds timeSeconds_;
};

} // namespace streaming
