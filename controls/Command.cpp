#include "controls/Command.h"

#include "platform/rules/Runtime.h"
#include "platform/widgets/Screen.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace controls {
namespace {

// Design geometry in twips: the button is 1755 x 420 and its caption sits at
// (0, 90), 1635 x 195.
constexpr double kDefaultWidthTwips = 1755;
constexpr double kDefaultHeightTwips = 420;
constexpr double kCaptionTopTwips = 90;
constexpr double kCaptionWidthTwips = 1635;
constexpr double kCaptionHeightTwips = 195;

constexpr int kHoverIntervalMs = 100;

// The caption's tag after a first refresh: the number of the colour 0xEFEFEF.
const char* const kFirstRunTag = "15724527";

} // namespace

// --- state rules ---------------------------------------------------------

std::optional<Skin> CommandRules::MouseMove()
{
    if (ButtonState == 1) {
        ButtonState = 2;
        return Skin::HighLight;
    }
    if (ButtonState == 3 && !MouseHeld) {
        ButtonState = 4;
        return Skin::HighLightSelect;
    }
    return std::nullopt;
}

std::optional<Skin> CommandRules::EndHover()
{
    if (ButtonState == 2) {
        ButtonState = 1;
        return Skin::Normal;
    }
    if (ButtonState == 4) {
        ButtonState = 3;
        return Skin::Selected;
    }
    return std::nullopt;
}

std::optional<Skin> CommandRules::FocusArrives()
{
    // Focus that comes with a click on a hovered button shows it pressed.
    if (ButtonState == 2) {
        ButtonState = 4;
        return Skin::Pressed;
    }
    ButtonState = 3;
    return Skin::Selected;
}

std::optional<Skin> CommandRules::FocusLeaves()
{
    if (ButtonState == 1)
        return std::nullopt;
    ButtonState = 1;
    return Skin::Normal;
}

std::optional<Skin> CommandRules::ButtonPressed(bool leftButton)
{
    if (!leftButton)
        return std::nullopt;
    MouseHeld = true;
    return Skin::Pressed;
}

std::optional<Skin> CommandRules::ButtonReleased(bool leftButton)
{
    if (!leftButton)
        return std::nullopt;
    MouseHeld = false;
    if (ButtonState == 2)
        return Skin::Normal;
    if (ButtonState == 4)
        return Skin::HighLightSelect;
    return std::nullopt;
}

int CaptionTop(int heightPixels, int captionHeightPixels, double twipsPerPixel)
{
    const double topTwips = (heightPixels * twipsPerPixel - captionHeightPixels * twipsPerPixel - 20) / 2;
    return static_cast<int>(platform::RoundHalfEven(topTwips / twipsPerPixel));
}

QFont ButtonFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("sans-serif")});
    font.setPointSizeF(9.75);
    return font;
}

// --- the widget ----------------------------------------------------------

