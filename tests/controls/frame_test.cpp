// The shadow frame: its colour arithmetic, its picture pixel by pixel, its
// setter rules and persistence, and its redraws as a widget.
#include "controls/GFXFrameX.h"
#include "platform/widgets/Screen.h"

#include <QWidget>
#include <gtest/gtest.h>

using controls::FrameLook;
using controls::GFXFrameX;
using platform::Surface;

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;
constexpr uint32_t kBlack = 0;
constexpr uint32_t kBody = 0x0080C0E0;

uint32_t Grey(int level)
{
    return static_cast<uint32_t>(level) * 0x010101u;
}

FrameLook WhiteLook(int32_t style, int16_t opacity, int16_t depth)
{
    FrameLook look;
    look.FrameStyle = style;
    look.ShadowOpacity = opacity;
    look.ShadowDepth = depth;
    look.FillColour = kBody;
    look.BackColour = kWhite;
    look.BackColourIs = 1;
    look.BorderColour = kBlack;
    return look;
}

Surface Draw(const FrameLook& look, int w = 100, int h = 80, uint32_t ambient = 0x00123456)
{
    Surface s(w, h);
    controls::DrawFrame(s, look, ambient, w, h);
    return s;
}

class ScreenAt15 : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ScreenMetrics m;
        m.twipsPerPixelX = 15;
        m.twipsPerPixelY = 15;
        platform::SetScreenOverride(m);
    }
    void TearDown() override { platform::SetScreenOverride(std::nullopt); }
};

} // namespace

TEST(FrameColours, SplitBlendAndTwipsFollowIntegerRules)
{
    const auto c = controls::SplitColour(0x00D7C5C6);
    EXPECT_EQ(c.red, 0xC6);
    EXPECT_EQ(c.green, 0xC5);
    EXPECT_EQ(c.blue, 0xD7);
    EXPECT_EQ(controls::ComposeColour(c), 0x00D7C5C6);
    // Negative values divide toward zero before the mask.
    const auto invalid = controls::SplitColour(-1);
    EXPECT_EQ(invalid.red, 255);
    EXPECT_EQ(invalid.green, 0);
    EXPECT_EQ(invalid.blue, 0);

    // Division before multiplication: half of -255 is -127, twice that -254.
    EXPECT_EQ(controls::BlendColour(0, 0xFF, 2, 2), 254u);
    EXPECT_EQ(controls::BlendColour(0, kWhite, 100, 50), Grey(100));
    EXPECT_EQ(controls::BlendColour(0, kWhite, 100, 0), kBlack);
    EXPECT_EQ(controls::BlendColour(0, kWhite, 100, 100), Grey(200));
    EXPECT_EQ(controls::BlendColour(0x00102030, kWhite, 0, 3), kWhite);

    // Twips are rounded to whole twips first, then to pixels, halves to even.
    EXPECT_EQ(controls::TwipsToPixels(1755, 15), 117);
    EXPECT_EQ(controls::TwipsToPixels(22.5, 15), 1);
    EXPECT_EQ(controls::TwipsToPixels(37.5, 15), 3);
    EXPECT_EQ(controls::TwipsToPixels(75, 30), 2);
    EXPECT_EQ(controls::TwipsToPixels(40000, 15), 2184);
}

