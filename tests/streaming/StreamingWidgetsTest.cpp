// The streaming window's own slider, status bar and picture widgets.
#include "players/PlayerChrome.h"
#include "players/StreamingWidgets.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <vector>

using namespace streaming;

namespace {

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(StreamingStatusTexts, ClockAndTimeTexts)
{
    EXPECT_EQ(ClockText(0), "0:00");
    EXPECT_EQ(ClockText(59.9), "0:59");
    EXPECT_EQ(ClockText(605), "10:05");
    EXPECT_EQ(ClockText(3661), "1:01:01");
    EXPECT_EQ(ClockText(-5), "0:00");
    EXPECT_EQ(ClockText(std::numeric_limits<double>::infinity()), "0:00");

    EXPECT_EQ(TimeText(30.0, 60.0), "0:30 / 1:00");
    EXPECT_EQ(TimeText(30.0, std::nullopt), "0:30");
    EXPECT_EQ(TimeText(30.0, 0.0), "0:30");
    EXPECT_EQ(TimeText(std::nullopt, 60.0), "");
}

TEST(StreamingStatusTexts, StatusBarFollowsKnownStatesOnly)
{
    const std::vector<QString> words{"Stopped", "Connecting", "Buffering", "Playing", "Paused", "Seeking"};
    for (int state = 0; state < 6; ++state)
        EXPECT_EQ(StateWord(state), words[state]) << state;
    EXPECT_EQ(StateWord(6), "");

    StatusBar bar;
    bar.SetPlayState(3);
    bar.SetPlayState(9);
    EXPECT_EQ(bar.StateText(), "Playing");
    bar.SetTime(75.5, 3600.0);
    EXPECT_EQ(bar.TimeShown(), "1:15 / 1:00:00");
}

TEST(StreamingStatusTexts, StatusBarTimeTurnsOverWithItsSecondsOnly)
{
    StatusBar bar;
    bar.SetTime(std::nullopt, 60.0);
    EXPECT_EQ(bar.TimeShown(), "");
    bar.SetTime(59.2, 120.0);
    EXPECT_EQ(bar.TimeShown(), "0:59 / 2:00");
    bar.SetTime(59.9, 120.4);
    EXPECT_EQ(bar.TimeShown(), "0:59 / 2:00");
    bar.SetTime(60.0, 120.4);
    EXPECT_EQ(bar.TimeShown(), "1:00 / 2:00");
    // The length going away (the clip ended) changes the text though the
    // position's second does not.
    bar.SetTime(60.5, std::nullopt);
    EXPECT_EQ(bar.TimeShown(), "1:00");
    bar.SetTime(60.5, 121.0);
    EXPECT_EQ(bar.TimeShown(), "1:00 / 2:01");
    bar.SetTime(std::nullopt, 121.0);
    EXPECT_EQ(bar.TimeShown(), "");
}

TEST(StreamingSlider, ThumbTravelsTheWidthAndMapsBack)
{
    const QSize size(211, 21);
    EXPECT_EQ(SliderPartsFor(size, 0.0, 100.0).thumb.left(), 0);
    EXPECT_EQ(SliderPartsFor(size, 100.0, 100.0).thumb.right(), 210);
    EXPECT_EQ(SliderPartsFor(size, 50.0, 100.0).thumb.left(), 100);
    // Past either end the thumb stays at that end.
    EXPECT_EQ(SliderPartsFor(size, 150.0, 100.0).thumb.left(), 200);
    EXPECT_EQ(SliderPartsFor(size, -3.0, 100.0).thumb.left(), 0);

    const QRect thumb = SliderPartsFor(size, 25.0, 100.0).thumb;
    EXPECT_DOUBLE_EQ(*SliderValueAt(thumb.center().x(), size, 100.0), 25.0);
    EXPECT_DOUBLE_EQ(*SliderValueAt(-40, size, 100.0), 0.0);
    EXPECT_DOUBLE_EQ(*SliderValueAt(500, size, 100.0), 100.0);
}

TEST(StreamingSlider, WithoutALengthThereIsNothingToDrag)
{
    const QSize size(200, 21);
    EXPECT_TRUE(SliderPartsFor(size, 10.0, std::nullopt).thumb.isEmpty());
    EXPECT_TRUE(SliderPartsFor(size, 10.0, 0.0).thumb.isEmpty());
    EXPECT_FALSE(SliderPartsFor(size, 10.0, std::nullopt).groove.isEmpty());
    EXPECT_FALSE(SliderValueAt(50, size, std::nullopt).has_value());
    // Narrower than the thumb: still no division by a zero travel.
    EXPECT_DOUBLE_EQ(*SliderValueAt(3, QSize(8, 21), 60.0), 0.0);

    PositionSlider slider;
    slider.resize(size);
    std::vector<double> seeks;
    QObject::connect(&slider, &PositionSlider::SeekRequested, [&](double s) { seeks.push_back(s); });
    SendMouse(slider, QEvent::MouseButtonPress, {100, 10});
    SendMouse(slider, QEvent::MouseButtonRelease, {100, 10});
    EXPECT_TRUE(seeks.empty());
}

TEST(StreamingSlider, DraggingHoldsTheThumbAndSeeksOnRelease)
{
    PositionSlider slider;
    slider.resize(211, 21);
    slider.SetTransport(10.0, 100.0);
    std::vector<double> seeks;
    QObject::connect(&slider, &PositionSlider::SeekRequested, [&](double s) { seeks.push_back(s); });

    SendMouse(slider, QEvent::MouseButtonPress, {105, 10});
    EXPECT_EQ(slider.CurrentState(), PositionSlider::State::Dragging);
    EXPECT_DOUBLE_EQ(slider.ShownPosition(), 50.0);
    // The engine keeps playing while the thumb is held; it must not pull back.
    slider.SetTransport(11.0, 100.0);
    EXPECT_DOUBLE_EQ(slider.ShownPosition(), 50.0);
    SendMouse(slider, QEvent::MouseMove, {155, 10});
    EXPECT_DOUBLE_EQ(slider.ShownPosition(), 75.0);
    EXPECT_TRUE(seeks.empty());

    SendMouse(slider, QEvent::MouseButtonRelease, {155, 10});
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(seeks[0], 75.0);
    EXPECT_NE(slider.CurrentState(), PositionSlider::State::Dragging);
    EXPECT_DOUBLE_EQ(slider.ShownPosition(), 75.0);
    slider.SetTransport(76.0, 100.0);
    EXPECT_DOUBLE_EQ(slider.ShownPosition(), 76.0);

    // The right button neither drags nor seeks.
    SendMouse(slider, QEvent::MouseButtonPress, {20, 10}, Qt::RightButton);
    SendMouse(slider, QEvent::MouseButtonRelease, {20, 10}, Qt::RightButton);
    EXPECT_EQ(seeks.size(), 1u);
}

TEST(StreamingPictureImage, TakesThePictureSizeUnlessStretched)
{
    PictureImage image;
    image.SetPicture(QImage(16, 15, QImage::Format_RGB32));
    EXPECT_EQ(image.size(), QSize(16, 15));

    PictureImage strip;
    strip.SetStretch(true);
    strip.resize(320, 20);
    strip.SetPicture(TitleStripPicture());
    EXPECT_EQ(strip.size(), QSize(320, 20));
    EXPECT_EQ(strip.Picture().size(), QSize(500, 22));

    std::vector<Qt::MouseButton> downs, ups;
    QObject::connect(&image, &PictureImage::MouseDown, [&](Qt::MouseButton b) { downs.push_back(b); });
    QObject::connect(&image, &PictureImage::MouseUp, [&](Qt::MouseButton b) { ups.push_back(b); });
    SendMouse(image, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
    SendMouse(image, QEvent::MouseButtonRelease, {3, 3}, Qt::RightButton);
    EXPECT_EQ(downs, std::vector<Qt::MouseButton>{Qt::RightButton});
    EXPECT_EQ(ups, std::vector<Qt::MouseButton>{Qt::RightButton});
}
