#include "controls/dtVisualScrollBar.h"

#include "controls/ScrollBarPart.h"
#include "controls/ScrollBarPictures.h"
#include "platform/widgets/MessageBox.h"
#include "platform/rules/Runtime.h"
#include "platform/widgets/Screen.h"

#include <QLocale>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace controls {

using namespace scrollbar;

namespace {

constexpr double kLongMax = std::numeric_limits<int32_t>::max();
constexpr uint32_t kDefaultBackColor = 14737632; // red, green and blue 224
const char* const kRangeMessage = "Invalid property value. Difference between Min and Max values cannot exceed ";

QColor ColourOf(uint32_t bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

uint32_t BgrOf(const QColor& colour)
{
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

// The largest range in the user's digit grouping ("2,147,483,647" in English).
// Group separators are asked for explicitly because the C locale leaves them
// out by default.
QString GroupedLongMax()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(std::numeric_limits<int32_t>::max());
}

// Held to a range any widget coordinate can take, so that a value far outside
// Min..Max (possible in a stored form) cannot overflow the conversion.
int ToPixels(double twips, double twipsPerPixel)
{
    const double pixels = platform::RoundHalfEven(twips / twipsPerPixel);
    return std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, -1.0e6, 1.0e6));
}

std::optional<QImage> StoredPicture(const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return std::nullopt;
    return stored.value<QImage>();
}

QVariant PictureToStore(const QImage& picture)
{
    return picture.isNull() ? QVariant() : QVariant::fromValue(picture);
}

} // namespace

dtVisualScrollBar::dtVisualScrollBar(QWidget* parent)
    : QWidget(parent),
      picBG(new ScrollBarPart(this, false)),
      picUP(new ScrollBarPart(this, true)),
      picDN(new ScrollBarPart(this, true)),
      picLeft(new ScrollBarPart(this, true)),
      picRight(new ScrollBarPart(this, true)),
      picTHUMB(new ScrollBarPart(this, true))
{
    picBG->SetFillColour(ColourOf(kDefaultBackColor));
    picUP->SetPicture(DefaultArrowPicture(Arrow::Up));
    picDN->SetPicture(DefaultArrowPicture(Arrow::Down));
    picLeft->SetPicture(DefaultArrowPicture(Arrow::Left));
    picRight->SetPicture(DefaultArrowPicture(Arrow::Right));
    picTHUMB->SetPicture(DefaultThumbPicture());
    // The thumb and the buttons lie above the background.
    picBG->lower();

    connect(picUP, &ScrollBarPart::Click, this, &dtVisualScrollBar::picUP_Click);
    connect(picDN, &ScrollBarPart::Click, this, &dtVisualScrollBar::picDN_Click);
    connect(picLeft, &ScrollBarPart::Click, this, &dtVisualScrollBar::picLeft_Click);
    connect(picRight, &ScrollBarPart::Click, this, &dtVisualScrollBar::picRight_Click);
    connect(picBG, &ScrollBarPart::MouseDown, this, &dtVisualScrollBar::picBG_MouseDown);
    connect(picTHUMB, &ScrollBarPart::MouseDown, this, &dtVisualScrollBar::picTHUMB_MouseDown);
    connect(picTHUMB, &ScrollBarPart::MouseMove, this, &dtVisualScrollBar::picTHUMB_MouseMove);
    connect(picTHUMB, &ScrollBarPart::MouseUp, this, &dtVisualScrollBar::picTHUMB_MouseUp);
    ShowButtons();
}

// --- geometry helpers --------------------------------------------------------

ScrollBarPart* dtVisualScrollBar::Part(PartId part) const
{
    switch (part) {
    case PartId::Background:
        return picBG;
    case PartId::Up:
        return picUP;
    case PartId::Down:
        return picDN;
    case PartId::Left:
        return picLeft;
    case PartId::Right:
        return picRight;
    case PartId::Thumb:
        break;
    }
    return picTHUMB;
}

QWidget* dtVisualScrollBar::PartWidget(PartId part) const
{
    return Part(part);
}

Rect dtVisualScrollBar::PartRect(PartId part) const
{
    const platform::ScreenMetrics screen = platform::Screen();
    const QRect pixels = Part(part)->geometry();
    return {pixels.x() * screen.twipsPerPixelX, pixels.y() * screen.twipsPerPixelY,
            pixels.width() * screen.twipsPerPixelX, pixels.height() * screen.twipsPerPixelY};
}

