// Drawing rules of the raster surface that the skinned controls rely on.
#include "platform/widgets/Surface.h"

#include <gtest/gtest.h>

using platform::Surface;

namespace {

constexpr uint32_t kBack = 0x00FFFFFF;
constexpr uint32_t kPen = 0x000000FF;
constexpr uint32_t kFill = 0x00FF0000;

int CountColour(const Surface& s, uint32_t colour)
{
    int n = 0;
    for (uint32_t p : s.Pixels())
        n += p == colour ? 1 : 0;
    return n;
}

// Every fill pixel must be enclosed by the outline: none of its four
// neighbours may be background.
void ExpectClosedOutline(const Surface& s)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            if (s.GetPixel(x, y) != kFill)
                continue;
            EXPECT_NE(s.GetPixel(x, y - 1), kBack) << x << "," << y;
            EXPECT_NE(s.GetPixel(x + 1, y), kBack) << x << "," << y;
            EXPECT_NE(s.GetPixel(x, y + 1), kBack) << x << "," << y;
            EXPECT_NE(s.GetPixel(x - 1, y), kBack) << x << "," << y;
        }
}

} // namespace

TEST(Surface, RectangleExcludesRightAndBottomAndDrawsOutlineInside)
{
    Surface s(12, 12, kBack);
    s.SetPen(kPen);
    s.SetFill(kFill);
    s.Rectangle(2, 3, 7, 8);
    EXPECT_EQ(s.GetPixel(2, 3), kPen);
    EXPECT_EQ(s.GetPixel(6, 3), kPen);
    EXPECT_EQ(s.GetPixel(2, 7), kPen);
    EXPECT_EQ(s.GetPixel(6, 7), kPen);
    EXPECT_EQ(s.GetPixel(7, 5), kBack);
    EXPECT_EQ(s.GetPixel(4, 8), kBack);
    EXPECT_EQ(s.GetPixel(1, 3), kBack);
    EXPECT_EQ(s.GetPixel(3, 4), kFill);
    EXPECT_EQ(s.GetPixel(5, 6), kFill);
    EXPECT_EQ(CountColour(s, kPen), 2 * 5 + 2 * 3);
    EXPECT_EQ(CountColour(s, kFill), 3 * 3);

    // With fill off the inside keeps what was there.
    Surface hollow(12, 12, kBack);
    hollow.SetPen(kPen);
    hollow.SetFillOff();
    hollow.Rectangle(2, 3, 7, 8);
    EXPECT_EQ(hollow.GetPixel(3, 4), kBack);
    EXPECT_EQ(CountColour(hollow, kPen), 16);

    // Empty and inverted rectangles draw nothing; shapes past the edge clip.
    Surface edge(6, 6, kBack);
    edge.SetPen(kPen);
    edge.Rectangle(3, 3, 3, 5);
    edge.Rectangle(5, 5, 2, 2);
    EXPECT_EQ(CountColour(edge, kPen), 0);
    edge.Rectangle(-2, -2, 3, 3);
    EXPECT_EQ(edge.GetPixel(2, 0), kPen);
    EXPECT_EQ(edge.GetPixel(0, 2), kPen);
    EXPECT_EQ(edge.GetPixel(1, 1), kBack);
}

TEST(Surface, RoundRectCutsSymmetricCornersAndStaysClosed)
{
    Surface s(40, 30, kBack);
    s.SetPen(kPen);
    s.SetFill(kFill);
    s.RoundRect(0, 0, 40, 30, 10, 10);
    EXPECT_EQ(s.GetPixel(0, 0), kBack);
    EXPECT_EQ(s.GetPixel(2, 0), kBack);
    EXPECT_EQ(s.GetPixel(0, 2), kBack);
    EXPECT_EQ(s.GetPixel(3, 0), kPen);
    EXPECT_EQ(s.GetPixel(1, 1), kPen);
    EXPECT_EQ(s.GetPixel(20, 0), kPen);
    EXPECT_EQ(s.GetPixel(0, 15), kPen);
    EXPECT_EQ(s.GetPixel(39, 15), kPen);
    EXPECT_EQ(s.GetPixel(20, 29), kPen);
    EXPECT_EQ(s.GetPixel(20, 15), kFill);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(s.GetPixel(x, y), s.GetPixel(39 - x, y)) << x << "," << y;
            EXPECT_EQ(s.GetPixel(x, y), s.GetPixel(x, 29 - y)) << x << "," << y;
        }
    ExpectClosedOutline(s);

    // An ellipse of 0 gives the plain rectangle.
    Surface rounded(20, 20, kBack);
    Surface square(20, 20, kBack);
    for (Surface* t : {&rounded, &square}) {
        t->SetPen(kPen);
        t->SetFill(kFill);
    }
    rounded.RoundRect(3, 4, 17, 15, 0, 0);
    square.Rectangle(3, 4, 17, 15);
    EXPECT_EQ(rounded.Pixels(), square.Pixels());

    // An ellipse larger than the rectangle still gives a closed shape.
    Surface small(10, 10, kBack);
    small.SetPen(kPen);
    small.SetFill(kFill);
    small.RoundRect(1, 1, 9, 9, 50, 50);
    ExpectClosedOutline(small);
    EXPECT_GT(CountColour(small, kFill), 0);
}

