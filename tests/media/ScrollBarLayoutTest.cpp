// The scroll bar's placement arithmetic, without a window.
#include "controls/ScrollBarLayout.h"

#include <gtest/gtest.h>
#include <limits>

using namespace controls::scrollbar;

namespace {

// Parts at the default picture sizes, 15 twips per pixel: up/down 21 x 16,
// left/right 16 x 21, thumb 21 x 21.
Parts DefaultParts()
{
    Parts parts;
    parts.up = {0, 0, 315, 240};
    parts.down = {0, 0, 315, 240};
    parts.left = {0, 0, 240, 315};
    parts.right = {0, 0, 240, 315};
    parts.thumb = {0, 0, 315, 315};
    return parts;
}

struct ButtonCase {
    int orientation;
    int alignment;
    bool visible;
    double sw;
    double sh;
    Rect first;  // up or left
    Rect second; // down or right
};

class ButtonTable : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ButtonTable, PlacesBothButtons)
{
    const ButtonCase& c = GetParam();
    Parts parts = DefaultParts();
    ASSERT_TRUE(PlaceButtons(c.orientation, c.alignment, c.visible, c.sw, c.sh, parts));
    const bool vertical = c.orientation == kVertical;
    EXPECT_EQ(vertical ? parts.up : parts.left, c.first);
    EXPECT_EQ(vertical ? parts.down : parts.right, c.second);
}

// The vertical centre halves a whole difference and drops the remainder
// (135 -> 67); the horizontal centre is the exact half (67.5).
INSTANTIATE_TEST_SUITE_P(
    Layout, ButtonTable,
    ::testing::Values(ButtonCase{1, 0, true, 450, 3000, {0, 0, 315, 240}, {0, 2760, 315, 240}},
                      ButtonCase{1, 1, true, 450, 3000, {67, 0, 315, 240}, {67, 2760, 315, 240}},
                      ButtonCase{1, 2, true, 450, 3000, {135, 0, 315, 240}, {135, 2760, 315, 240}},
                      ButtonCase{0, 3, true, 3000, 450, {0, 0, 240, 315}, {2760, 0, 240, 315}},
                      ButtonCase{0, 4, true, 3000, 450, {0, 67.5, 240, 315}, {2760, 67.5, 240, 315}},
                      ButtonCase{0, 5, true, 3000, 450, {0, 135, 240, 315}, {2760, 135, 240, 315}},
                      // Hidden buttons are parked just outside the bar.
                      ButtonCase{1, 1, false, 450, 3000, {67, -240, 315, 240}, {67, 3000, 315, 240}},
                      ButtonCase{0, 4, false, 3000, 450, {-240, 67.5, 240, 315}, {3000, 67.5, 240, 315}}));

TEST(ScrollBarLayout, AlignmentOfTheOtherOrientationStopsTheLayout)
{
    for (const auto& [orientation, alignment] : {std::pair{1, 4}, std::pair{0, 1}, std::pair{1, 7}, std::pair{0, 7}}) {
        Parts parts = DefaultParts();
        parts.up.left = 11;
        parts.left.top = 12;
        EXPECT_FALSE(PlaceButtons(orientation, alignment, true, 3000, 3000, parts));
        EXPECT_EQ(parts.up.left, 11);
        EXPECT_EQ(parts.left.top, 12);
    }
}

TEST(ScrollBarLayout, AlignmentsFollowTheOrientation)
{
    EXPECT_EQ(AlignmentFor(kHorizontal, 0), 3);
    EXPECT_EQ(AlignmentFor(kHorizontal, 1), 4);
    EXPECT_EQ(AlignmentFor(kHorizontal, 5), 5);
    EXPECT_EQ(AlignmentFor(kVertical, 4), 1);
    EXPECT_EQ(AlignmentFor(kVertical, 2), 2);
    EXPECT_EQ(AlignmentFor(kVertical, 7), 7);
}

