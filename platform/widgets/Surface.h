// A small raster surface of 32-bit pixels and the widget that shows it.
//
// The skinned controls draw their whole look themselves, pixel by pixel, and
// read pixels back to smooth their shadows, so they need drawing rules that are
// exact and the same everywhere: a one-pixel solid pen, fill on or off,
// rectangles and rounded rectangles whose right and bottom edges are exclusive
// with the outline inside those bounds, single-pixel reads and writes, a
// vertical two-colour gradient and a stretch copy of part of a picture.
// Everything here but SurfaceWidget is plain C++ that needs no window, so the
// drawing can be tested without a display.
//
// Colours are 0x00BBGGRR (red in the low byte). A value with the high bit set
// is a system-colour reference; it is drawn as that system colour (see
// PlainColour), so a pixel read back never equals the reference itself.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace platform {

// What GetPixel answers for a point outside the surface.
inline constexpr uint32_t kInvalidColour = 0xFFFFFFFFu;

// The 24-bit colour a pixel gets for a colour value: the value itself for a
// plain colour, the colour of the classic desktop scheme for a system-colour
// reference (0x80000000 + index), black for an unknown reference.
uint32_t PlainColour(uint32_t colour);

// One corner of a gradient: a position and 16-bit colour channels (a channel
// value of 0xC600 stands for 0xC6), alpha unused.
struct TriVertex {
    int x = 0;
    int y = 0;
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t alpha = 0;
};

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, uint32_t background = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Gives the surface a new size and clears it to the background colour.
    void Resize(int width, int height);

    void SetBackColour(uint32_t colour) { backColour_ = colour; }
    uint32_t BackColour() const { return backColour_; }
    // Every pixel becomes the background colour.
    void Clear();

    // The pen is always solid and one pixel wide.
    void SetPen(uint32_t colour) { pen_ = PlainColour(colour); }
    void SetFill(uint32_t colour)
    {
        fill_ = PlainColour(colour);
        fillOn_ = true;
    }
    void SetFillOff() { fillOn_ = false; }

    // The rectangle covering columns left..right-1 and rows top..bottom-1: its
    // outermost ring of pixels in the pen colour, the inside in the fill colour
    // when fill is on and untouched when it is off. An empty or inverted
    // rectangle draws nothing. Pixels outside the surface are clipped.
    void Rectangle(int left, int top, int right, int bottom);

    // Like Rectangle, with each corner cut along a quarter of an ellipse
    // ellipseWidth wide and ellipseHeight high (clamped to the rectangle's own
    // size). An ellipse of 0 or 1 gives square corners.
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

    // The 24-bit colour of a point, or kInvalidColour outside.
    uint32_t GetPixel(int x, int y) const;
    // Writes one pixel; false (and nothing written) outside the surface.
    bool SetPixelV(int x, int y, uint32_t colour);

    // Fills columns upperLeft.x..lowerRight.x-1 and rows upperLeft.y..lowerRight.y-1
    // with a vertical blend: the first row has upperLeft's colour, the last row
    // lowerRight's, the rows between a linear blend rounded to the nearest.
    void GradientFillV(const TriVertex& upperLeft, const TriVertex& lowerRight);

    // Copies the source rectangle of a picture onto the destination rectangle,
    // scaling each axis by nearest-neighbour sampling. Rectangles with no area
    // copy nothing; source pixels outside the picture are not read.
    void StretchCopy(int destX, int destY, int destWidth, int destHeight, const Surface& picture,
                     int sourceX, int sourceY, int sourceWidth, int sourceHeight);

    // Pixels row by row, each a 24-bit colour.
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

    // The picture as a Qt image (for showing it and for looking at it).
    QImage ToImage() const;

private:
    // Draws the shape whose row y spans columns span(y).first..span(y).second.
    template <typename SpanOf>
    void DrawShape(int top, int bottom, SpanOf spanOf);
    void FillRow(int y, int fromX, int toX, uint32_t colour);

    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
    uint32_t backColour_ = 0;
    uint32_t pen_ = 0;
    uint32_t fill_ = 0;
    bool fillOn_ = false;
};

// A widget whose look is a Surface. Painting only copies the last finished
// picture to the screen; the owner redraws the surface when its state changes
// and then calls SurfaceChanged.
// It declares no signals of its own, so it needs no meta-object; the
// controls built on it declare theirs.
class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    Surface& DrawingSurface() { return surface_; }
    const Surface& DrawingSurface() const { return surface_; }

    // Takes the surface's current picture for the next paints.
    void SurfaceChanged();

    // False leaves the widget's background transparent: nothing is painted and
    // whatever lies behind the widget shows.
    void SetSurfaceShown(bool shown);
    bool SurfaceShown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Surface surface_;
    QImage image_;
    bool shown_ = true;
};

} // namespace platform
