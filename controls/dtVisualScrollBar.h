// The picture scroll bar: a value between Min and Max shown by picture parts
// (a background, two arrow buttons and a thumb) that the control places but
// never draws itself. It stands horizontal or vertical, with or without its
// buttons, aligns thumb and buttons to either edge or the middle of the cross
// axis, and turns button clicks, track presses and thumb drags into value
// changes reported by Change (every set of Value, and the end of a drag) and
// Scroll (every drag step that moved the thumb).
//
// Every position and size is in twips, the control's unit; the parts are
// child widgets placed at the pixel rectangles that the pure functions of
// ScrollBarLayout.h compute, and their geometry is read back from the widgets
// so that the parts' current sizes are never kept twice.
#pragma once

#include "controls/PropertyBag.h"
#include "controls/ScrollBarLayout.h"

#include <QImage>
#include <QPointF>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace controls {

class ScrollBarPart;

class dtVisualScrollBar : public QWidget {
    Q_OBJECT
public:
    enum class PartId { Background, Up, Down, Left, Right, Thumb };

    explicit dtVisualScrollBar(QWidget* parent = nullptr);

    // --- properties ---------------------------------------------------------
    int32_t Min() const { return min_; }
    void SetMin(int32_t nVal);
    int32_t Max() const { return max_; }
    void SetMax(int32_t nVal);
    int32_t Value() const { return value_; }
    void SetValue(int32_t nVal);
    int32_t SmallChange() const { return smallChange_; }
    void SetSmallChange(int32_t nVal);
    int32_t LargeChange() const { return largeChange_; }
    void SetLargeChange(int32_t nVal);
    // 0 horizontal, 1 vertical; any other value is taken as vertical, so that
    // every routine of the control agrees on one of the two.
    int32_t Orientation() const { return orientation_; }
    void SetOrientation(int32_t nwOrientation);
    int32_t ThumbAlignment() const { return thumbAlignment_; }
    void SetThumbAlignment(int32_t nwAlign);
    bool ButtonsVisible() const { return buttonsVisible_; }
    void SetButtonsVisible(bool vData);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool vData);
    // Colours are 0x00BBGGRR.
    uint32_t BackColor() const;
    void SetBackColor(uint32_t nwColor);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool on);

    // Pictures. Setting std::nullopt removes the part's picture; a null QImage
    // stands for a picture object without an image, which keeps the part's
    // picture but resizes the part (see the .cpp); any other image is shown.
    QImage PictureBackground() const;
    void SetPictureBackground(const std::optional<QImage>& nwPic);
    QImage PictureUp() const;
    void SetPictureUp(const std::optional<QImage>& nwPic);
    QImage PictureDown() const;
    void SetPictureDown(const std::optional<QImage>& nwPic);
    QImage PictureLeft() const;
    void SetPictureLeft(const std::optional<QImage>& nwPic);
    QImage PictureRight() const;
    void SetPictureRight(const std::optional<QImage>& nwPic);
    QImage PictureThumb() const;
    void SetPictureThumb(const std::optional<QImage>& nwPic);

    // --- lifecycle and persistence -----------------------------------------
    // A newly placed instance: created values, and its first layout pending.
    void UserControl_InitProperties();
    void UserControl_ReadProperties(const PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag) const;

    // --- layout -------------------------------------------------------------
    void UserControl_Resize();
    void InitialLayout();
    void ShowButtons();
    void PositionThumb();
    bool FirstLayoutPending() const { return firstLayoutPending_; }

    // A part's rectangle in twips, read from its widget; and the widget.
    scrollbar::Rect PartRect(PartId part) const;
    QWidget* PartWidget(PartId part) const;
    bool Dragging() const { return dragging_; }

signals:
    void Change();
    void Scroll();
    // The container's notice that a stored property changed.
    void PropertyChanged(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void picUP_Click();
    void picDN_Click();
    void picLeft_Click();
    void picRight_Click();
    void picBG_MouseDown(QPointF twips);
    void picTHUMB_MouseDown(QPointF twips);
    void picTHUMB_MouseMove(QPointF twips);
    void picTHUMB_MouseUp(QPointF twips);

    ScrollBarPart* Part(PartId part) const;
    scrollbar::Parts ReadParts() const;
    void PlacePart(PartId part, const scrollbar::Rect& twips);
    void ApplyParts(const scrollbar::Parts& parts);
    double InnerWidth() const;
    double InnerHeight() const;
    void SetSizeTwips(double width, double height);
    void SetPicture(PartId part, const std::optional<QImage>& nwPic, const char* name);
    void ShowRangeError(const QString& text) const;

    ScrollBarPart* picBG = nullptr;
    ScrollBarPart* picUP = nullptr;
    ScrollBarPart* picDN = nullptr;
    ScrollBarPart* picLeft = nullptr;
    ScrollBarPart* picRight = nullptr;
    ScrollBarPart* picTHUMB = nullptr;

    int32_t min_ = 0;
    int32_t max_ = 32767;
    int32_t value_ = 0;
    int32_t smallChange_ = 1;
    int32_t largeChange_ = 10;
    int32_t orientation_ = scrollbar::kVertical;
    int32_t thumbAlignment_ = 0;
    bool buttonsVisible_ = true;
    bool autoSize_ = false;
    bool firstLayoutPending_ = false;

    // Drag state.
    bool dragging_ = false;
    int32_t grabOffset_ = 0;
    int64_t lastThumbPos_ = 0;
    bool thumbMoved_ = false;
};

} // namespace controls