TEST(ScrollBarLayout, ThumbFollowsTheValueAlongItsTrack)
{
    Parts parts = DefaultParts();
    ASSERT_TRUE(PlaceButtons(kHorizontal, 4, true, 3000, 450, parts));
    // Track from 240 (after the left button) to 2760 - 315 = 2445.
    PlaceThumb(kHorizontal, 4, true, 50, 0, 100, 3000, 450, parts);
    EXPECT_DOUBLE_EQ(parts.thumb.left, 240 + 0.5 * 2205);
    EXPECT_DOUBLE_EQ(parts.thumb.top, 67.5);
    PlaceThumb(kHorizontal, 5, true, 100, 0, 100, 3000, 450, parts);
    EXPECT_DOUBLE_EQ(parts.thumb.left, 2445);
    EXPECT_DOUBLE_EQ(parts.thumb.top, 135);

    Parts vertical = DefaultParts();
    ASSERT_TRUE(PlaceButtons(kVertical, 1, false, 450, 3000, vertical));
    PlaceThumb(kVertical, 1, false, 10, 10, 20, 450, 3000, vertical);
    EXPECT_DOUBLE_EQ(vertical.thumb.top, 0);
    EXPECT_DOUBLE_EQ(vertical.thumb.left, 67);
    PlaceThumb(kVertical, 2, false, 20, 10, 20, 450, 3000, vertical);
    EXPECT_DOUBLE_EQ(vertical.thumb.top, 3000 - 315);
    EXPECT_DOUBLE_EQ(vertical.thumb.left, 135);
}

TEST(ScrollBarLayout, ThumbRestsAtTheStartWhenMinIsNotBelowMax)
{
    for (const auto& [value, min, max] : {std::tuple{5, 5, 5}, std::tuple{100, 200, 100}}) {
        Parts parts = DefaultParts();
        ASSERT_TRUE(PlaceButtons(kHorizontal, 4, true, 3000, 450, parts));
        PlaceThumb(kHorizontal, 4, true, value, min, max, 3000, 450, parts);
        EXPECT_DOUBLE_EQ(parts.thumb.left, 240);
    }
}

TEST(ScrollBarLayout, WholeThirtyTwoBitRangeDoesNotOverflow)
{
    Parts parts = DefaultParts();
    ASSERT_TRUE(PlaceButtons(kHorizontal, 4, false, 3315, 315, parts));
    const int32_t lo = std::numeric_limits<int32_t>::min();
    const int32_t hi = std::numeric_limits<int32_t>::max();
    PlaceThumb(kHorizontal, 4, false, hi, lo, hi, 3315, 315, parts);
    EXPECT_DOUBLE_EQ(parts.thumb.left, 3000);
    PlaceThumb(kHorizontal, 4, false, 0, lo, hi, 3315, 315, parts);
    EXPECT_NEAR(parts.thumb.left, 1500, 0.01);
}

TEST(ScrollBarLayout, DragArithmetic)
{
    const DragTrack track{0, 3000};
    EXPECT_EQ(DragValue(1500, track, 0, 1000), 500);
    // A third of a value per twip, rounded half to even.
    EXPECT_EQ(DragValue(1, track, 0, 1000), 0);
    EXPECT_EQ(DragValue(2, track, 0, 1000), 1);
    EXPECT_EQ(DragValue(3000, track, -10, 10), 10);

    EXPECT_EQ(DragCandidate(100, 1575, 75, track), 1600);
    EXPECT_EQ(DragCandidate(2900, 900, 75, track), 3000);
    EXPECT_EQ(DragCandidate(100, -500, 75, track), 0);

    // A thumb as long as its track stands for no value.
    EXPECT_FALSE(DragValue(0, DragTrack{200, 200}, 0, 100).has_value());
    EXPECT_FALSE(DragValue(0, DragTrack{300, 200}, 0, 100).has_value());
}

TEST(ScrollBarLayout, DragTrackRoundsToWholeTwips)
{
    Parts parts = DefaultParts();
    parts.left = {0, 0, 240.4, 315};
    parts.right = {2760.6, 0, 240, 315};
    const DragTrack track = DragTrackOf(kHorizontal, parts);
    EXPECT_EQ(track.start, 240);
    EXPECT_EQ(track.end, 2446);
    parts.up = {0, -240, 315, 240};
    parts.down = {0, 3000, 315, 240};
    const DragTrack whole = DragTrackOf(kVertical, parts);
    EXPECT_EQ(whole.start, 0);
    EXPECT_EQ(whole.end, 2685);
}

TEST(ScrollBarLayout, StepsAreHeldToTheThirtyTwoBitRange)
{
    const int32_t hi = std::numeric_limits<int32_t>::max();
    const int32_t lo = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(AddClamped(hi - 2, 5), hi);
    EXPECT_EQ(AddClamped(lo + 2, -32767), lo);
    EXPECT_EQ(AddClamped(10, -3), 7);
    EXPECT_EQ(ClampToRange(-5, 0, 100), 0);
    EXPECT_EQ(ClampToRange(500, 0, 100), 100);
    EXPECT_EQ(ClampToRange(42, 0, 100), 42);
    EXPECT_EQ(RoundToLong(2.5), 2);
    EXPECT_EQ(RoundToLong(1e12), hi);
}

} // namespace
