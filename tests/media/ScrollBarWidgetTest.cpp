// The scroll bar as a widget: first layout, property rules and messages,
// persistence, and pointer input through the window, so that the toolkit's
// press grab carries a drag beyond the thumb.
#include "controls/dtVisualScrollBar.h"
#include "platform/widgets/Screen.h"

#include "MessageRecorder.h"

#include <QApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QWindow>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

using controls::dtVisualScrollBar;
using Part = controls::dtVisualScrollBar::PartId;

namespace {

constexpr int32_t kLongMax = std::numeric_limits<int32_t>::max();

class ScrollBarWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenOverride(platform::ScreenMetrics{1024, 768, 15.0, 15.0});
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        bar.reset();
        platform::SetScreenOverride(std::nullopt);
        QLocale::setDefault(QLocale::c());
    }

    // A newly placed bar of the given pixel size, shown so that it takes
    // pointer input; its first layout chooses orientation and thickness.
    dtVisualScrollBar& NewBar(int width, int height)
    {
        bar = std::make_unique<dtVisualScrollBar>();
        bar->UserControl_InitProperties();
        bar->resize(width, height);
        bar->show();
        QObject::connect(bar.get(), &dtVisualScrollBar::Change, [this] { ++changes; });
        QObject::connect(bar.get(), &dtVisualScrollBar::Scroll, [this] { ++scrolls; });
        return *bar;
    }

    // A horizontal bar whose thumb track is exactly 3000 twips (200 pixels)
    // long: buttons hidden, a 21-pixel thumb in a 221-pixel bar.
    dtVisualScrollBar& DragBar()
    {
        dtVisualScrollBar& b = NewBar(221, 40);
        b.SetButtonsVisible(false);
        b.SetMax(1000);
        changes = 0;
        return b;
    }

    // Sends a mouse event to the bar's window at a point of the bar, as the
    // window system would; the toolkit finds (or keeps, while a button is
    // held) the part that receives it.
    void Mouse(QEvent::Type type, QPoint barPoint, Qt::MouseButton button, Qt::MouseButtons held)
    {
        const QPointF point(barPoint);
        QMouseEvent event(type, point, point, bar->mapToGlobal(point), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(bar->windowHandle(), &event);
    }
    void Press(QPoint p) { Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint p) { Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    void Click(Part part)
    {
        const QPoint centre = bar->PartWidget(part)->geometry().center();
        Press(centre);
        Release(centre);
    }

    std::unique_ptr<dtVisualScrollBar> bar;
    MessageRecorder recorder;
    int changes = 0;
    int scrolls = 0;
};

TEST_F(ScrollBarWidget, FirstLayoutChoosesOrientationAlignmentAndThickness)
{
    dtVisualScrollBar& wide = NewBar(200, 50);
    EXPECT_EQ(wide.Orientation(), 0);
    EXPECT_EQ(wide.ThumbAlignment(), 4);
    EXPECT_EQ(wide.height(), 21);
    EXPECT_FALSE(wide.FirstLayoutPending());
    EXPECT_TRUE(wide.PartWidget(Part::Left)->isVisible());
    EXPECT_FALSE(wide.PartWidget(Part::Up)->isVisible());

    dtVisualScrollBar& square = NewBar(60, 60);
    EXPECT_EQ(square.Orientation(), 1);
    EXPECT_EQ(square.ThumbAlignment(), 1);
    EXPECT_EQ(square.width(), 21);
    EXPECT_EQ(square.height(), 60);
    EXPECT_TRUE(square.PartWidget(Part::Down)->isVisible());
    // Down button at the bottom, thumb just below the up button.
    EXPECT_EQ(square.PartRect(Part::Down).top, 900 - 240);
    EXPECT_EQ(square.PartRect(Part::Thumb).top, 240);
    EXPECT_EQ(square.PartRect(Part::Background), (controls::scrollbar::Rect{0, 0, 315, 900}));
}

TEST_F(ScrollBarWidget, MinAndMaxAreValidatedWithTheirMessages)
{
    dtVisualScrollBar& b = NewBar(200, 21);
    b.SetMax(0);
    ASSERT_TRUE(recorder.messages.size() == 1);
    EXPECT_EQ(recorder.messages[0].text, "Invalid property value. Max property must be larger than Min property.");
    EXPECT_EQ(recorder.messages[0].title, "Error");
    EXPECT_EQ(recorder.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(b.Max(), 32767);

    b.SetMax(1);
    b.SetMin(-1);
    b.SetMax(0);
    ASSERT_EQ(b.Max(), 0);
    recorder.messages.clear();
    b.SetMin(std::numeric_limits<int32_t>::min());
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text,
              "Invalid property value. Difference between Min and Max values cannot exceed 2,147,483,647");
    EXPECT_EQ(b.Min(), -1);

    b.SetMax(kLongMax);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[1].text,
              "Invalid property value. Difference between Min and Max values cannot exceed 2147483647");
    EXPECT_EQ(recorder.messages[1].title, "Error");
    EXPECT_EQ(b.Max(), 0);

    // The grouping is the user's.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    b.SetMin(std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(recorder.messages.back().text.endsWith("2.147.483.647"));
}

