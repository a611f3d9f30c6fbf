#include "controls/SkinPictures.h"

namespace controls {
namespace {

constexpr uint32_t Rgb(uint32_t hexRgb)
{
    // Written as the familiar #RRGGBB, stored as 0x00BBGGRR.
    return ((hexRgb >> 16) & 0xFF) | (hexRgb & 0xFF00) | ((hexRgb & 0xFF) << 16);
}

constexpr uint32_t kBorderBlue = Rgb(0x003C74);
constexpr uint32_t kGlowOrange = Rgb(0xFCD279);
constexpr uint32_t kGlowOrangeDark = Rgb(0xF5B94C);
constexpr uint32_t kGlowBlue = Rgb(0xB7D0F4);
constexpr uint32_t kGlowBlueDark = Rgb(0x8FB2E8);
constexpr uint32_t kPressedFace = Rgb(0xE2E1D9);
constexpr uint32_t kPressedShade = Rgb(0xD0CEC4);
constexpr uint32_t kDisabledBorder = Rgb(0xC9C7BA);
constexpr uint32_t kDisabledFace = Rgb(0xF5F4EA);

// Every picture is a rounded button: a one-pixel border on a face, drawn on
// the button's back colour so the four pixels outside the curve match it.
constexpr int kCornerEllipse = 6;

platform::TriVertex Vertex(int x, int y, uint32_t colour)
{
    platform::TriVertex v;
    v.x = x;
    v.y = y;
    v.red = static_cast<uint16_t>((colour & 0xFF) << 8);
    v.green = static_cast<uint16_t>(((colour >> 8) & 0xFF) << 8);
    v.blue = static_cast<uint16_t>(((colour >> 16) & 0xFF) << 8);
    return v;
}

void GradientFace(platform::Surface& picture, bool reversed)
{
    const uint32_t top = reversed ? kGradientTint : kGradientLight;
    const uint32_t bottom = reversed ? kGradientLight : kGradientTint;
    picture.GradientFillV(Vertex(1, 1, top), Vertex(kSkinWidth - 1, kSkinHeight - 1, bottom));
}

void FlatFace(platform::Surface& picture, uint32_t colour)
{
    picture.SetPen(colour);
    picture.SetFill(colour);
    picture.Rectangle(1, 1, kSkinWidth - 1, kSkinHeight - 1);
}

// A glow two pixels deep just inside the border, darker on its inner ring.
void Glow(platform::Surface& picture, uint32_t outer, uint32_t inner)
{
    picture.SetFillOff();
    picture.SetPen(outer);
    picture.RoundRect(1, 1, kSkinWidth - 1, kSkinHeight - 1, kCornerEllipse - 2, kCornerEllipse - 2);
    picture.SetPen(inner);
    picture.Rectangle(2, 2, kSkinWidth - 2, kSkinHeight - 2);
}

void Border(platform::Surface& picture, uint32_t colour)
{
    picture.SetFillOff();
    picture.SetPen(colour);
    picture.RoundRect(0, 0, kSkinWidth, kSkinHeight, kCornerEllipse, kCornerEllipse);
}

platform::Surface MakePicture(Skin skin)
{
    platform::Surface picture(kSkinWidth, kSkinHeight, kButtonBackColour);
    switch (skin) {
    case Skin::Normal:
        GradientFace(picture, false);
        Border(picture, kBorderBlue);
        break;
    case Skin::HighLight:
        GradientFace(picture, true);
        Glow(picture, kGlowOrange, kGlowOrangeDark);
        Border(picture, kBorderBlue);
        break;
    case Skin::HighLightSelect:
        GradientFace(picture, false);
        Glow(picture, kGlowOrange, kGlowOrangeDark);
        Border(picture, kBorderBlue);
        break;
    case Skin::Selected:
        GradientFace(picture, false);
        Glow(picture, kGlowBlue, kGlowBlueDark);
        Border(picture, kBorderBlue);
        break;
    case Skin::Pressed:
        // A recessed face: flat grey with a shade along its top and left.
        FlatFace(picture, kPressedFace);
        picture.SetPen(kPressedShade);
        picture.Rectangle(2, 1, kSkinWidth - 2, 2);
        picture.Rectangle(1, 2, 2, kSkinHeight - 2);
        Border(picture, kBorderBlue);
        break;
    case Skin::Disable:
        FlatFace(picture, kDisabledFace);
        Border(picture, kDisabledBorder);
        break;
    }
    return picture;
}

} // namespace

const platform::Surface& SkinPicture(Skin skin)
{
    static const std::array<platform::Surface, 6> pictures = {
        MakePicture(Skin::Normal),          MakePicture(Skin::HighLight), MakePicture(Skin::Selected),
        MakePicture(Skin::HighLightSelect), MakePicture(Skin::Pressed),   MakePicture(Skin::Disable),
    };
    return pictures[static_cast<size_t>(skin)];
}

const char* SkinName(Skin skin)
{
    switch (skin) {
    case Skin::Normal: return "Normal";
    case Skin::HighLight: return "HighLight";
    case Skin::Selected: return "Selected";
    case Skin::HighLightSelect: return "HighLightSelect";
    case Skin::Pressed: return "Pressed";
    case Skin::Disable: return "Disable";
    }
    return "?";
}

std::array<FacePiece, 8> FacePieces(int width, int height)
{
    constexpr int b = kSkinBand;
    constexpr int edgeWidth = kSkinWidth - 2 * b;   // 56
    constexpr int edgeHeight = kSkinHeight - 2 * b; // 17
    constexpr int right = kSkinWidth - b;           // 60
    constexpr int bottom = kSkinHeight - b;         // 21
    const int w = width;
    const int h = height;
    return {{
        {0, 0, b, b, 0, 0, b, b},
        {b, 0, w - 2 * b, b, b, 0, edgeWidth, b},
        {w - b, 0, b, b, right, 0, b, b},
        {w - b, b, b, h - 2 * b, right, b, b, edgeHeight},
        {w - b, h - b, b, b, right, bottom, b, b},
        {b, h - b, w - 2 * b, b, b, bottom, edgeWidth, b},
        {0, h - b, b, b, 0, bottom, b, b},
        {0, b, b, h - 2 * b, 0, b, b, edgeHeight},
    }};
}

void PaintGradient(platform::Surface& surface, bool reversed)
{
    // The gradient's corners are (0, 0) and (width - 1, height - 1); the
    // last row and column lie under the border pieces anyway.
    const uint32_t top = reversed ? kGradientTint : kGradientLight;
    const uint32_t bottom = reversed ? kGradientLight : kGradientTint;
    surface.GradientFillV(Vertex(0, 0, top), Vertex(surface.Width() - 1, surface.Height() - 1, bottom));
}

void PaintFace(platform::Surface& surface, Skin skin, bool gradientReversed)
{
    surface.Clear();
    PaintGradient(surface, gradientReversed);
    const platform::Surface& picture = SkinPicture(skin);
    for (const FacePiece& p : FacePieces(surface.Width(), surface.Height()))
        surface.StretchCopy(p.destX, p.destY, p.destWidth, p.destHeight, picture, p.sourceX, p.sourceY,
                            p.sourceWidth, p.sourceHeight);
}

} // namespace controls