Parts dtVisualScrollBar::ReadParts() const
{
    return {PartRect(PartId::Background), PartRect(PartId::Up),    PartRect(PartId::Down),
            PartRect(PartId::Left),       PartRect(PartId::Right), PartRect(PartId::Thumb)};
}

void dtVisualScrollBar::PlacePart(PartId part, const Rect& twips)
{
    const platform::ScreenMetrics screen = platform::Screen();
    const QRect pixels(ToPixels(twips.left, screen.twipsPerPixelX), ToPixels(twips.top, screen.twipsPerPixelY),
                       std::max(0, ToPixels(twips.width, screen.twipsPerPixelX)),
                       std::max(0, ToPixels(twips.height, screen.twipsPerPixelY)));
    if (Part(part)->geometry() != pixels)
        Part(part)->setGeometry(pixels);
}

void dtVisualScrollBar::ApplyParts(const Parts& parts)
{
    PlacePart(PartId::Up, parts.up);
    PlacePart(PartId::Down, parts.down);
    PlacePart(PartId::Left, parts.left);
    PlacePart(PartId::Right, parts.right);
    PlacePart(PartId::Thumb, parts.thumb);
}

double dtVisualScrollBar::InnerWidth() const
{
    return width() * platform::Screen().twipsPerPixelX;
}

double dtVisualScrollBar::InnerHeight() const
{
    return height() * platform::Screen().twipsPerPixelY;
}

void dtVisualScrollBar::SetSizeTwips(double widthTwips, double heightTwips)
{
    const platform::ScreenMetrics screen = platform::Screen();
    const QSize size(std::max(0, ToPixels(widthTwips, screen.twipsPerPixelX)),
                     std::max(0, ToPixels(heightTwips, screen.twipsPerPixelY)));
    if (size == this->size())
        return;
    resize(size);
    // A hidden widget only hears of its new size when it is shown; the layout
    // must follow the size at once, as it does for a shown one.
    if (!isVisible())
        UserControl_Resize();
}

void dtVisualScrollBar::resizeEvent(QResizeEvent*)
{
    UserControl_Resize();
}

// --- properties ----------------------------------------------------------------

void dtVisualScrollBar::ShowRangeError(const QString& text) const
{
    platform::MsgBox(text, QStringLiteral("Error"), platform::MsgButtons::Ok, platform::MsgIcon::Critical);
}

void dtVisualScrollBar::SetMin(int32_t nVal)
{
    if (static_cast<double>(max_) - static_cast<double>(nVal) > kLongMax) {
        ShowRangeError(QString::fromLatin1(kRangeMessage) + GroupedLongMax());
        return;
    }
    min_ = nVal;
    SetValue(value_ < min_ ? min_ : value_);
    UserControl_Resize();
    emit PropertyChanged(QStringLiteral("Min"));
}

void dtVisualScrollBar::SetMax(int32_t nVal)
{
    if (nVal <= min_) {
        ShowRangeError(QStringLiteral("Invalid property value. Max property must be larger than Min property."));
        return;
    }
    if (static_cast<double>(nVal) - static_cast<double>(min_) > kLongMax) {
        ShowRangeError(QString::fromLatin1(kRangeMessage) + QString::number(std::numeric_limits<int32_t>::max()));
        return;
    }
    max_ = nVal;
    SetValue(max_ < value_ ? max_ : value_);
    UserControl_Resize();
    emit PropertyChanged(QStringLiteral("Max"));
}

void dtVisualScrollBar::SetValue(int32_t nVal)
{
    value_ = ClampToRange(nVal, min_, max_);
    PositionThumb();
    emit Change();
    emit PropertyChanged(QStringLiteral("Value"));
}

void dtVisualScrollBar::SetSmallChange(int32_t nVal)
{
    smallChange_ = (nVal < 1 || nVal > 32767) ? 1 : nVal;
    emit PropertyChanged(QStringLiteral("SmallChange"));
}

void dtVisualScrollBar::SetLargeChange(int32_t nVal)
{
    if (nVal < 1 || nVal > 32767) {
        ShowRangeError(QStringLiteral("Invalid property value"));
        largeChange_ = 1;
    } else {
        largeChange_ = nVal;
    }
    emit PropertyChanged(QStringLiteral("LargeChange"));
}