TEST_F(ScrollBarWidget, ChangeStepsAreCheckedOrCoerced)
{
    dtVisualScrollBar& b = NewBar(200, 21);
    b.SetSmallChange(0);
    EXPECT_EQ(b.SmallChange(), 1);
    b.SetSmallChange(40000);
    EXPECT_EQ(b.SmallChange(), 1);
    b.SetSmallChange(32767);
    EXPECT_EQ(b.SmallChange(), 32767);
    EXPECT_TRUE(recorder.messages.empty());

    b.SetLargeChange(0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "Invalid property value");
    EXPECT_EQ(recorder.messages[0].title, "Error");
    EXPECT_EQ(b.LargeChange(), 1);
    b.SetLargeChange(25);
    EXPECT_EQ(b.LargeChange(), 25);
}

TEST_F(ScrollBarWidget, EverySetOfValueRaisesChange)
{
    dtVisualScrollBar& b = NewBar(200, 21);
    b.SetMax(100);
    b.SetValue(40);
    changes = 0;
    b.SetValue(40);
    EXPECT_EQ(changes, 1);
    b.SetValue(500);
    EXPECT_EQ(b.Value(), 100);
    b.SetValue(-3);
    EXPECT_EQ(b.Value(), 0);
    EXPECT_EQ(changes, 3);

    b.SetValue(80);
    changes = 0;
    b.SetMax(50);
    EXPECT_EQ(b.Value(), 50);
    b.SetMin(40);
    EXPECT_EQ(b.Value(), 50);
    b.SetMin(45);
    b.SetValue(45);
    b.SetMin(48);
    EXPECT_EQ(b.Value(), 48);
    EXPECT_EQ(changes, 5);
}

TEST_F(ScrollBarWidget, ButtonClicksStepBySmallChange)
{
    dtVisualScrollBar& b = NewBar(200, 21);
    b.SetMax(100);
    b.SetValue(98);
    b.SetSmallChange(5);
    changes = 0;
    Click(Part::Right);
    EXPECT_EQ(b.Value(), 100);
    Click(Part::Right);
    EXPECT_EQ(b.Value(), 100);
    EXPECT_EQ(changes, 2);
    Click(Part::Left);
    EXPECT_EQ(b.Value(), 95);

    // A disabled bar takes no pointer input.
    b.SetEnabled(false);
    Click(Part::Left);
    EXPECT_EQ(b.Value(), 95);
}

TEST_F(ScrollBarWidget, StepsNearTheThirtyTwoBitEndsAreHeld)
{
    bar = std::make_unique<dtVisualScrollBar>();
    controls::PropertyBag bag;
    bag.WriteProperty("Orientation", 0, 1);
    bag.WriteProperty("ThumbAlignment", 4, 0);
    bag.WriteProperty("Value", kLongMax - 1, 0);
    bag.WriteProperty("SmallChange", 5, 1);
    bag.WriteProperty("PictureLeft", QVariant::fromValue(QImage(16, 21, QImage::Format_RGB32)), QVariant());
    bag.WriteProperty("PictureRight", QVariant::fromValue(QImage(16, 21, QImage::Format_RGB32)), QVariant());
    bag.WriteProperty("PictureThumb", QVariant::fromValue(QImage(21, 21, QImage::Format_RGB32)), QVariant());
    bar->UserControl_ReadProperties(bag);
    ASSERT_EQ(bar->Max(), kLongMax);
    bar->resize(200, 21);
    bar->show();
    Click(Part::Right);
    EXPECT_EQ(bar->Value(), kLongMax);
    EXPECT_EQ(bar->PartRect(Part::Thumb).left, (200 - 16 - 21) * 15);
}

TEST_F(ScrollBarWidget, TrackPressStepsByLargeChangeTowardsThePress)
{
    dtVisualScrollBar& b = NewBar(221, 21);
    b.SetMax(100);
    b.SetValue(50);
    b.SetLargeChange(30);
    changes = 0;
    const QRect thumb = b.PartWidget(Part::Thumb)->geometry();
    const QPoint before(thumb.left() - 5, 10);
    const QPoint after(b.width() - 20, 10);
    Press(before);
    Release(before);
    EXPECT_EQ(b.Value(), 20);
    for (int i = 0; i < 3; ++i) {
        Press(after);
        Release(after);
    }
    EXPECT_EQ(b.Value(), 100);
    EXPECT_EQ(changes, 4);
}

