// The arithmetic that sizes and places the streaming window.
#include "players/StreamingLayout.h"

#include <gtest/gtest.h>
#include <limits>

using streaming::LayOutAround;
using streaming::PictureSizeFor;

namespace {

const platform::ScreenMetrics kScreen{1024, 768, 15.0, 15.0};
const QSize kKeep{111, 77};

} // namespace

TEST(StreamingLayout, PictureSizeByMode)
{
    EXPECT_EQ(PictureSizeFor(0, 1.5f, 320, 240, kKeep, kScreen), QSize(320, 240));
    EXPECT_EQ(PictureSizeFor(1, 1.5f, 320, 240, kKeep, kScreen), QSize(480, 360));
    EXPECT_EQ(PictureSizeFor(2, 1.5f, 320, 240, kKeep, kScreen), QSize(1024, 702));
    // Unknown modes from an edited settings file keep the picture as it is.
    EXPECT_EQ(PictureSizeFor(3, 1.5f, 320, 240, kKeep, kScreen), kKeep);
    EXPECT_EQ(PictureSizeFor(-1, 1.5f, 320, 240, kKeep, kScreen), kKeep);
}

TEST(StreamingLayout, MagnifiedHalfPixelsGoToTheEvenNeighbour)
{
    EXPECT_EQ(PictureSizeFor(1, 1.5f, 175, 5, kKeep, kScreen), QSize(262, 8)); // 262.5, 7.5
    EXPECT_EQ(PictureSizeFor(1, 1.2f, 320, 240, kKeep, kScreen), QSize(384, 288));
}

TEST(StreamingLayout, UnknownClipSideKeepsThatSide)
{
    EXPECT_EQ(PictureSizeFor(0, 1.0f, std::nullopt, 240, kKeep, kScreen), QSize(111, 240));
    EXPECT_EQ(PictureSizeFor(1, 2.0f, 320, std::nullopt, kKeep, kScreen), QSize(640, 77));
}

TEST(StreamingLayout, UnusableMagnificationsGiveNoPictureOrTheLargestOne)
{
    EXPECT_EQ(PictureSizeFor(1, 0.0f, 320, 240, kKeep, kScreen), QSize(0, 0));
    EXPECT_EQ(PictureSizeFor(1, -2.0f, 320, 240, kKeep, kScreen), QSize(0, 0));
    EXPECT_EQ(PictureSizeFor(1, std::numeric_limits<float>::quiet_NaN(), 320, 240, kKeep, kScreen),
              QSize(0, 0));
    EXPECT_EQ(PictureSizeFor(1, 1e30f, 320, 240, kKeep, kScreen),
              QSize(streaming::kMaxLength, streaming::kMaxLength));
}

TEST(StreamingLayout, FullScreenOnSmallAndHighDensityScreens)
{
    EXPECT_EQ(PictureSizeFor(2, 1.0f, 1, 1, kKeep, {1280, 1024, 12.0, 12.0}), QSize(1280, 958));
    // A screen shorter than the strips leaves no picture rather than a negative one.
    EXPECT_EQ(PictureSizeFor(2, 1.0f, 1, 1, kKeep, {60, 50, 15.0, 15.0}), QSize(60, 0));
}

TEST(StreamingLayout, NaturalSizeIsCentredAcrossAndAThirdDown)
{
    const auto layout = LayOutAround({320, 240}, kScreen);
    // (15360 - 4800) \ 2 = 5280 twips; (11520 - 4590) \ 3 = 2310 twips.
    EXPECT_EQ(layout.window, QRect(352, 154, 320, 306));
    EXPECT_EQ(layout.picture, QRect(0, 20, 320, 240));
    EXPECT_EQ(layout.slider, QRect(0, 260, 320, 21));
    EXPECT_EQ(layout.statusBar, QRect(0, 281, 320, 25));
    EXPECT_EQ(layout.titleStrip, QRect(0, 0, 320, 20));
    EXPECT_EQ(layout.exitImageLeft, 300);
}

TEST(StreamingLayout, MagnifiedAndFullScreenWindows)
{
    const auto magnified = LayOutAround({480, 360}, kScreen);
    EXPECT_EQ(magnified.window.size(), QSize(480, 426));
    EXPECT_EQ(magnified.window.topLeft(), QPoint(272, 114)); // 8160 \ 2 and 5130 \ 3 twips
    EXPECT_EQ(magnified.statusBar, QRect(0, 401, 480, 25));

    const auto full = LayOutAround({1024, 702}, kScreen);
    EXPECT_EQ(full.window, QRect(0, 0, 1024, 768));
    EXPECT_EQ(full.picture, QRect(0, 20, 1024, 702));
    EXPECT_EQ(full.statusBar.bottom(), 767);
}

TEST(StreamingLayout, OddFreeSpaceDropsTheRemainderTowardsZero)
{
    // 1024 - 321 = 703 pixels free across: 10545 twips \ 2 = 5272 twips,
    // which is 351.47 pixels and so 351.
    EXPECT_EQ(LayOutAround({321, 240}, kScreen).window.left(), 351);
    // A window wider than the screen overhangs both sides alike: -1155 \ 2 is
    // -577 twips (-38.47 pixels), not -578 (-38.53).
    EXPECT_EQ(LayOutAround({1101, 240}, kScreen).window.left(), -38);
    EXPECT_EQ(streaming::PlacementTwips(100.0, 107.0, 2), -3);
    EXPECT_EQ(streaming::PlacementTwips(100.0, 92.5, 3), 2); // 7.5 rounds to 8, \ 3
}

TEST(StreamingLayout, PlacementOnAScreenOfTwelveTwipsPerPixel)
{
    const platform::ScreenMetrics screen{1280, 1024, 12.0, 12.0};
    const auto layout = LayOutAround({640, 480}, screen);
    // (15360 - 7680) \ 2 = 3840 twips = 320 px; (12288 - 546 * 12) \ 3 = 1912 twips = 159.33 px.
    EXPECT_EQ(layout.window, QRect(320, 159, 640, 546));
}

TEST(StreamingLayout, WaitsJustPastTheBottomRightCorner)
{
    EXPECT_EQ(streaming::WaitingGeometry(kScreen), QRect(1024, 768, 1, 1));
    EXPECT_EQ(streaming::WaitingGeometry({1920, 1080, 10.0, 10.0}), QRect(1920, 1080, 1, 1));
}
