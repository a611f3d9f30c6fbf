// The media window's sizing arithmetic and time text, without a window.
#include "players/Vidrolle_2ndM.h"

#include <gtest/gtest.h>

using namespace media_window;

namespace {

TEST(FormatPlayTime, WholeSecondsAsTwoDigitFields)
{
    EXPECT_EQ(FormatPlayTime(0), "00:00:00");
    EXPECT_EQ(FormatPlayTime(0.99), "00:00:00");
    EXPECT_EQ(FormatPlayTime(-5), "00:00:00");
    EXPECT_EQ(FormatPlayTime(59.9), "00:00:59");
    EXPECT_EQ(FormatPlayTime(60), "00:01:00");
    EXPECT_EQ(FormatPlayTime(100.7), "00:01:40");
    EXPECT_EQ(FormatPlayTime(3661), "01:01:01");
    EXPECT_EQ(FormatPlayTime(86399), "23:59:59");
    EXPECT_EQ(FormatPlayTime(86400), "24:00:00");
    EXPECT_EQ(FormatPlayTime(89999), "24:59:59");
    EXPECT_EQ(FormatPlayTime(90000), "24:59:59");
    EXPECT_EQ(FormatPlayTime(1e12), "24:59:59");
    EXPECT_EQ(FormatPlayTime(std::nan("")), "00:00:00");
}

TEST(FormatPlayTime, TheSecondShownDecidesTheText)
{
    // The window remakes a text only when this second changes, so two times
    // with one second must read alike, and two seconds must read apart.
    const double times[] = {-1, 0, 0.5, 1, 59.99, 60, 3599.5, 86399.9, 89998, 89999, 89999.7, 90000, 1e9};
    for (double a : times)
        for (double b : times)
            EXPECT_EQ(PlayTimeSecond(a) == PlayTimeSecond(b), FormatPlayTime(a) == FormatPlayTime(b)) << a << " " << b;
    EXPECT_EQ(PlayTimeSecond(std::nan("")), 0);
    EXPECT_EQ(FormatPlayTimeSecond(PlayTimeSecond(100.7)), "00:01:40");
}

TEST(MediaWindowSizing, MagnificationRoundsHalfToEven)
{
    EXPECT_EQ(MagnifiedLength(320, 1.5f), 480);
    EXPECT_EQ(MagnifiedLength(175, 1.5f), 262);
    EXPECT_EQ(MagnifiedLength(177, 1.5f), 266); // 265.5
    EXPECT_EQ(MagnifiedLength(320, 1.2f), 384);
    EXPECT_EQ(MagnifiedLength(320, 0.0f), 0);
    EXPECT_FALSE(MagnifiedLength(2000000000, 3.0f).has_value());
}

TEST(MediaWindowSizing, FullScreenLeavesRoomForStripAndPanel)
{
    const auto size = FullScreenPictureSize(platform::ScreenMetrics{1024, 768, 15.0, 15.0});
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 1024);
    EXPECT_EQ(size->height, 715);
    const auto big = FullScreenPictureSize(platform::ScreenMetrics{1920, 1200, 12.0, 12.0});
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->width, 1920);
    EXPECT_EQ(big->height, 1147);
    EXPECT_FALSE(FullScreenPictureSize(platform::ScreenMetrics{1024, 768, 0.4, 0.4}).has_value());
}

TEST(MediaWindowSizing, PlacementIsCentredAcrossAndAThirdDown)
{
    const platform::ScreenMetrics screen{1024, 768, 15.0, 15.0};
    // 320 x 293 pixels: (15360 - 4800) \ 2 and (11520 - 4395) \ 3.
    const TwipsPoint corner = PlacementOf(screen, 4800, 4395);
    EXPECT_EQ(corner.left, 5280);
    EXPECT_EQ(corner.top, 2375);
    // A remainder is dropped, also for a window larger than the screen.
    const TwipsPoint odd = PlacementOf(screen, 15361, 11522);
    EXPECT_EQ(odd.left, 0);
    EXPECT_EQ(odd.top, 0);
    const TwipsPoint larger = PlacementOf(screen, 15375, 11580);
    EXPECT_EQ(larger.left, -7);
    EXPECT_EQ(larger.top, -20);
}

TEST(MediaWindowSizing, FitKeepsProportionsAndCentres)
{
    EXPECT_EQ(FitPicture(320, 240, 320, 240), QRect(0, 0, 320, 240));
    // Wider display: the height limits.
    EXPECT_EQ(FitPicture(400, 240, 320, 240), QRect(40, 0, 320, 240));
    // Taller display: the width limits.
    EXPECT_EQ(FitPicture(320, 300, 320, 240), QRect(0, 30, 320, 240));
    EXPECT_EQ(FitPicture(101, 100, 100, 100), QRect(0, 0, 100, 100)); // 0.5 rounds to even
    EXPECT_EQ(FitPicture(0, 0, 0, 0), QRect(0, 0, 0, 0));
    // No picture inside a display: the ratios cannot be taken, the lower
    // bound of one pixel applies.
    EXPECT_EQ(FitPicture(320, 240, 0, 0), QRect(160, 0, 1, 240));
}

TEST(MediaWindowSizing, WholeSecondsRoundHalfToEvenAndStayInRange)
{
    EXPECT_EQ(WholeSeconds(95.3), 95);
    EXPECT_EQ(WholeSeconds(95.3 / 50), 2);
    EXPECT_EQ(WholeSeconds(95.3 / 20), 5);
    EXPECT_EQ(WholeSeconds(50.0 / 20), 2);
    EXPECT_EQ(WholeSeconds(0.4), 0);
    EXPECT_EQ(WholeSeconds(1e15), 2147483647);
    EXPECT_FALSE(WholeSeconds(std::nan("")).has_value());
}

} // namespace
