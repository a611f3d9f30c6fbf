#include "players/MediaWindowMath.h"

#include "platform/rules/Runtime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace media_window {

namespace {

// From 25 hours on, every time reads as the last second of the 25th hour.
constexpr int64_t kLastShownSecond = 24 * 3600 + 59 * 60 + 59;

} // namespace

int64_t PlayTimeSecond(double seconds)
{
    const double t = std::floor(seconds);
    if (!(t >= 1))
        return 0;
    if (t > static_cast<double>(kLastShownSecond))
        return kLastShownSecond;
    return static_cast<int64_t>(t);
}

QString FormatPlayTimeSecond(int64_t second)
{
    const int64_t t = std::clamp<int64_t>(second, 0, kLastShownSecond);
    return QString::asprintf("%02d:%02d:%02d", static_cast<int>(t / 3600), static_cast<int>(t / 60 % 60),
                             static_cast<int>(t % 60));
}

QString FormatPlayTime(double seconds)
{
    return FormatPlayTimeSecond(PlayTimeSecond(seconds));
}

std::optional<int32_t> MagnifiedLength(int32_t length, float magnification)
{
    const double product = platform::RoundHalfEven(static_cast<double>(length) * static_cast<double>(magnification));
    if (!(product >= std::numeric_limits<int32_t>::min() && product <= std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return static_cast<int32_t>(product);
}

std::optional<PictureSize> FullScreenPictureSize(const platform::ScreenMetrics& screen)
{
    const auto perPixelX = static_cast<int64_t>(platform::RoundHalfEven(screen.twipsPerPixelX));
    const auto perPixelY = static_cast<int64_t>(platform::RoundHalfEven(screen.twipsPerPixelY));
    if (perPixelX == 0 || perPixelY == 0)
        return std::nullopt;
    const auto widthTwips = static_cast<int64_t>(platform::RoundHalfEven(screen.WidthTwips()));
    const auto heightTwips = static_cast<int64_t>(platform::RoundHalfEven(screen.HeightTwips()));
    return PictureSize{static_cast<int32_t>(widthTwips / perPixelX),
                       static_cast<int32_t>(heightTwips / perPixelY - kChromeHeight)};
}

TwipsPoint PlacementOf(const platform::ScreenMetrics& screen, double windowWidthTwips, double windowHeightTwips)
{
    const auto freeWidth = static_cast<int64_t>(platform::RoundHalfEven(screen.WidthTwips() - windowWidthTwips));
    const auto freeHeight = static_cast<int64_t>(platform::RoundHalfEven(screen.HeightTwips() - windowHeightTwips));
    // A third of the way down looks better than the exact centre.
    return {freeWidth / 2, freeHeight / 3};
}

QRect FitPicture(int dw, int dh, int vw, int vh)
{
    int w = 0;
    int h = 0;
    if (vh == dh && vw == dw) {
        w = vw;
        h = vh;
    } else {
        // A ratio over a picture side of 0 cannot be taken; it then stays 0
        // and the other side decides.
        const double rH = vh != 0 ? static_cast<double>(dh) / vh : 0.0;
        const double rW = vw != 0 ? static_cast<double>(dw) / vw : 0.0;
        if (rW >= rH) {
            h = dh;
            w = static_cast<int>(std::floor(vw * rH));
        } else {
            w = dw;
            h = static_cast<int>(std::floor(vh * rW));
        }
        w = std::max(w, 1);
        h = std::max(h, 1);
    }
    const auto left = static_cast<int>(platform::RoundHalfEven((dw - w) / 2.0));
    const auto top = static_cast<int>(platform::RoundHalfEven((dh - h) / 2.0));
    return {left, top, w, h};
}

std::optional<int32_t> WholeSeconds(double seconds)
{
    if (std::isnan(seconds))
        return std::nullopt;
    return static_cast<int32_t>(std::clamp(platform::RoundHalfEven(seconds),
                                           static_cast<double>(std::numeric_limits<int32_t>::min()),
                                           static_cast<double>(std::numeric_limits<int32_t>::max())));
}

} // namespace media_window
