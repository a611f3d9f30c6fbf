#include "platform/widgets/Surface.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

namespace platform {
namespace {

constexpr uint32_t Rgb(uint32_t hexRgb)
{
    // Written as the familiar #RRGGBB, stored as 0x00BBGGRR.
    return ((hexRgb >> 16) & 0xFF) | (hexRgb & 0xFF00) | ((hexRgb & 0xFF) << 16);
}

// The classic desktop scheme, by system-colour index. Stored controls may hold
// such references (for example the button face) and must still draw in a
// sensible colour rather than in whatever their low bytes happen to spell.
constexpr std::array<uint32_t, 29> kSystemColours = {
    Rgb(0xC0C0C0), Rgb(0x3A6EA5), Rgb(0x0A246A), Rgb(0x808080), Rgb(0xD4D0C8), Rgb(0xFFFFFF),
    Rgb(0x000000), Rgb(0x000000), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0xD4D0C8), Rgb(0xD4D0C8),
    Rgb(0x808080), Rgb(0x0A246A), Rgb(0xFFFFFF), Rgb(0xD4D0C8), Rgb(0x808080), Rgb(0x808080),
    Rgb(0x000000), Rgb(0xD4D0C8), Rgb(0xFFFFFF), Rgb(0x404040), Rgb(0xD4D0C8), Rgb(0x000000),
    Rgb(0xFFFFE1), Rgb(0xB5B5B5), Rgb(0x0000FF), Rgb(0xA6CAF0), Rgb(0xC0C0C0),
};

uint16_t Blend16(uint16_t from, uint16_t to, int64_t step, int64_t steps)
{
    if (steps <= 0)
        return from;
    const int64_t value = from + ((static_cast<int64_t>(to) - from) * step * 2 + steps) / (2 * steps);
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF));
}

} // namespace

uint32_t PlainColour(uint32_t colour)
{
    if ((colour & 0xFF000000u) == 0)
        return colour;
    if ((colour & 0xFF000000u) == 0x80000000u) {
        const uint32_t index = colour & 0x00FFFFFFu;
        if (index < kSystemColours.size())
            return kSystemColours[index];
    }
    return 0;
}

Surface::Surface(int width, int height, uint32_t background) : backColour_(background)
{
    Resize(width, height);
}

void Surface::Resize(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
    Clear();
}

void Surface::Clear()
{
    std::fill(pixels_.begin(), pixels_.end(), PlainColour(backColour_));
}

uint32_t Surface::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return kInvalidColour;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

bool Surface::SetPixelV(int x, int y, uint32_t colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    pixels_[static_cast<size_t>(y) * width_ + x] = PlainColour(colour);
    return true;
}

void Surface::FillRow(int y, int fromX, int toX, uint32_t colour)
{
    if (y < 0 || y >= height_)
        return;
    fromX = std::max(fromX, 0);
    toX = std::min(toX, width_ - 1);
    if (fromX > toX)
        return;
    const auto row = pixels_.begin() + static_cast<ptrdiff_t>(y) * width_;
    std::fill(row + fromX, row + toX + 1, colour);
}

template <typename SpanOf>
void Surface::DrawShape(int top, int bottom, SpanOf spanOf)
{
    // A pixel of the shape belongs to the outline when one of its four
    // neighbours lies outside the shape. The shapes are convex, so within a
    // row that is the span's two ends plus whatever sticks out past the spans
    // of the rows above and below.
    const auto empty = std::pair<int, int>{1, 0};
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
        const auto [left, right] = spanOf(y);
        if (left > right)
            continue;
        const auto above = y > top ? spanOf(y - 1) : empty;
        const auto below = y + 1 < bottom ? spanOf(y + 1) : empty;
        int innerLeft = std::max(above.first, below.first);
        int innerRight = std::min(above.second, below.second);
        if (above.first > above.second || below.first > below.second || innerLeft > innerRight) {
            FillRow(y, left, right, pen_);
            continue;
        }
        innerLeft = std::max(innerLeft, left + 1);
        innerRight = std::min(innerRight, right - 1);
        FillRow(y, left, innerLeft - 1, pen_);
        FillRow(y, innerRight + 1, right, pen_);
        if (fillOn_)
            FillRow(y, innerLeft, innerRight, fill_);
    }
}

