// The media window's arithmetic, usable without a window: the time texts,
// the magnified and full-screen picture sizes, the window's placement, the
// picture fitted into the display area and the whole seconds of the slider.
#pragma once

#include "platform/widgets/Screen.h"

#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

namespace media_window {

// Pixels of the title strip above the picture and the panel below it.
inline constexpr int kTitleHeight = 20;
inline constexpr int kPanelHeight = 33;
inline constexpr int kChromeHeight = kTitleHeight + kPanelHeight;

// "hh:mm:ss" for a number of seconds: whole seconds, "00:00:00" below one
// second, "24:59:59" beyond 24 hours.
QString FormatPlayTime(double seconds);

// The whole second that FormatPlayTime shows for a number of seconds: two
// numbers give the same text exactly when they give the same second, so a
// text need only be made again when its second changes.
int64_t PlayTimeSecond(double seconds);
// The text of a second PlayTimeSecond gave.
QString FormatPlayTimeSecond(int64_t second);

// A length times the magnification, rounded half to even; nullopt when the
// product does not fit a 32-bit length.
std::optional<int32_t> MagnifiedLength(int32_t length, float magnification);

// The picture size that fills the screen's width and its height less the
// title strip and the panel; nullopt on a screen without whole twips per pixel.
struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
};
std::optional<PictureSize> FullScreenPictureSize(const platform::ScreenMetrics& screen);

// The window's top-left corner in twips: centred across, a third of the way
// down the free height.
struct TwipsPoint {
    int64_t left = 0;
    int64_t top = 0;
};
TwipsPoint PlacementOf(const platform::ScreenMetrics& screen, double windowWidthTwips,
                       double windowHeightTwips);

// The largest rectangle of the picture's proportions that fits a display of
// dw x dh pixels, centred in it. Equal sizes give the picture's own size; a
// picture of no width or height gives a 1-pixel-wide or -high strip.
QRect FitPicture(int dw, int dh, int vw, int vh);

// Whole seconds for the slider and the seek step, halves to even, held to the
// 32-bit range; nullopt for a value that is not a number.
std::optional<int32_t> WholeSeconds(double seconds);

} // namespace media_window