void dtVisualScrollBar::SetOrientation(int32_t nwOrientation)
{
    orientation_ = nwOrientation == kHorizontal ? kHorizontal : kVertical;
    thumbAlignment_ = AlignmentFor(orientation_, thumbAlignment_);
    const bool vertical = IsVertical(orientation_);
    picUP->setVisible(vertical);
    picDN->setVisible(vertical);
    picLeft->setVisible(!vertical);
    picRight->setVisible(!vertical);
    UserControl_Resize();
}

void dtVisualScrollBar::SetThumbAlignment(int32_t nwAlign)
{
    thumbAlignment_ = AlignmentFor(orientation_, nwAlign);
    UserControl_Resize();
}

void dtVisualScrollBar::SetButtonsVisible(bool vData)
{
    buttonsVisible_ = vData;
    picUP->hide();
    picDN->hide();
    picLeft->hide();
    picRight->hide();
    if (IsVertical(orientation_)) {
        picUP->setVisible(vData);
        picDN->setVisible(vData);
    } else {
        picLeft->setVisible(vData);
        picRight->setVisible(vData);
    }
    UserControl_Resize();
    emit PropertyChanged(QStringLiteral("ButtonsVisible"));
}

void dtVisualScrollBar::SetAutoSize(bool vData)
{
    autoSize_ = vData;
    picBG->SetAutoSize(vData);
    UserControl_Resize();
    emit PropertyChanged(QStringLiteral("AutoSize"));
}

uint32_t dtVisualScrollBar::BackColor() const
{
    return BgrOf(picBG->FillColour().value_or(ColourOf(kDefaultBackColor)));
}

void dtVisualScrollBar::SetBackColor(uint32_t nwColor)
{
    picBG->SetFillColour(ColourOf(nwColor));
    UserControl_Resize();
}

void dtVisualScrollBar::SetEnabled(bool on)
{
    setEnabled(on);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

// --- pictures --------------------------------------------------------------------

QImage dtVisualScrollBar::PictureBackground() const { return picBG->Picture(); }
QImage dtVisualScrollBar::PictureUp() const { return picUP->Picture(); }
QImage dtVisualScrollBar::PictureDown() const { return picDN->Picture(); }
QImage dtVisualScrollBar::PictureLeft() const { return picLeft->Picture(); }
QImage dtVisualScrollBar::PictureRight() const { return picRight->Picture(); }
QImage dtVisualScrollBar::PictureThumb() const { return picTHUMB->Picture(); }

void dtVisualScrollBar::SetPictureBackground(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Background, nwPic, "PictureBackground");
}
void dtVisualScrollBar::SetPictureUp(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Up, nwPic, "PictureUp");
}
void dtVisualScrollBar::SetPictureDown(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Down, nwPic, "PictureDown");
}
void dtVisualScrollBar::SetPictureLeft(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Left, nwPic, "PictureLeft");
}
void dtVisualScrollBar::SetPictureRight(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Right, nwPic, "PictureRight");
}
void dtVisualScrollBar::SetPictureThumb(const std::optional<QImage>& nwPic)
{
    SetPicture(PartId::Thumb, nwPic, "PictureThumb");
}

void dtVisualScrollBar::SetPicture(PartId part, const std::optional<QImage>& nwPic, const char* name)
{
    ScrollBarPart* target = Part(part);
    if (!nwPic) {
        // Only the left and down buttons collapse with their picture; the
        // others keep the size they had, which stored forms rely on.
        target->RemovePicture();
        if (part == PartId::Left || part == PartId::Down)
            target->resize(0, 0);
    } else if (!nwPic->isNull()) {
        target->SetPicture(*nwPic);
        if (part == PartId::Background) {
            const Rect bg = PartRect(PartId::Background);
            SetSizeTwips(bg.width, bg.height);
        }
    } else {
        // A picture object without an image keeps the part's picture and
        // fits the part to the bar instead.
        const double sw = InnerWidth();
        const double sh = InnerHeight();
        Rect rect = PartRect(part);
        if (part == PartId::Background) {
            rect.width = sw;
            rect.height = sh;
        } else {
            const double side = sh < sw ? sh : sw;
            rect.width = side;
            rect.height = side;
        }
        PlacePart(part, rect);
    }
    ShowButtons();
    emit PropertyChanged(QString::fromLatin1(name));
}

// --- lifecycle and persistence -------------------------------------------------------