TEST(FrameDrawing, ShadowRingsFadeFromBodyIntoBackground)
{
    const int W = 100, H = 80, SD = 5;
    const Surface s = Draw(WhiteLook(1, 50, SD), W, H);
    const int levels[] = {131, 162, 193, 224, 255};
    for (int i = 1; i <= SD; ++i) {
        const uint32_t ring = Grey(levels[i - 1]);
        const int column = W - SD + i - 1;
        const int row = H - SD + i - 1;
        EXPECT_EQ(s.GetPixel(column, 40), ring) << "ring " << i;
        EXPECT_EQ(s.GetPixel(50, row), ring) << "ring " << i;
        EXPECT_EQ(s.GetPixel(column, row), ring) << "ring " << i;
        // Outer rings start further up and further left.
        EXPECT_EQ(s.GetPixel(column, 2 * SD - i), ring) << "ring " << i;
        EXPECT_EQ(s.GetPixel(2 * SD - i, row), ring) << "ring " << i;
        // Just above and left of where a ring starts runs the next ring out.
        const uint32_t next = i < SD ? Grey(levels[i]) : kWhite;
        EXPECT_EQ(s.GetPixel(column, 2 * SD - i - 1), next) << "ring " << i;
        EXPECT_EQ(s.GetPixel(2 * SD - i - 1, row), next) << "ring " << i;
    }
    // The body covers columns 0..W-SD-1 and rows 0..H-SD-1, outlined.
    EXPECT_EQ(s.GetPixel(0, 0), kBlack);
    EXPECT_EQ(s.GetPixel(W - SD - 1, 40), kBlack);
    EXPECT_EQ(s.GetPixel(50, H - SD - 1), kBlack);
    EXPECT_EQ(s.GetPixel(W - SD - 2, H - SD - 2), kBody);
    EXPECT_EQ(s.GetPixel(1, 1), kBody);
    EXPECT_EQ(s.GetPixel(W - SD, 2), kWhite);
}

TEST(FrameDrawing, OpacityDecidesTheInnerEdge)
{
    const Surface dark = Draw(WhiteLook(1, 100, 5));
    const Surface faint = Draw(WhiteLook(1, 0, 5));
    const int darkLevels[] = {51, 102, 153, 204, 255};
    const int faintLevels[] = {211, 222, 233, 244, 255};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(dark.GetPixel(95 + i - 1, 40), Grey(darkLevels[i - 1])) << i;
        EXPECT_EQ(faint.GetPixel(95 + i - 1, 40), Grey(faintLevels[i - 1])) << i;
    }
}

TEST(FrameDrawing, OtherStylesAndNoShadow)
{
    const Surface plain = Draw(WhiteLook(2, 50, 5));
    for (uint32_t p : plain.Pixels())
        ASSERT_EQ(p, kWhite);

    FrameLook look = WhiteLook(1, 100, 9);
    look.ShowShadow = false;
    const Surface s = Draw(look);
    EXPECT_EQ(s.GetPixel(99, 79), kBlack);
    EXPECT_EQ(s.GetPixel(99, 40), kBlack);
    EXPECT_EQ(s.GetPixel(98, 78), kBody);
    // Depth and opacity then change nothing.
    look.ShadowDepth = 2;
    look.ShadowOpacity = 0;
    EXPECT_EQ(Draw(look).Pixels(), s.Pixels());

    // The container's colour is the background unless BackColour is chosen.
    FrameLook ambient = WhiteLook(2, 50, 5);
    ambient.BackColourIs = 0;
    EXPECT_EQ(Draw(ambient, 10, 10, 0x00345678).GetPixel(5, 5), 0x00345678u);
}

TEST(FrameDrawing, RoundedCornersWithDepthZeroAreSquare)
{
    FrameLook rounded = WhiteLook(0, 50, 5);
    rounded.CornerDepth = 0;
    FrameLook square = WhiteLook(1, 50, 5);
    square.CornerDepth = 0;
    EXPECT_EQ(Draw(rounded).Pixels(), Draw(square).Pixels());
}

TEST(FrameDrawing, RoundedShadowIsSmoothedInItsThreeWindows)
{
    FrameLook look = WhiteLook(0, 50, 5);
    look.CornerDepth = 10;
    const Surface s = Draw(look);
    EXPECT_EQ(s.GetPixel(0, 0), kWhite); // the body's corner is cut
    EXPECT_EQ(s.GetPixel(50, 0), kBlack);
    EXPECT_EQ(s.GetPixel(95, 40), Grey(131));
    // Columns W-2CD..W-3 and rows H-2CD..H-3, the same columns by rows
    // SD..4SD, and columns SD..4SD by the bottom rows: nothing of the
    // background is left in them, though the rounded rings miss some pixels.
    struct Window {
        int x0, x1, y0, y1;
    };
    int filled = 0;
    for (const Window w : {Window{80, 97, 60, 77}, Window{80, 97, 5, 20}, Window{5, 20, 60, 77}})
        for (int x = w.x0; x <= w.x1; ++x)
            for (int y = w.y0; y <= w.y1; ++y) {
                EXPECT_NE(s.GetPixel(x, y), kWhite) << x << "," << y;
                filled += s.GetPixel(x, y) != kBody && s.GetPixel(x, y) != kBlack ? 1 : 0;
            }
    EXPECT_GT(filled, 0);
}

