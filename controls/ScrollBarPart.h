// One picture part of the picture scroll bar: the background, an arrow button
// or the thumb. A part shows its picture at the picture's own size from its
// top-left corner (the background part may also fill itself with a colour)
// and reports pointer presses, moves and releases in twips relative to itself.
// Buttons and the thumb always take the size of their picture; the background
// does so only while its auto-size is on.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <optional>

namespace controls {

class ScrollBarPart : public QWidget {
    Q_OBJECT
public:
    // A sizing part follows its picture's size whenever a picture is shown.
    ScrollBarPart(QWidget* parent, bool followsPicture);

    const QImage& Picture() const { return picture_; }
    bool HasPicture() const { return !picture_.isNull(); }
    void SetPicture(const QImage& picture);
    void RemovePicture();

    bool AutoSize() const { return followsPicture_; }
    void SetAutoSize(bool on);

    // The colour filled behind the picture; nullopt leaves the part clear.
    std::optional<QColor> FillColour() const { return fill_; }
    void SetFillColour(std::optional<QColor> colour);

signals:
    void MouseDown(QPointF twips);
    void MouseMove(QPointF twips);
    void MouseUp(QPointF twips);
    // A left-button press and release both over the part.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FollowPicture();

    QImage picture_;
    bool followsPicture_;
    std::optional<QColor> fill_;
    bool leftPressed_ = false;
};

} // namespace controls