void dtVisualScrollBar::UserControl_InitProperties()
{
    firstLayoutPending_ = true;
    min_ = 0;
    max_ = 32767;
    value_ = 0;
    smallChange_ = 1;
    largeChange_ = 10;
    buttonsVisible_ = true;
    autoSize_ = false;
    picBG->SetAutoSize(false);
    setEnabled(true);
}

void dtVisualScrollBar::UserControl_ReadProperties(const PropertyBag& bag)
{
    max_ = bag.ReadProperty(QStringLiteral("Max"), std::numeric_limits<int32_t>::max()).toInt();
    min_ = bag.ReadProperty(QStringLiteral("Min"), 0).toInt();
    buttonsVisible_ = bag.ReadProperty(QStringLiteral("ButtonsVisible"), true).toBool();
    // Anything but 0 reads as vertical, as the setter takes it.
    orientation_ = bag.ReadProperty(QStringLiteral("Orientation"), kVertical).toInt() == kHorizontal
                       ? kHorizontal
                       : kVertical;
    thumbAlignment_ = bag.ReadProperty(QStringLiteral("ThumbAlignment"), 0).toInt();
    SetPictureBackground(StoredPicture(bag.ReadProperty(QStringLiteral("PictureBackground"), QVariant())));
    SetPictureUp(StoredPicture(bag.ReadProperty(QStringLiteral("PictureUp"), QVariant())));
    SetPictureDown(StoredPicture(bag.ReadProperty(QStringLiteral("PictureDown"), QVariant())));
    SetPictureRight(StoredPicture(bag.ReadProperty(QStringLiteral("PictureRight"), QVariant())));
    SetPictureLeft(StoredPicture(bag.ReadProperty(QStringLiteral("PictureLeft"), QVariant())));
    SetPictureThumb(StoredPicture(bag.ReadProperty(QStringLiteral("PictureThumb"), QVariant())));
    value_ = bag.ReadProperty(QStringLiteral("Value"), 0).toInt();
    picBG->SetFillColour(ColourOf(bag.ReadProperty(QStringLiteral("BackColor"), kDefaultBackColor).toUInt()));
    largeChange_ = bag.ReadProperty(QStringLiteral("LargeChange"), 10).toInt();
    smallChange_ = bag.ReadProperty(QStringLiteral("SmallChange"), 1).toInt();
    autoSize_ = bag.ReadProperty(QStringLiteral("AutoSize"), false).toBool();
    picBG->SetAutoSize(autoSize_);
    setEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());
}

void dtVisualScrollBar::UserControl_WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("ButtonsVisible"), buttonsVisible_, true);
    bag.WriteProperty(QStringLiteral("Orientation"), orientation_, kVertical);
    bag.WriteProperty(QStringLiteral("ThumbAlignment"), thumbAlignment_, 0);
    bag.WriteProperty(QStringLiteral("PictureBackground"), PictureToStore(PictureBackground()), QVariant());
    bag.WriteProperty(QStringLiteral("PictureUp"), PictureToStore(PictureUp()), QVariant());
    bag.WriteProperty(QStringLiteral("PictureDown"), PictureToStore(PictureDown()), QVariant());
    bag.WriteProperty(QStringLiteral("PictureRight"), PictureToStore(PictureRight()), QVariant());
    bag.WriteProperty(QStringLiteral("PictureLeft"), PictureToStore(PictureLeft()), QVariant());
    bag.WriteProperty(QStringLiteral("PictureThumb"), PictureToStore(PictureThumb()), QVariant());
    bag.WriteProperty(QStringLiteral("Min"), min_, 0);
    bag.WriteProperty(QStringLiteral("Max"), max_, std::numeric_limits<int32_t>::max());
    bag.WriteProperty(QStringLiteral("Value"), value_, 0);
    bag.WriteProperty(QStringLiteral("BackColor"), BackColor(), kDefaultBackColor);
    bag.WriteProperty(QStringLiteral("LargeChange"), largeChange_, 10);
    bag.WriteProperty(QStringLiteral("SmallChange"), smallChange_, 1);
    bag.WriteProperty(QStringLiteral("AutoSize"), autoSize_, false);
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
}

// --- layout ----------------------------------------------------------------------------

void dtVisualScrollBar::UserControl_Resize()
{
    if (firstLayoutPending_) {
        InitialLayout();
        ShowButtons();
    }
    if (autoSize_ && picBG->HasPicture()) {
        const Rect bg = PartRect(PartId::Background);
        SetSizeTwips(bg.width, bg.height);
    }
    const double sw = InnerWidth();
    const double sh = InnerHeight();
    PlacePart(PartId::Background, {0, 0, sw, sh});

    Parts parts = ReadParts();
    if (!PlaceButtons(orientation_, thumbAlignment_, buttonsVisible_, sw, sh, parts))
        return;
    ApplyParts(parts);
    PositionThumb();
}

