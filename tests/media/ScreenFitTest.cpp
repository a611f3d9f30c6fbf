// Keeping the player windows on the browser's screen, as plain logic: the
// picture made smaller to fit the screen's free part, the screen that shows
// a window, and the picture's size after a film's rotation.
#include "platform/media/MpvCore.h"
#include "platform/widgets/Screen.h"
#include "players/MediaWindowMath.h"
#include "players/ScreenFit.h"
#include "players/StreamingLayout.h"

#include <gtest/gtest.h>

using screen_fit::FitOnScreen;
using screen_fit::PlaceIn;

TEST(ScreenFit, PicturesAreMadeSmallerOnlyWhenTheirWindowWouldNotFit)
{
    const QSize laptop(1280, 800);
    const int chrome = media_window::kChromeHeight;
    // Fits, to the last pixel: kept as it is.
    EXPECT_EQ(FitOnScreen({1280, 747}, chrome, laptop), QSize(1280, 747));
    EXPECT_EQ(FitOnScreen({320, 240}, chrome, laptop), QSize(320, 240));
    // One pixel too wide, one too high.
    EXPECT_EQ(FitOnScreen({1281, 747}, chrome, laptop), QSize(1280, 746));
    EXPECT_EQ(FitOnScreen({1280, 748}, chrome, laptop), QSize(1278, 747));
    // Exactly the screen's size: the strip and the panel need room too.
    EXPECT_EQ(FitOnScreen({1280, 800}, chrome, laptop), QSize(1195, 747));
    // A 1080p film, and a portrait phone film on a landscape screen.
    EXPECT_EQ(FitOnScreen({1920, 1080}, chrome, laptop), QSize(1280, 720));
    EXPECT_EQ(FitOnScreen({1080, 1920}, chrome, laptop), QSize(420, 747));
    // The streaming window's strips, and a screen too small for any picture.
    EXPECT_EQ(FitOnScreen({1920, 1200}, streaming::kExtraHeight, laptop), QSize(1174, 734));
    EXPECT_EQ(FitOnScreen({640, 480}, chrome, {100, 40}), QSize(1, 1));

    // Placed within the free part: centred across, a third of the free height down.
    EXPECT_EQ(PlaceIn(QRect(0, 30, 1280, 770), QSize(1280, 740)), QPoint(0, 40));
    EXPECT_EQ(PlaceIn(QRect(1920, 0, 1280, 770), QSize(1000, 700)), QPoint(2060, 23));
}

TEST(ScreenFit, TheScreenShowingMostOfTheBrowserIsChosen)
{
    // A large screen and a smaller one to its right, a bit lower.
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 800)};
    EXPECT_EQ(platform::ScreenShowingMost(QRect(100, 100, 676, 408), screens), 0);
    EXPECT_EQ(platform::ScreenShowingMost(QRect(1800, 300, 676, 408), screens), 1);
    // Half and half: the first of equals.
    EXPECT_EQ(platform::ScreenShowingMost(QRect(1920 - 338, 300, 676, 408), screens), 0);
    EXPECT_EQ(platform::ScreenShowingMost(QRect(5000, 5000, 676, 408), screens), -1);
    EXPECT_EQ(platform::ScreenShowingMost(QRect(100, 100, 676, 408), {}), -1);
}

TEST(ScreenFit, ARotatedPictureStandsUpright)
{
    EXPECT_EQ(platform::SizeAfterRotation(320, 240, 90), QSize(240, 320));
    EXPECT_EQ(platform::SizeAfterRotation(320, 240, 270), QSize(240, 320));
    EXPECT_EQ(platform::SizeAfterRotation(320, 240, -90), QSize(240, 320));
    EXPECT_EQ(platform::SizeAfterRotation(320, 240, 180), QSize(320, 240));
    EXPECT_EQ(platform::SizeAfterRotation(320, 240, 0), QSize(320, 240));
}
