// The skinned push button driven through real mouse, focus and timer events.
#include "controls/Command.h"
#include "platform/widgets/Screen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <gtest/gtest.h>

using controls::Command;
using controls::Skin;

namespace {

constexpr uint32_t kBorderBlue = 0x00743C00;

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ScreenMetrics m;
        m.twipsPerPixelX = 15;
        m.twipsPerPixelY = 15;
        platform::SetScreenOverride(m);
        window = std::make_unique<QWidget>();
        window->resize(300, 100);
        button = new Command(window.get());
        button->move(10, 10);
        button->Initialize();
        // The hover timer sees the pointer wherever the test puts it.
        button->SetPointerQuery([this] { return pointerOver; });
        pointerOver = button;
        QObject::connect(button, &Command::Click, [this] { ++clicks; });
    }
    void TearDown() override
    {
        window.reset();
        platform::SetScreenOverride(std::nullopt);
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton which, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(button->mapToGlobal(at)), which, held, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
    void MoveTo(QPoint at, Qt::MouseButtons held = Qt::NoButton) { Mouse(QEvent::MouseMove, at, Qt::NoButton, held); }
    void Press(Qt::MouseButton which = Qt::LeftButton, QPoint at = {50, 14})
    {
        Mouse(QEvent::MouseButtonPress, at, which, which);
    }
    void Release(Qt::MouseButton which = Qt::LeftButton, QPoint at = {50, 14})
    {
        Mouse(QEvent::MouseButtonRelease, at, which, Qt::NoButton);
    }
    void Focus(QEvent::Type type)
    {
        QFocusEvent event(type, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(button, &event);
    }
    // One hover tick with the pointer over the given widget.
    void TickWithPointerOver(QWidget* widget)
    {
        pointerOver = widget;
        button->TmrMouse_Timer();
    }
    Skin Face() const { return button->Face().value_or(Skin::Normal); }
    uint32_t Pixel(int x, int y) const { return button->DrawingSurface().GetPixel(x, y); }

    std::unique_ptr<QWidget> window;
    Command* button = nullptr;
    QWidget* pointerOver = nullptr;
    int clicks = 0;
};

} // namespace

TEST_F(CommandTest, DraggingOffAFocusedButtonRaisesNoClick)
{
    MoveTo({50, 14});
    EXPECT_EQ(button->ButtonState(), 2);
    EXPECT_EQ(Face(), Skin::HighLight);
    Focus(QEvent::FocusIn);
    EXPECT_EQ(button->ButtonState(), 4);
    EXPECT_EQ(Face(), Skin::Pressed);
    Press();
    EXPECT_TRUE(button->MouseHeld());
    EXPECT_EQ(Face(), Skin::Pressed);

    MoveTo({200, 60}, Qt::LeftButton);
    TickWithPointerOver(window.get());
    EXPECT_EQ(button->ButtonState(), 3);
    EXPECT_EQ(Face(), Skin::Selected);
    Release(Qt::LeftButton, {200, 60});
    EXPECT_FALSE(button->MouseHeld());
    EXPECT_EQ(Face(), Skin::Selected);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CommandTest, DraggingOffAndBackStillRaisesNoClick)
{
    MoveTo({50, 14});
    Focus(QEvent::FocusIn);
    Press();
    MoveTo({200, 60}, Qt::LeftButton);
    TickWithPointerOver(nullptr);
    EXPECT_EQ(button->ButtonState(), 3);
    // Back over the button while the left button is still down.
    MoveTo({30, 10}, Qt::LeftButton);
    TickWithPointerOver(button->CaptionLabel());
    EXPECT_EQ(button->ButtonState(), 3);
    EXPECT_EQ(Face(), Skin::Selected);
    Release();
    EXPECT_EQ(clicks, 0);
}