void dtVisualScrollBar::PositionThumb()
{
    Parts parts = ReadParts();
    PlaceThumb(orientation_, thumbAlignment_, buttonsVisible_, value_, min_, max_, InnerWidth(), InnerHeight(),
               parts);
    PlacePart(PartId::Thumb, parts.thumb);
}

void dtVisualScrollBar::ShowButtons()
{
    picUP->hide();
    picDN->hide();
    picLeft->hide();
    picRight->hide();
    picTHUMB->show();
    if (!buttonsVisible_)
        return;
    if (orientation_ == kVertical) {
        picUP->show();
        picDN->show();
    } else if (orientation_ == kHorizontal) {
        picLeft->show();
        picRight->show();
    }
}

void dtVisualScrollBar::InitialLayout()
{
    firstLayoutPending_ = false;
    const double sw = InnerWidth();
    const double sh = InnerHeight();
    SetOrientation(sh >= sw ? kVertical : kHorizontal);
    PlacePart(PartId::Background, {0, 0, InnerWidth(), InnerHeight()});
    ShowButtons();
    if (IsVertical(orientation_)) {
        SetThumbAlignment(kAlignCentreV);
        SetSizeTwips(kInitialThicknessTwips, InnerHeight());
    } else {
        SetThumbAlignment(kAlignCentreH);
        SetSizeTwips(InnerWidth(), kInitialThicknessTwips);
    }
}

// --- pointer handlers -------------------------------------------------------------------

void dtVisualScrollBar::picUP_Click()
{
    SetValue(AddClamped(value_, -static_cast<int64_t>(smallChange_)));
}

void dtVisualScrollBar::picLeft_Click()
{
    SetValue(AddClamped(value_, -static_cast<int64_t>(smallChange_)));
}

void dtVisualScrollBar::picDN_Click()
{
    SetValue(AddClamped(value_, smallChange_));
}

void dtVisualScrollBar::picRight_Click()
{
    SetValue(AddClamped(value_, smallChange_));
}

void dtVisualScrollBar::picBG_MouseDown(QPointF twips)
{
    const Rect thumb = PartRect(PartId::Thumb);
    const bool after = IsVertical(orientation_) ? twips.y() > thumb.top : twips.x() > thumb.left;
    SetValue(AddClamped(value_, after ? static_cast<int64_t>(largeChange_) : -static_cast<int64_t>(largeChange_)));
}

void dtVisualScrollBar::picTHUMB_MouseDown(QPointF twips)
{
    const bool vertical = IsVertical(orientation_);
    const Rect thumb = PartRect(PartId::Thumb);
    grabOffset_ = RoundToLong(vertical ? twips.y() : twips.x());
    dragging_ = true;
    thumbMoved_ = false;
    lastThumbPos_ = RoundToLong(vertical ? thumb.top : thumb.left);
}

void dtVisualScrollBar::picTHUMB_MouseMove(QPointF twips)
{
    if (!dragging_)
        return;
    const bool vertical = IsVertical(orientation_);
    const Parts parts = ReadParts();
    const DragTrack track = DragTrackOf(orientation_, parts);
    // A thumb as long as its track has nowhere to go, and no position of it
    // would stand for a value.
    if (track.end <= track.start)
        return;
    const double thumbPos = vertical ? parts.thumb.top : parts.thumb.left;
    const int64_t candidate =
        DragCandidate(thumbPos, vertical ? twips.y() : twips.x(), grabOffset_, track);
    if (candidate == lastThumbPos_)
        return;

    Rect moved = parts.thumb;
    (vertical ? moved.top : moved.left) = static_cast<double>(candidate);
    PlacePart(PartId::Thumb, moved);

    const Rect readBack = PartRect(PartId::Thumb);
    if (const auto value = DragValue(vertical ? readBack.top : readBack.left, track, min_, max_))
        value_ = *value;
    emit Scroll();
    lastThumbPos_ = candidate;
    thumbMoved_ = true;
}

void dtVisualScrollBar::picTHUMB_MouseUp(QPointF)
{
    dragging_ = false;
    if (thumbMoved_)
        emit Change();
}

} // namespace controls