TEST_F(ScrollBarWidget, DragSetsValueInProportionAndReportsScrollThenChange)
{
    dtVisualScrollBar& b = DragBar();
    ASSERT_EQ(b.PartRect(Part::Thumb).left, 0);
    Press(QPoint(5, 10));
    EXPECT_TRUE(b.Dragging());
    Move(QPoint(105, 10)); // 1500 twips past the start
    EXPECT_EQ(b.PartRect(Part::Thumb).left, 1500);
    EXPECT_EQ(b.Value(), 500);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(changes, 0);

    // Far beyond the bar the press grab still feeds the thumb, which stops
    // at the end of the track.
    Move(QPoint(600, 300));
    EXPECT_EQ(b.Value(), 1000);
    EXPECT_EQ(b.PartRect(Part::Thumb).left, 3000);
    Move(QPoint(700, 10));
    EXPECT_EQ(scrolls, 2);
    Release(QPoint(700, 10));
    EXPECT_FALSE(b.Dragging());
    EXPECT_EQ(changes, 1);

    Press(QPoint(205, 10));
    Move(QPoint(-400, 10));
    EXPECT_EQ(b.Value(), 0);
    EXPECT_EQ(b.PartRect(Part::Thumb).left, 0);
    Release(QPoint(-400, 10));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(scrolls, 3);
}

TEST_F(ScrollBarWidget, PressAndReleaseWithoutMovingRaisesNothing)
{
    dtVisualScrollBar& b = DragBar();
    Press(QPoint(5, 10));
    Move(QPoint(5, 12));
    Release(QPoint(5, 12));
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(changes, 0);
    Press(QPoint(5, 10));
    Move(QPoint(45, 10));
    Release(QPoint(45, 10));
    EXPECT_EQ(changes, 1);
    Press(QPoint(45, 10));
    Release(QPoint(45, 10));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.Value(), 200);
}