Command::Command(QWidget* parent)
    : platform::SurfaceWidget(parent), LblMsg(new QLabel(QStringLiteral("Command"), this)), TmrMouse(new QTimer(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setFont(ButtonFont());
    DrawingSurface().SetBackColour(kButtonBackColour);

    // The caption has no window of its own: the pointer over it is over the
    // button, and its mouse events are the button's.
    LblMsg->setAttribute(Qt::WA_TransparentForMouseEvents);
    LblMsg->setAlignment(Qt::AlignCenter);
    LblMsg->setFont(ButtonFont());
    LblMsg->setGeometry(0, platform::TwipsToPixelsY(kCaptionTopTwips), platform::TwipsToPixelsX(kCaptionWidthTwips),
                        platform::TwipsToPixelsY(kCaptionHeightTwips));
    SetCaptionColour(0);

    TmrMouse->setInterval(kHoverIntervalMs);
    connect(TmrMouse, &QTimer::timeout, this, &Command::TmrMouse_Timer);

    resize(platform::TwipsToPixelsX(kDefaultWidthTwips), platform::TwipsToPixelsY(kDefaultHeightTwips));
    RefreshLook();
}

void Command::Initialize()
{
    rules_.ButtonState = 1;
    TmrMouse->start(kHoverIntervalMs);
}

bool Command::HoverTracking() const
{
    return TmrMouse->isActive();
}

uint8_t Command::Visible()
{
    if (!SurfaceShown())
        return 0;
    RefreshLook();
    return 255;
}

void Command::SetVisible(uint8_t value)
{
    SetSurfaceShown(value != 0);
    if (value != 0)
        RefreshLook();
    emit PropertyChanged(QStringLiteral("Visible"));
}

uint32_t Command::FontColour()
{
    const uint32_t colour = fontColour_;
    RefreshLook();
    return colour;
}

void Command::SetFontColour(uint32_t colour)
{
    SetCaptionColour(colour);
    RefreshLook();
    emit PropertyChanged(QStringLiteral("FontColour"));
}

int16_t Command::Enabled()
{
    if (firstRun_ == 0) {
        RefreshLook();
        firstRun_ = 1;
        enabled_ = -1;
    }
    const int16_t value = enabled_;
    ApplyEnabledLook();
    return value;
}

void Command::SetEnabled(int16_t value)
{
    enabled_ = value != 0 ? -1 : 0;
    emit PropertyChanged(QStringLiteral("Enabled"));
    ApplyEnabledLook();
}

QString Command::Caption() const
{
    return LblMsg->text();
}

void Command::SetCaption(const QString& caption)
{
    LblMsg->setText(caption);
    emit PropertyChanged(QStringLiteral("Caption"));
}

QFont Command::Font() const
{
    return LblMsg->font();
}

void Command::SetFont(const QFont& font)
{
    LblMsg->setFont(font);
    emit PropertyChanged(QStringLiteral("Font"));
}

void Command::InitProperties()
{
    enabled_ = 0;
    firstRun_ = 0;
    rules_ = CommandRules{};
}

void Command::ReadProperties(const PropertyBag& bag)
{
    enabled_ = bag.ReadProperty(QStringLiteral("Enabled"), true).toBool() ? -1 : 0;
    LblMsg->setText(bag.ReadProperty(QStringLiteral("Caption"), QStringLiteral("Command1")).toString());
    // Only the stored font's face is taken; the caption keeps its size and style.
    const QFont stored = bag.ReadProperty(QStringLiteral("Font"), AmbientFont()).value<QFont>();
    QFont font = LblMsg->font();
    font.setFamilies(stored.families().isEmpty() ? QStringList{stored.family()} : stored.families());
    LblMsg->setFont(font);
    firstRun_ = static_cast<uint8_t>(bag.ReadProperty(QStringLiteral("FirstRun"), 1).toUInt());
    SetCaptionColour(static_cast<uint32_t>(bag.ReadProperty(QStringLiteral("FontColour"), 0).toLongLong()));
    SetSurfaceShown(bag.ReadProperty(QStringLiteral("Visible"), 1).toInt() != 0);
    RefreshLook();
}

void Command::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(QStringLiteral("Enabled"), enabled_ != 0, true);
    bag.WriteProperty(QStringLiteral("Caption"), LblMsg->text(), QStringLiteral("Command"));
    bag.WriteProperty(QStringLiteral("FirstRun"), static_cast<uint>(firstRun_), 1u);
    bag.WriteProperty(QStringLiteral("Font"), LblMsg->font(), AmbientFont());
    bag.WriteProperty(QStringLiteral("FontColour"), static_cast<int32_t>(fontColour_), int32_t{0});
    bag.WriteProperty(QStringLiteral("Visible"), SurfaceShown() ? 1 : 0, 1);
}

// --- handlers --------------------------------------------------------------

void Command::UserControl_MouseMove(const QPoint& position)
{
    if (enabled_ == 0 || !rect().contains(position))
        return;
    if (auto skin = rules_.MouseMove())
        DrawFace(*skin);
}

void Command::UserControl_MouseDown(Qt::MouseButton button)
{
    if (enabled_ == 0)
        return;
    if (auto skin = rules_.ButtonPressed(button == Qt::LeftButton))
        DrawFace(*skin);
}

