// The looks of the skinned push button: its six skin pictures and the way a
// face is put together from one of them.
//
// A face is a vertical two-colour gradient with a border cut from a skin
// picture. Each picture is a 64 x 25 pixel rounded button; only its outer band,
// 4 pixels wide, is used: its four corners are copied as they are and its four
// edges are stretched along their length to the button's size, so the picture
// fits any button while the gradient shows in the middle. All lengths here are
// pixels. The pictures are drawn in code, once, on first use.
#pragma once

#include "platform/widgets/Surface.h"

#include <array>
#include <cstdint>

namespace controls {

enum class Skin { Normal, HighLight, Selected, HighLightSelect, Pressed, Disable };

inline constexpr int kSkinWidth = 64;
inline constexpr int kSkinHeight = 25;
inline constexpr int kSkinBand = 4;

// The button's own back colour; the pictures use it outside their rounded
// corners so that the corners blend with it.
inline constexpr uint32_t kButtonBackColour = 0x00EFEFEF;

// The gradient's two colours: white and the tint red 198, green 197, blue 215.
inline constexpr uint32_t kGradientLight = 0x00FFFFFF;
inline constexpr uint32_t kGradientTint = 0x00D7C5C6;

// The picture of one look (64 x 25 pixels).
const platform::Surface& SkinPicture(Skin skin);

// Readable name of a look, for messages.
const char* SkinName(Skin skin);

// One copy of a face: where a part of the picture goes and how large it gets.
struct FacePiece {
    int destX = 0;
    int destY = 0;
    int destWidth = 0;
    int destHeight = 0;
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
};

// The eight pieces for a face width x height pixels, in the order they are
// copied: top-left corner, top edge, top-right corner, right edge,
// bottom-right corner, bottom edge, bottom-left corner, left edge.
std::array<FacePiece, 8> FacePieces(int width, int height);

// Fills the whole surface but its last row and column with the gradient:
// white at the top and the tint at the bottom, or the other way round when
// reversed (the hovered look).
void PaintGradient(platform::Surface& surface, bool reversed);

// Clears the surface to its back colour, paints the gradient and copies the
// eight pieces of the picture of `skin` onto it.
void PaintFace(platform::Surface& surface, Skin skin, bool gradientReversed);

} // namespace controls