TEST(Surface, PixelsOutsideAreInvalidAndSystemColoursResolve)
{
    Surface s(4, 3, kBack);
    EXPECT_EQ(s.GetPixel(-1, 0), platform::kInvalidColour);
    EXPECT_EQ(s.GetPixel(4, 0), platform::kInvalidColour);
    EXPECT_EQ(s.GetPixel(0, 3), platform::kInvalidColour);
    EXPECT_FALSE(s.SetPixelV(4, 2, kPen));
    EXPECT_TRUE(s.SetPixelV(3, 2, kPen));
    EXPECT_EQ(s.GetPixel(3, 2), kPen);

    // A system-colour reference draws as its colour and never reads back as
    // the reference itself.
    s.SetBackColour(0x80000005u);
    s.Clear();
    EXPECT_EQ(s.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(s.BackColour(), 0x80000005u);
    EXPECT_EQ(platform::PlainColour(0x8000000Fu), 0x00C8D0D4u);
    EXPECT_EQ(platform::PlainColour(0x80FFFFFFu), 0u);
}

TEST(Surface, VerticalGradientRunsFromTopColourToBottomColour)
{
    Surface s(5, 11, kBack);
    platform::TriVertex top{0, 0, 0xFF00, 0xFF00, 0xFF00, 0};
    platform::TriVertex bottom{4, 10, 0xC600, 0xC500, 0xD700, 0};
    s.GradientFillV(top, bottom);
    EXPECT_EQ(s.GetPixel(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(s.GetPixel(3, 9), 0x00D7C5C6u);
    // The last column and row are outside the rectangle.
    s.SetPixelV(4, 10, kPen);
    s.GradientFillV(top, bottom);
    EXPECT_EQ(s.GetPixel(4, 3), kBack);
    EXPECT_EQ(s.GetPixel(2, 10), kBack);
    uint32_t previousRed = 256;
    for (int y = 0; y < 10; ++y) {
        const uint32_t red = s.GetPixel(1, y) & 0xFF;
        EXPECT_LT(red, previousRed);
        EXPECT_EQ(s.GetPixel(0, y), s.GetPixel(3, y));
        previousRed = red;
    }
}

TEST(Surface, StretchCopyScalesEachAxisAndClips)
{
    Surface picture(3, 2, 0);
    picture.SetPixelV(0, 0, 1);
    picture.SetPixelV(1, 0, 2);
    picture.SetPixelV(2, 0, 3);
    picture.SetPixelV(0, 1, 4);
    picture.SetPixelV(1, 1, 5);
    picture.SetPixelV(2, 1, 6);

    Surface s(8, 6, kBack);
    s.StretchCopy(1, 1, 6, 4, picture, 1, 0, 2, 2);
    const uint32_t expected[4][6] = {
        {2, 2, 2, 3, 3, 3}, {2, 2, 2, 3, 3, 3}, {5, 5, 5, 6, 6, 6}, {5, 5, 5, 6, 6, 6}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(s.GetPixel(1 + x, 1 + y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(s.GetPixel(0, 1), kBack);
    EXPECT_EQ(s.GetPixel(7, 1), kBack);
    EXPECT_EQ(s.GetPixel(1, 5), kBack);

    // Shrinking, clipping at the surface's edge and a zero size.
    Surface t(3, 3, kBack);
    t.StretchCopy(-1, 0, 3, 1, picture, 0, 0, 3, 1);
    EXPECT_EQ(t.GetPixel(0, 0), 2u);
    EXPECT_EQ(t.GetPixel(1, 0), 3u);
    EXPECT_EQ(t.GetPixel(2, 0), kBack);
    t.StretchCopy(0, 1, 1, 1, picture, 0, 0, 3, 2);
    EXPECT_EQ(t.GetPixel(0, 1), 5u);
    t.StretchCopy(0, 2, 0, 1, picture, 0, 0, 1, 1);
    EXPECT_EQ(t.GetPixel(0, 2), kBack);
}