void Surface::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    DrawShape(top, bottom, [&](int) { return std::pair<int, int>{left, right - 1}; });
}

void Surface::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    if (right <= left || bottom <= top)
        return;
    // Each corner follows a quarter of the ellipse of radii a and b whose box
    // sits in that corner; a pixel belongs to the shape when its centre lies
    // on or inside the curve.
    const double a = std::clamp(ellipseWidth, 0, right - left) / 2.0;
    const double b = std::clamp(ellipseHeight, 0, bottom - top) / 2.0;
    DrawShape(top, bottom, [&](int y) {
        const double centreY = y + 0.5;
        double dy = 0;
        if (centreY < top + b)
            dy = top + b - centreY;
        else if (centreY > bottom - b)
            dy = centreY - (bottom - b);
        double inset = 0;
        if (dy > 0) {
            const double t = dy / b;
            inset = a - a * std::sqrt(std::max(0.0, 1.0 - t * t));
        }
        const int first = static_cast<int>(std::ceil(left + inset - 0.5));
        const int last = static_cast<int>(std::floor(right - inset - 0.5));
        return std::pair<int, int>{first, last};
    });
}

void Surface::GradientFillV(const TriVertex& upperLeft, const TriVertex& lowerRight)
{
    const int left = std::max(upperLeft.x, 0);
    const int right = std::min(lowerRight.x, width_);
    const int top = upperLeft.y;
    const int bottom = lowerRight.y;
    if (right <= left || bottom <= top)
        return;
    const int64_t steps = bottom - top - 1;
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
        const int64_t step = y - top;
        const uint32_t red = Blend16(upperLeft.red, lowerRight.red, step, steps) >> 8;
        const uint32_t green = Blend16(upperLeft.green, lowerRight.green, step, steps) >> 8;
        const uint32_t blue = Blend16(upperLeft.blue, lowerRight.blue, step, steps) >> 8;
        FillRow(y, left, right - 1, red | (green << 8) | (blue << 16));
    }
}

void Surface::StretchCopy(int destX, int destY, int destWidth, int destHeight, const Surface& picture,
                          int sourceX, int sourceY, int sourceWidth, int sourceHeight)
{
    if (destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    for (int dy = 0; dy < destHeight; ++dy) {
        const int y = destY + dy;
        if (y < 0 || y >= height_)
            continue;
        // The source row whose band the destination row's centre falls in.
        const int sy = sourceY + static_cast<int>((static_cast<int64_t>(2 * dy + 1) * sourceHeight) / (2 * destHeight));
        for (int dx = 0; dx < destWidth; ++dx) {
            const int x = destX + dx;
            if (x < 0 || x >= width_)
                continue;
            const int sx = sourceX + static_cast<int>((static_cast<int64_t>(2 * dx + 1) * sourceWidth) / (2 * destWidth));
            const uint32_t colour = picture.GetPixel(sx, sy);
            if (colour != kInvalidColour)
                pixels_[static_cast<size_t>(y) * width_ + x] = colour;
        }
    }
}

QImage Surface::ToImage() const
{
    if (width_ <= 0 || height_ <= 0)
        return QImage(width_, height_, QImage::Format_RGB32);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // A pixel 0x00BBGGRR lies in memory as the bytes R, G, B and one more,
    // which is exactly Qt's RGBX layout; Qt's own conversion to its screen
    // format sets the last byte opaque, many pixels at a time.
    const QImage view(reinterpret_cast<const uchar*>(pixels_.data()), width_, height_,
                      static_cast<qsizetype>(width_) * 4, QImage::Format_RGBX8888);
    return view.convertToFormat(QImage::Format_RGB32);
#else
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width_; ++x) {
            const uint32_t c = pixels_[static_cast<size_t>(y) * width_ + x];
            line[x] = qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
        }
    }
    return image;
#endif
}

SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent) {}

void SurfaceWidget::SurfaceChanged()
{
    image_ = surface_.ToImage();
    update();
}

void SurfaceWidget::SetSurfaceShown(bool shown)
{
    if (shown_ == shown)
        return;
    shown_ = shown;
    update();
}

void SurfaceWidget::paintEvent(QPaintEvent*)
{
    if (!shown_ || image_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

} // namespace platform