TEST(FrameDrawing, SmoothingAveragesInPlaceInsideItsWindowsOnly)
{
    // 20 x 20, depth 2, corner 3: windows are columns 14..17 x rows 14..17,
    // columns 14..17 x rows 2..8, columns 2..8 x rows 14..17.
    Surface s(20, 20, kWhite);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            s.SetPixelV(x, y, Grey(100));
    s.SetPixelV(15, 15, kWhite);
    s.SetPixelV(15, 16, kWhite);
    s.SetPixelV(10, 10, kWhite); // outside every window
    s.SetPixelV(5, 15, kWhite);  // the bottom band's window
    s.SetPixelV(16, 5, kWhite);  // the right band's window
    // A tie: 100 + 100 + 100 + 102 = 402, a quarter is 100.5, rounded to 100.
    s.SetPixelV(7, 17, kWhite);
    s.SetPixelV(7, 18, Grey(102));

    controls::SmoothShadowCorners(s, 20, 20, 2, 3);
    // (15, 15) sees the background below it: (3 * 100 + 255) / 4 = 138.75.
    EXPECT_EQ(s.GetPixel(15, 15), Grey(139));
    // (15, 16) comes after it and sees the replaced value above it.
    EXPECT_EQ(s.GetPixel(15, 16), Grey(110));
    EXPECT_EQ(s.GetPixel(10, 10), kWhite);
    EXPECT_EQ(s.GetPixel(5, 15), Grey(100));
    EXPECT_EQ(s.GetPixel(16, 5), Grey(100));
    EXPECT_EQ(s.GetPixel(7, 17), Grey(100));

    // A background given as a system-colour reference never matches a pixel.
    Surface system(20, 20, 0x80000005u);
    system.Clear();
    const auto before = system.Pixels();
    controls::SmoothShadowCorners(system, 20, 20, 2, 3);
    EXPECT_EQ(system.Pixels(), before);

    // Windows reaching past the surface read invalid neighbours but never
    // write outside it or crash.
    Surface tiny(4, 4, kWhite);
    controls::SmoothShadowCorners(tiny, 4, 4, 2, 50);
    EXPECT_EQ(tiny.Width(), 4);
}

TEST_F(ScreenAt15, SettersClampAndReportTheirNames)
{
    QWidget window;
    auto* frame = new GFXFrameX(&window);
    frame->resize(60, 40);
    QStringList changed;
    QObject::connect(frame, &GFXFrameX::PropertyChanged, [&](const QString& name) { changed << name; });

    frame->SetShadowOpacity(150);
    EXPECT_EQ(frame->ShadowOpacity(), 100);
    frame->SetShadowOpacity(-1);
    EXPECT_EQ(frame->ShadowOpacity(), 0);
    frame->SetCornerDepth(60);
    EXPECT_EQ(frame->CornerDepth(), 50);
    frame->SetCornerDepth(-5);
    EXPECT_EQ(frame->CornerDepth(), 0);
    frame->SetShadowDepth(1);
    EXPECT_EQ(frame->ShadowDepth(), 2);
    frame->SetShadowDepth(0);
    EXPECT_EQ(frame->ShadowDepth(), 2);
    frame->SetShadowDepth(41);
    EXPECT_EQ(frame->ShadowDepth(), 41);
    frame->SetShadowDepth(400);
    EXPECT_EQ(frame->ShadowDepth(), 50);
    frame->SetFrameStyle(7);
    EXPECT_EQ(frame->FrameStyle(), 7);
    EXPECT_EQ(changed, (QStringList{"ShadowOpacity", "ShadowOpacity", "CornerDepth", "CornerDepth", "ShadowDepth",
                                    "ShadowDepth", "ShadowDepth", "ShadowDepth", "FrameStyle"}));

    // Each setter redraws at once.
    frame->SetFrameStyle(1);
    frame->SetShowShadow(false);
    frame->SetBorderColour(0x000000FF);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(59, 39), 0x000000FFu);
    frame->SetFillColour(0x0000FF00);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(30, 20), 0x0000FF00u);
}