TEST_F(CommandTest, PressAndReleaseOverAFocusedHoveredButtonClicksOnce)
{
    MoveTo({50, 14});
    Focus(QEvent::FocusIn);
    Release(Qt::LeftButton); // a stray release from before does not matter here
    clicks = 0;
    EXPECT_EQ(button->ButtonState(), 4);
    Press();
    EXPECT_EQ(Face(), Skin::Pressed);
    Release();
    EXPECT_EQ(Face(), Skin::HighLightSelect);
    EXPECT_EQ(button->ButtonState(), 4);
    EXPECT_EQ(clicks, 1);
}

TEST_F(CommandTest, OtherButtonsReleaseAClickWithoutChangingTheLook)
{
    MoveTo({50, 14});
    EXPECT_EQ(Face(), Skin::HighLight);
    Press(Qt::RightButton);
    EXPECT_FALSE(button->MouseHeld());
    EXPECT_EQ(Face(), Skin::HighLight);
    Release(Qt::RightButton);
    EXPECT_EQ(clicks, 1);
    Press(Qt::MiddleButton);
    Release(Qt::MiddleButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button->ButtonState(), 2);
    EXPECT_EQ(Face(), Skin::HighLight);

    // A left release while hovered but unfocused goes back to the normal look.
    Press();
    Release();
    EXPECT_EQ(Face(), Skin::Normal);
    EXPECT_EQ(clicks, 3);
}

TEST_F(CommandTest, HoverEndsWhenThePointerLeavesAndFocusLeaves)
{
    MoveTo({50, 14});
    TickWithPointerOver(button->CaptionLabel());
    EXPECT_EQ(button->ButtonState(), 2);
    TickWithPointerOver(window.get());
    EXPECT_EQ(button->ButtonState(), 1);
    EXPECT_EQ(Face(), Skin::Normal);

    // Moves outside the button's rectangle are not moves over it.
    MoveTo({150, 14});
    EXPECT_EQ(button->ButtonState(), 1);
    // The pointer entering the button counts as a move over it.
    QEnterEvent enter(QPointF(20, 10), QPointF(20, 10), QPointF(button->mapToGlobal(QPoint(20, 10))));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(button->ButtonState(), 2);
    TickWithPointerOver(window.get());

    Focus(QEvent::FocusIn);
    EXPECT_EQ(Face(), Skin::Selected);
    MoveTo({5, 5});
    EXPECT_EQ(Face(), Skin::HighLightSelect);
    TickWithPointerOver(nullptr);
    EXPECT_EQ(button->ButtonState(), 3);
    Focus(QEvent::FocusOut);
    EXPECT_EQ(button->ButtonState(), 1);
    EXPECT_EQ(Face(), Skin::Normal);
}

TEST_F(CommandTest, WithoutInitializeThereIsNoHoverLook)
{
    auto* fresh = new Command(window.get());
    EXPECT_EQ(fresh->ButtonState(), 0);
    EXPECT_FALSE(fresh->HoverTracking());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(fresh, &move);
    EXPECT_EQ(fresh->ButtonState(), 0);
    EXPECT_EQ(fresh->Face(), Skin::Normal);
    // Releases still click.
    int freshClicks = 0;
    QObject::connect(fresh, &Command::Click, [&] { ++freshClicks; });
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(fresh, &release);
    EXPECT_EQ(freshClicks, 1);
}

