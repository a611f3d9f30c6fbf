#include "controls/ScrollBarLayout.h"

#include "platform/rules/Runtime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace controls::scrollbar {
namespace {

constexpr int64_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kLongMax = std::numeric_limits<int32_t>::max();

// Half of a difference across a vertical bar: the difference is first made a
// whole number and then halved with the remainder dropped, so the part lands
// on a whole twip.
double HalfWhole(double difference)
{
    return static_cast<double>(static_cast<int64_t>(platform::RoundHalfEven(difference)) / 2);
}

} // namespace

int AlignmentFor(int orientation, int alignment)
{
    if (orientation == kHorizontal) {
        if (alignment >= kAlignLeft && alignment <= kAlignRight)
            return alignment + 3;
        return alignment;
    }
    if (alignment >= kAlignTop && alignment <= kAlignBottom)
        return alignment - 3;
    return alignment;
}

bool AlignmentBelongs(int orientation, int alignment)
{
    if (IsVertical(orientation))
        return alignment >= kAlignLeft && alignment <= kAlignRight;
    return alignment >= kAlignTop && alignment <= kAlignBottom;
}

bool PlaceButtons(int orientation, int alignment, bool buttonsVisible, double sw, double sh,
                  Parts& parts)
{
    if (!AlignmentBelongs(orientation, alignment))
        return false;

    if (IsVertical(orientation)) {
        Rect& up = parts.up;
        Rect& dn = parts.down;
        switch (alignment) {
        case kAlignLeft:
            up.left = 0;
            dn.left = 0;
            break;
        case kAlignCentreV:
            up.left = HalfWhole(sw - up.width);
            dn.left = HalfWhole(sw - dn.width);
            break;
        default:
            up.left = sw - up.width;
            dn.left = sw - dn.width;
            break;
        }
        up.top = buttonsVisible ? 0 : -up.height;
        dn.top = buttonsVisible ? sh - dn.height : sh;
        return true;
    }

    Rect& lt = parts.left;
    Rect& rt = parts.right;
    switch (alignment) {
    case kAlignTop:
        lt.top = 0;
        rt.top = 0;
        break;
    case kAlignCentreH:
        lt.top = (sh - lt.height) / 2;
        rt.top = (sh - rt.height) / 2;
        break;
    default:
        lt.top = sh - lt.height;
        rt.top = sh - rt.height;
        break;
    }
    lt.left = buttonsVisible ? 0 : -lt.width;
    rt.left = buttonsVisible ? sw - rt.width : sw;
    return true;
}

void PlaceThumb(int orientation, int alignment, bool buttonsVisible, int32_t value, int32_t min,
                int32_t max, double sw, double sh, Parts& parts)
{
    Rect& thumb = parts.thumb;
    // 64-bit differences: a range of the whole 32-bit span must not overflow.
    const int64_t span = static_cast<int64_t>(max) - min;
    const double fraction =
        span > 0 ? static_cast<double>(static_cast<int64_t>(value) - min) / static_cast<double>(span)
                 : 0.0;

    if (IsVertical(orientation)) {
        const double start = buttonsVisible ? parts.up.height : 0.0;
        const double end = buttonsVisible ? parts.down.top - thumb.height : sh - thumb.height;
        thumb.top = fraction * (end - start) + start;
        switch (alignment) {
        case kAlignLeft:
            thumb.left = 0;
            break;
        case kAlignCentreV:
            thumb.left = HalfWhole(sw - thumb.width);
            break;
        case kAlignRight:
            thumb.left = sw - thumb.width;
            break;
        default:
            break;
        }
        return;
    }

    const double start = buttonsVisible ? parts.left.width : 0.0;
    const double end = buttonsVisible ? parts.right.left - thumb.width : sw - thumb.width;
    thumb.left = fraction * (end - start) + start;
    switch (alignment) {
    case kAlignTop:
        thumb.top = 0;
        break;
    case kAlignCentreH:
        thumb.top = (sh - thumb.height) / 2;
        break;
    case kAlignBottom:
        thumb.top = sh - thumb.height;
        break;
    default:
        break;
    }
}

DragTrack DragTrackOf(int orientation, const Parts& parts)
{
    if (IsVertical(orientation)) {
        return {static_cast<int64_t>(platform::RoundHalfEven(parts.up.top + parts.up.height)),
                static_cast<int64_t>(platform::RoundHalfEven(parts.down.top - parts.thumb.height))};
    }
    return {static_cast<int64_t>(platform::RoundHalfEven(parts.left.left + parts.left.width)),
            static_cast<int64_t>(platform::RoundHalfEven(parts.right.left - parts.thumb.width))};
}

int64_t DragCandidate(double thumbPos, double pointer, int32_t grabOffset, DragTrack track)
{
    int64_t candidate = static_cast<int64_t>(platform::RoundHalfEven(thumbPos + pointer - grabOffset));
    if (candidate >= track.end)
        candidate = track.end;
    if (candidate <= track.start)
        candidate = track.start;
    return candidate;
}

std::optional<int32_t> DragValue(double thumbPos, DragTrack track, int32_t min, int32_t max)
{
    if (track.end <= track.start)
        return std::nullopt;
    const double span = static_cast<double>(static_cast<int64_t>(max) - min);
    const double value = (thumbPos - static_cast<double>(track.start)) /
                             static_cast<double>(track.end - track.start) * span +
                         min;
    // The thumb read back from its part sits on whole pixels, which may lie a
    // fraction of a pixel past the track's ends; the value stays in range.
    return ClampToRange(static_cast<int64_t>(std::clamp(platform::RoundHalfEven(value),
                                                        static_cast<double>(kLongMin),
                                                        static_cast<double>(kLongMax))),
                        std::min(min, max), std::max(min, max));
}

int32_t AddClamped(int32_t value, int64_t delta)
{
    return static_cast<int32_t>(std::clamp(static_cast<int64_t>(value) + delta, kLongMin, kLongMax));
}

int32_t ClampToRange(int64_t nVal, int32_t min, int32_t max)
{
    if (nVal < min)
        return min;
    if (nVal > max)
        return max;
    return static_cast<int32_t>(nVal);
}

int32_t RoundToLong(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(platform::RoundHalfEven(value), static_cast<double>(kLongMin),
                                           static_cast<double>(kLongMax)));
}

} // namespace controls::scrollbar