TEST_F(ScreenAt15, PersistenceKeepsOrderDefaultsAndAppliesSetterRulesOnLoad)
{
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
    window.setPalette(palette);
    auto* frame = new GFXFrameX(&window);
    frame->resize(80, 60);
    auto* loaded = new GFXFrameX(&window);
    loaded->resize(80, 60);
    window.show();
    EXPECT_EQ(frame->FillColour(), 0x00302010u);
    EXPECT_EQ(frame->BackColour(), 0x00302010u);

    // All defaults: nothing is stored, and loading gives the same picture.
    controls::PropertyBag empty;
    frame->WriteProperties(empty);
    EXPECT_TRUE(empty.Keys().isEmpty());
    const auto picture = frame->DrawingSurface().Pixels();
    loaded->ReadProperties(empty);
    EXPECT_EQ(loaded->DrawingSurface().Pixels(), picture);

    frame->SetFrameStyle(0);
    frame->SetShadowOpacity(70);
    frame->SetShowShadow(false);
    frame->SetShadowDepth(8);
    frame->SetFillColour(0x00FFFFFF);
    frame->SetBackColour(0x8000000F);
    frame->SetBackColourIs(1);
    frame->SetBorderColour(0x000000FF);
    frame->SetCornerDepth(12);
    controls::PropertyBag bag;
    frame->WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (QStringList{"FrameStyle", "ShadowOpacity", "ShowShadow", "ShadowDepth", "FillColour",
                                       "BackColour", "BackColourIs", "BorderColour", "CornerDepth"}));
    loaded->ReadProperties(bag);
    EXPECT_EQ(loaded->BackColour(), 0x8000000Fu);
    EXPECT_EQ(loaded->CornerDepth(), 12);
    EXPECT_EQ(loaded->DrawingSurface().Pixels(), frame->DrawingSurface().Pixels());

    // Stored values out of range are brought back into it, so a depth of 0
    // cannot reach the shadow blend.
    controls::PropertyBag bad;
    bad.WriteProperty("ShadowOpacity", 300, 50);
    bad.WriteProperty("ShadowDepth", 0, 5);
    bad.WriteProperty("CornerDepth", -4, 10);
    loaded->ReadProperties(bad);
    EXPECT_EQ(loaded->ShadowOpacity(), 100);
    EXPECT_EQ(loaded->ShadowDepth(), 2);
    EXPECT_EQ(loaded->CornerDepth(), 0);
    // Opacity 100 over depth 2: the first ring is half the background.
    EXPECT_EQ(loaded->DrawingSurface().GetPixel(78, 30), 0x00181008u);
}

TEST_F(ScreenAt15, FollowsTheContainersColourAndSize)
{
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::white);
    window.setPalette(palette);
    auto* frame = new GFXFrameX(&window);
    frame->resize(100, 80);
    frame->SetFillColour(kBody);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(99, 0), kWhite);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(95, 40), Grey(131));

    palette.setColor(QPalette::Window, QColor(0x40, 0x80, 0xC0));
    window.setPalette(palette);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(99, 0), 0x00C08040u);
    EXPECT_NE(frame->DrawingSurface().GetPixel(95, 40), Grey(131));

    // A chosen background ignores the container.
    frame->SetBackColour(kWhite);
    frame->SetBackColourIs(-1);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(99, 0), kWhite);

    // A resize redraws at the new size, with the shadow at the new edge.
    window.show();
    frame->resize(120, 90);
    EXPECT_EQ(frame->DrawingSurface().Width(), 120);
    EXPECT_EQ(frame->DrawingSurface().GetPixel(115, 40), Grey(131));
    EXPECT_EQ(frame->DrawingSurface().GetPixel(50, 85), Grey(131));
}
