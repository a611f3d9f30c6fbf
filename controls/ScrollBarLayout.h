// The arithmetic of the picture scroll bar, kept apart from its widget so that
// painting, mouse handling and the tests share one set of small functions.
// Every length here is in twips, the control's own unit: the widget converts
// the part rectangles to pixels only when it places its child parts, and reads
// them back from the parts before calling in here again.
#pragma once

#include <cstdint>
#include <optional>

namespace controls::scrollbar {

// Orientation values: 1 stands vertical, 0 horizontal.
inline constexpr int kHorizontal = 0;
inline constexpr int kVertical = 1;

// Thumb alignments: 0..2 across a vertical bar (left, centre, right),
// 3..5 across a horizontal one (top, centre, bottom).
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignCentreV = 1;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignTop = 3;
inline constexpr int kAlignCentreH = 4;
inline constexpr int kAlignBottom = 5;

// The thickness the first layout gives a new bar (21 pixels at 15 twips per
// pixel, the thickness of the default pictures).
inline constexpr int kInitialThicknessTwips = 315;

struct Rect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// The rectangles of the six parts.
struct Parts {
    Rect bg;
    Rect up;
    Rect down;
    Rect left;
    Rect right;
    Rect thumb;
};

inline bool IsVertical(int orientation) { return orientation == kVertical; }

// Translates an alignment into the matching value of the other orientation's
// range: a horizontal bar turns left/centre/right into top/centre/bottom, a
// vertical bar the reverse. Values of neither range pass unchanged.
int AlignmentFor(int orientation, int alignment);

// True when the alignment is one of the orientation's own three values.
bool AlignmentBelongs(int orientation, int alignment);

// Places the two arrow buttons of the orientation inside (or, when hidden,
// just outside) a bar of inner size sw x sh. Returns false without moving
// anything when the alignment belongs to the other orientation; the layout
// then stops before the thumb.
bool PlaceButtons(int orientation, int alignment, bool buttonsVisible, double sw, double sh,
                  Parts& parts);

// Places the thumb along the track in proportion to value between min and
// max, and across the bar by the alignment. When min is not below max there
// is no proportion to take, and the thumb rests at the start of its track.
void PlaceThumb(int orientation, int alignment, bool buttonsVisible, int32_t value, int32_t min,
                int32_t max, double sw, double sh, Parts& parts);

// The stretch of the axis in which the thumb's leading edge may move during a
// drag, in whole twips. Hidden buttons lie just outside the bar, so then the
// track is the whole bar.
struct DragTrack {
    int64_t start = 0;
    int64_t end = 0;
};
DragTrack DragTrackOf(int orientation, const Parts& parts);

// The thumb's new leading edge for a pointer at `pointer` (twips inside the
// thumb along the axis) that grabbed it at `grabOffset`, held to the track.
int64_t DragCandidate(double thumbPos, double pointer, int32_t grabOffset, DragTrack track);

// The value for a thumb at `thumbPos`. nullopt when the track has no length,
// since no position then stands for any particular value.
std::optional<int32_t> DragValue(double thumbPos, DragTrack track, int32_t min, int32_t max);

// value + delta, held to the 32-bit range instead of overflowing.
int32_t AddClamped(int32_t value, int64_t delta);

// The value a request for nVal stores: nVal within min..max, else the nearer end.
int32_t ClampToRange(int64_t nVal, int32_t min, int32_t max);

// Whole twips from a fractional length, halves to even, as 32 bits.
int32_t RoundToLong(double value);

} // namespace controls::scrollbar