void Command::UserControl_MouseUp(Qt::MouseButton button)
{
    if (enabled_ == 0)
        return;
    if (auto skin = rules_.ButtonReleased(button == Qt::LeftButton))
        DrawFace(*skin);
    // Raised last: a click may open a modal window or close this one.
    if (rules_.ReleaseRaisesClick(enabled_))
        emit Click();
}

void Command::UserControl_GotFocus()
{
    if (enabled_ == 0)
        return;
    if (auto skin = rules_.FocusArrives())
        DrawFace(*skin);
}

void Command::UserControl_LostFocus()
{
    if (enabled_ == 0)
        return;
    if (auto skin = rules_.FocusLeaves())
        DrawFace(*skin);
}

void Command::UserControl_Resize()
{
    ApplyEnabledLook();
}

void Command::TmrMouse_Timer()
{
    if (enabled_ == 0)
        return;
    QWidget* under = pointerQuery_ ? pointerQuery_() : QApplication::widgetAt(QCursor::pos());
    // The caption is part of the button; anything else, the window behind
    // the button included, means the pointer has left.
    const bool overButton = under != nullptr && (under == this || isAncestorOf(under));
    if (overButton)
        return;
    if (auto skin = rules_.EndHover())
        DrawFace(*skin);
}

void Command::SetPointerQuery(PointerQuery query)
{
    pointerQuery_ = std::move(query);
}

void Command::enterEvent(QEnterEvent* event)
{
    // The pointer arriving over the button, also when a window appears under
    // a pointer that does not move, counts as a move over it.
    UserControl_MouseMove(event->position().toPoint());
}

void Command::mouseMoveEvent(QMouseEvent* event)
{
    UserControl_MouseMove(event->position().toPoint());
}

void Command::mousePressEvent(QMouseEvent* event)
{
    UserControl_MouseDown(event->button());
}

void Command::mouseReleaseEvent(QMouseEvent* event)
{
    UserControl_MouseUp(event->button());
}

void Command::focusInEvent(QFocusEvent*)
{
    UserControl_GotFocus();
}

void Command::focusOutEvent(QFocusEvent*)
{
    UserControl_LostFocus();
}

void Command::resizeEvent(QResizeEvent*)
{
    UserControl_Resize();
}

// --- drawing -----------------------------------------------------------------

void Command::DrawFace(Skin skin)
{
    if (rules_.ButtonState == 1 || rules_.ButtonState == 3)
        gradientReversed_ = false;
    else if (rules_.ButtonState == 2)
        gradientReversed_ = true;

    platform::Surface& surface = DrawingSurface();
    if (surface.Width() != width() || surface.Height() != height())
        surface.Resize(width(), height());
    PaintFace(surface, skin, gradientReversed_);
    face_ = skin;
    SurfaceChanged();

    const double twipsPerPixel = platform::Screen().twipsPerPixelY;
    LblMsg->setGeometry(0, CaptionTop(height(), LblMsg->height(), twipsPerPixel), width(), LblMsg->height());
}

void Command::ApplyEnabledLook()
{
    if (enabled_ != 0) {
        DrawFace(Skin::Normal);
        LblMsg->setEnabled(true);
    } else {
        DrawFace(Skin::Disable);
        LblMsg->setEnabled(false);
    }
}

void Command::RefreshLook()
{
    if (enabled_ == 0)
        return;
    LblMsg->setEnabled(true);
    if (firstRun_ == 0) {
        LblMsg->setProperty("Tag", QString::fromLatin1(kFirstRunTag));
        SetCaptionColour(0);
    }
    DrawFace(Skin::Normal);
}

void Command::SetCaptionColour(uint32_t colour)
{
    fontColour_ = colour;
    const uint32_t plain = platform::PlainColour(colour);
    const QColor text(static_cast<int>(plain & 0xFF), static_cast<int>((plain >> 8) & 0xFF),
                      static_cast<int>((plain >> 16) & 0xFF));
    // The disabled group keeps the toolkit's grey so a disabled caption greys.
    QPalette palette = LblMsg->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, text);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
    LblMsg->setPalette(palette);
}

QFont Command::AmbientFont() const
{
    return parentWidget() != nullptr ? parentWidget()->font() : QApplication::font();
}

} // namespace controls