TEST_F(CommandTest, TheHoverTimerRunsOnItsOwnAfterInitialize)
{
    int queries = 0;
    MoveTo({50, 14});
    button->SetPointerQuery([&]() -> QWidget* {
        ++queries;
        return window.get();
    });
    EXPECT_TRUE(button->HoverTracking());
    const QDeadlineTimer deadline(5000);
    while (queries == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_GT(queries, 0);
    EXPECT_EQ(button->ButtonState(), 1);
}

TEST_F(CommandTest, DisabledButtonIgnoresEverythingAndGreys)
{
    button->SetEnabled(0);
    EXPECT_EQ(Face(), Skin::Disable);
    EXPECT_FALSE(button->CaptionLabel()->isEnabled());
    EXPECT_EQ(Pixel(58, 0), 0x00BAC7C9u);
    MoveTo({50, 14});
    Focus(QEvent::FocusIn);
    Press();
    TickWithPointerOver(window.get());
    Release();
    EXPECT_EQ(button->ButtonState(), 1);
    EXPECT_EQ(Face(), Skin::Disable);
    EXPECT_EQ(clicks, 0);

    // Any non-zero value enables, and enabled means -1 so releases click.
    button->SetEnabled(1);
    EXPECT_EQ(button->Enabled(), -1);
    EXPECT_TRUE(button->CaptionLabel()->isEnabled());
    EXPECT_EQ(Face(), Skin::Normal);
    Release();
    EXPECT_EQ(clicks, 1);
}

TEST_F(CommandTest, FacesShowTheirSkinsAroundTheGradient)
{
    // 1755 x 420 twips is 117 x 28 pixels.
    EXPECT_EQ(button->size(), QSize(117, 28));
    const auto pieces = controls::FacePieces(117, 28);
    EXPECT_EQ(pieces[1].destWidth, 109);   // 1635 twips
    EXPECT_EQ(pieces[1].sourceWidth, 56);  // 840 twips
    EXPECT_EQ(pieces[3].destHeight, 20);   // 300 twips
    EXPECT_EQ(pieces[3].sourceHeight, 17); // 255 twips

    // The border runs unbroken along the whole top and left, corners cut.
    EXPECT_EQ(Face(), Skin::Normal);
    EXPECT_EQ(Pixel(0, 0), controls::kButtonBackColour);
    EXPECT_EQ(Pixel(116, 27), controls::kButtonBackColour);
    for (int x = 1; x <= 115; ++x)
        ASSERT_EQ(Pixel(x, 0), kBorderBlue) << x;
    for (int y = 1; y <= 26; ++y)
        ASSERT_EQ(Pixel(116, y), kBorderBlue) << y;

    // The middle is the gradient: white above, the tint below.
    const uint32_t top = Pixel(58, 4);
    const uint32_t bottom = Pixel(58, 23);
    EXPECT_GT(top & 0xFF, bottom & 0xFF);
    EXPECT_EQ(Pixel(10, 13), Pixel(100, 13));
    EXPECT_FALSE(button->GradientReversed());

    // The hovered face reverses the gradient and glows orange inside the border.
    MoveTo({50, 14});
    EXPECT_TRUE(button->GradientReversed());
    EXPECT_LT(Pixel(58, 4) & 0xFF, Pixel(58, 23) & 0xFF);
    EXPECT_EQ(Pixel(58, 1), 0x0079D2FCu);
    Focus(QEvent::FocusIn);
    Press();
    EXPECT_EQ(Pixel(58, 3), 0x00D9E1E2u);
    Release();
    TickWithPointerOver(window.get());
    EXPECT_EQ(Face(), Skin::Selected);
    EXPECT_EQ(Pixel(58, 1), 0x00F4D0B7u);
    EXPECT_EQ(Pixel(58, 0), kBorderBlue);
}

TEST_F(CommandTest, CaptionSitsAboveTheCentreAcrossTheWholeWidth)
{
    // A hidden widget gets its resize only when shown.
    window->show();
    // (420 - 195 - 20) / 2 = 102.5 twips, about 7 pixels.
    EXPECT_EQ(button->CaptionLabel()->geometry(), QRect(0, 7, 117, 13));
    button->resize(69, 29);
    EXPECT_EQ(button->CaptionLabel()->geometry(), QRect(0, 7, 69, 13));
    button->resize(200, 60);
    EXPECT_EQ(button->CaptionLabel()->geometry(), QRect(0, 23, 200, 13));
    EXPECT_EQ(controls::CaptionTop(30, 13, 15), 8);
    EXPECT_TRUE(button->CaptionLabel()->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(CommandTest, VisibleShowsOrHidesTheFace)
{
    QStringList changed;
    QObject::connect(button, &Command::PropertyChanged, [&](const QString& name) { changed << name; });
    button->SetVisible(0);
    EXPECT_EQ(button->Visible(), 0);
    EXPECT_FALSE(button->SurfaceShown());
    button->SetVisible(7);
    EXPECT_EQ(button->Visible(), 255);
    EXPECT_TRUE(button->SurfaceShown());
    EXPECT_EQ(changed, (QStringList{"Visible", "Visible"}));
}

TEST_F(CommandTest, CaptionDefaultsDifferBetweenWritingAndReading)
{
    EXPECT_EQ(button->Caption(), "Command");
    controls::PropertyBag bag;
    button->WriteProperties(bag);
    EXPECT_FALSE(bag.Contains("Caption"));
    EXPECT_TRUE(bag.Keys().isEmpty() || !bag.Keys().contains("Enabled"));
    auto* loaded = new Command(window.get());
    loaded->ReadProperties(bag);
    EXPECT_EQ(loaded->Caption(), "Command1");

    button->SetCaption(QStringLiteral("再生"));
    controls::PropertyBag named;
    button->WriteProperties(named);
    loaded->ReadProperties(named);
    EXPECT_EQ(loaded->Caption(), QStringLiteral("再生"));
}

TEST_F(CommandTest, PropertiesAreWrittenInOrderAndReadBack)
{
    button->SetEnabled(0);
    button->SetCaption("Go");
    button->SetFontColour(0x000000FF);
    button->SetVisible(0);
    QFont other = button->Font();
    other.setFamily("DejaVu Serif");
    button->SetFont(other);
    controls::PropertyBag bag;
    button->WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (QStringList{"Enabled", "Caption", "Font", "FontColour", "Visible"}));

    auto* loaded = new Command(window.get());
    loaded->ReadProperties(bag);
    EXPECT_EQ(loaded->Enabled(), 0);
    EXPECT_EQ(loaded->Face(), Skin::Disable);
    EXPECT_EQ(loaded->Caption(), "Go");
    EXPECT_EQ(loaded->FontColour(), 0x000000FFu);
    EXPECT_EQ(loaded->Visible(), 0);
    EXPECT_EQ(loaded->Font().family(), "DejaVu Serif");

    // Only a stored font's face is taken, not its size.
    QFont big("Noto Sans CJK JP");
    big.setPointSizeF(20);
    controls::PropertyBag withBigFont;
    withBigFont.WriteProperty("Font", big, QFont());
    loaded->ReadProperties(withBigFont);
    EXPECT_EQ(loaded->Font().family(), "Noto Sans CJK JP");
    EXPECT_DOUBLE_EQ(loaded->Font().pointSizeF(), 9.75);

    // A never-used instance also stores FirstRun, between Caption and Font;
    // loading it turns the button on at the first read of Enabled.
    button->InitProperties();
    controls::PropertyBag fresh;
    button->WriteProperties(fresh);
    EXPECT_EQ(fresh.Keys(), (QStringList{"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}));
    loaded->ReadProperties(fresh);
    EXPECT_EQ(loaded->FirstRun(), 0);
    EXPECT_EQ(loaded->Enabled(), -1);
    EXPECT_EQ(loaded->FirstRun(), 1);
}

TEST_F(CommandTest, AFreshInstanceTurnsOnWhenEnabledIsFirstRead)
{
    button->InitProperties();
    EXPECT_EQ(button->ButtonState(), 0);
    EXPECT_EQ(button->FirstRun(), 0);
    button->SetFontColour(0x00FF0000);
    // Disabled and unused: a refresh leaves the colour alone.
    EXPECT_EQ(button->FontColour(), 0x00FF0000u);
    EXPECT_EQ(button->Enabled(), -1);
    EXPECT_EQ(button->FirstRun(), 1);
    EXPECT_EQ(button->Face(), Skin::Normal);

    // An enabled instance that was never used resets its caption to black.
    button->InitProperties();
    button->SetEnabled(-1);
    button->SetFontColour(0x00FF0000);
    EXPECT_EQ(button->FontColour(), 0u);
    EXPECT_EQ(button->CaptionLabel()->property("Tag").toString(), "15724527");
}