TEST_F(ScrollBarWidget, ThumbAsLongAsItsTrackCannotBeDragged)
{
    dtVisualScrollBar& b = NewBar(21, 21);
    b.SetOrientation(0);
    b.SetButtonsVisible(false);
    b.SetMax(10);
    b.SetValue(4);
    changes = 0;
    Press(QPoint(5, 10));
    Move(QPoint(15, 10));
    Move(QPoint(-15, 10));
    Release(QPoint(-15, 10));
    EXPECT_EQ(b.Value(), 4);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(changes, 0);

    // A bar shorter than its buttons and thumb together: the track ends
    // before it starts, and the thumb stays where the value put it.
    b.resize(40, 21);
    b.SetButtonsVisible(true);
    b.SetValue(10);
    const QRect placed = b.PartWidget(Part::Thumb)->geometry();
    changes = 0;
    Press(placed.center());
    Move(placed.center() + QPoint(6, 0));
    Release(placed.center() + QPoint(6, 0));
    EXPECT_EQ(b.PartWidget(Part::Thumb)->geometry(), placed);
    EXPECT_EQ(b.Value(), 10);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(ScrollBarWidget, MinAboveMaxLeavesTheThumbAtTheStart)
{
    dtVisualScrollBar& b = NewBar(221, 21);
    b.SetMax(100);
    b.SetValue(100);
    b.SetMin(200);
    EXPECT_EQ(b.Min(), 200);
    EXPECT_EQ(b.Value(), 100);
    EXPECT_EQ(b.PartRect(Part::Thumb).left, 240);
}

TEST_F(ScrollBarWidget, OrientationAndAlignmentRemapEachOther)
{
    dtVisualScrollBar& b = NewBar(60, 200);
    ASSERT_EQ(b.ThumbAlignment(), 1);
    b.SetOrientation(0);
    EXPECT_EQ(b.ThumbAlignment(), 4);
    EXPECT_TRUE(b.PartWidget(Part::Left)->isVisible());
    b.SetOrientation(1);
    EXPECT_EQ(b.ThumbAlignment(), 1);
    EXPECT_TRUE(b.PartWidget(Part::Up)->isVisible());
    b.SetOrientation(0);
    b.SetThumbAlignment(1);
    EXPECT_EQ(b.ThumbAlignment(), 4);

    // An alignment of neither orientation stops the layout after the
    // background: the thumb stays where it was.
    const controls::scrollbar::Rect before = b.PartRect(Part::Thumb);
    b.SetThumbAlignment(7);
    b.resize(300, 21);
    b.UserControl_Resize();
    EXPECT_EQ(b.PartRect(Part::Thumb), before);
    EXPECT_EQ(b.PartRect(Part::Background).width, 300 * 15);
}

TEST_F(ScrollBarWidget, HiddenButtonsGiveTheThumbTheWholeBar)
{
    dtVisualScrollBar& b = NewBar(21, 200);
    b.SetButtonsVisible(false);
    EXPECT_FALSE(b.PartWidget(Part::Up)->isVisible());
    EXPECT_EQ(b.PartRect(Part::Thumb).top, 0);
    b.SetValue(b.Max());
    EXPECT_EQ(b.PartRect(Part::Thumb).top, (200 - 21) * 15);
}

TEST_F(ScrollBarWidget, PicturesSizeTheirParts)
{
    dtVisualScrollBar& b = NewBar(221, 21);
    b.SetPictureLeft(std::nullopt);
    EXPECT_TRUE(b.PictureLeft().isNull());
    EXPECT_EQ(b.PartRect(Part::Left).width, 0);
    b.SetPictureRight(std::nullopt);
    EXPECT_EQ(b.PartRect(Part::Right).width, 240);
    b.UserControl_Resize();
    EXPECT_EQ(b.PartRect(Part::Thumb).left, 0);

    // A picture object without an image makes the part a square of the
    // bar's smaller side.
    b.SetPictureUp(QImage());
    EXPECT_FALSE(b.PictureUp().isNull());
    EXPECT_EQ(b.PartRect(Part::Up).width, 315);
    EXPECT_EQ(b.PartRect(Part::Up).height, 315);

    b.SetPictureThumb(QImage(9, 7, QImage::Format_RGB32));
    EXPECT_EQ(b.PartWidget(Part::Thumb)->size(), QSize(9, 7));

    b.SetAutoSize(true);
    b.SetPictureBackground(QImage(150, 30, QImage::Format_RGB32));
    EXPECT_EQ(b.size(), QSize(150, 30));
}

TEST_F(ScrollBarWidget, PropertiesSurviveTheStoreInTheirOrder)
{
    dtVisualScrollBar& b = NewBar(200, 21);
    b.SetMax(500);
    b.SetMin(-20);
    b.SetValue(7);
    b.SetSmallChange(3);
    b.SetLargeChange(40);
    b.SetThumbAlignment(5);
    b.SetButtonsVisible(false);
    b.SetBackColor(0x00112233);
    b.SetEnabled(false);
    b.SetPictureThumb(QImage(9, 9, QImage::Format_RGB32));
    b.SetAutoSize(true);

    controls::PropertyBag bag;
    b.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (QStringList{"ButtonsVisible", "Orientation", "ThumbAlignment", "PictureUp",
                                        "PictureDown", "PictureRight", "PictureLeft", "PictureThumb", "Min", "Max",
                                        "Value", "BackColor", "LargeChange", "SmallChange", "AutoSize", "Enabled"}));

    dtVisualScrollBar copy;
    copy.UserControl_ReadProperties(bag);
    EXPECT_EQ(copy.Min(), -20);
    EXPECT_EQ(copy.Max(), 500);
    EXPECT_EQ(copy.Value(), 7);
    EXPECT_EQ(copy.SmallChange(), 3);
    EXPECT_EQ(copy.LargeChange(), 40);
    EXPECT_EQ(copy.Orientation(), 0);
    EXPECT_EQ(copy.ThumbAlignment(), 5);
    EXPECT_FALSE(copy.ButtonsVisible());
    EXPECT_TRUE(copy.AutoSize());
    EXPECT_EQ(copy.BackColor(), 0x00112233u);
    EXPECT_FALSE(copy.Enabled());
    EXPECT_EQ(copy.PictureThumb().size(), QSize(9, 9));
    EXPECT_FALSE(copy.FirstLayoutPending());
}

TEST_F(ScrollBarWidget, EmptyStoreGivesStoredDefaultsWithoutChecks)
{
    dtVisualScrollBar fresh;
    fresh.UserControl_ReadProperties(controls::PropertyBag{});
    EXPECT_EQ(fresh.Max(), kLongMax);
    EXPECT_EQ(fresh.Orientation(), 1);
    EXPECT_EQ(fresh.ThumbAlignment(), 0);
    EXPECT_EQ(fresh.BackColor(), 14737632u);
    EXPECT_TRUE(fresh.PictureUp().isNull());
    EXPECT_EQ(fresh.PartRect(Part::Down).width, 0);

    controls::PropertyBag odd;
    odd.WriteProperty("SmallChange", 0, 1);
    odd.WriteProperty("LargeChange", 99999, 10);
    fresh.UserControl_ReadProperties(odd);
    EXPECT_EQ(fresh.SmallChange(), 0);
    EXPECT_EQ(fresh.LargeChange(), 99999);
    EXPECT_TRUE(recorder.messages.empty());
}

} // namespace
