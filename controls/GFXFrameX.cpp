#include "controls/GFXFrameX.h"

#include "platform/rules/Runtime.h"
#include "platform/widgets/Screen.h"

#include <QEvent>
#include <QPalette>
#include <algorithm>
#include <limits>

namespace controls {
namespace {

int16_t RoundTo16(double value)
{
    const double rounded = platform::RoundHalfEven(value);
    return static_cast<int16_t>(std::clamp(rounded, double{std::numeric_limits<int16_t>::min()},
                                           double{std::numeric_limits<int16_t>::max()}));
}

// The shape of the frame's style: square or rounded corners.
void DrawShape(platform::Surface& surface, int32_t style, int left, int top, int right, int bottom, int corner)
{
    if (style == 1)
        surface.Rectangle(left, top, right, bottom);
    else
        surface.RoundRect(left, top, right, bottom, corner, corner);
}

void SmoothWindow(platform::Surface& surface, int fromX, int toX, int fromY, int toY)
{
    const uint32_t background = surface.BackColour();
    for (int x = fromX; x <= toX; ++x) {
        for (int y = fromY; y <= toY; ++y) {
            if (surface.GetPixel(x, y) != background)
                continue;
            // Neighbours above, right, below, left, read as they are now, so a
            // pixel filled a moment ago counts in the next one's average.
            const ColourChannels n[4] = {
                SplitColour(static_cast<int32_t>(surface.GetPixel(x, y - 1))),
                SplitColour(static_cast<int32_t>(surface.GetPixel(x + 1, y))),
                SplitColour(static_cast<int32_t>(surface.GetPixel(x, y + 1))),
                SplitColour(static_cast<int32_t>(surface.GetPixel(x - 1, y))),
            };
            ColourChannels average;
            average.red = static_cast<int32_t>(platform::RoundHalfEven((n[0].red + n[1].red + n[2].red + n[3].red) / 4.0));
            average.green =
                static_cast<int32_t>(platform::RoundHalfEven((n[0].green + n[1].green + n[2].green + n[3].green) / 4.0));
            average.blue =
                static_cast<int32_t>(platform::RoundHalfEven((n[0].blue + n[1].blue + n[2].blue + n[3].blue) / 4.0));
            surface.SetPixelV(x, y, static_cast<uint32_t>(ComposeColour(average)));
        }
    }
}

} // namespace

int16_t ClampShadowOpacity(int value)
{
    return static_cast<int16_t>(std::clamp(value, 0, 100));
}

int16_t ClampShadowDepth(int value)
{
    // Depth 0 or 1 would leave the shadow blend without steps to divide by.
    return static_cast<int16_t>(std::clamp(value, 2, 50));
}

int16_t ClampCornerDepth(int value)
{
    return static_cast<int16_t>(std::clamp(value, 0, 50));
}

ColourChannels SplitColour(int32_t colour)
{
    return {colour & 255, (colour / 256) & 255, (colour / 65536) & 255};
}

int32_t ComposeColour(const ColourChannels& channels)
{
    return channels.red + 256 * channels.green + 65536 * channels.blue;
}

uint32_t BlendColour(uint32_t a, uint32_t b, int32_t steps, int32_t step)
{
    if (steps == 0)
        return b;
    const ColourChannels from = SplitColour(static_cast<int32_t>(a));
    const ColourChannels to = SplitColour(static_cast<int32_t>(b));
    const auto channel = [&](int32_t x, int32_t y) { return x - ((x - y) / steps) * step; };
    return static_cast<uint32_t>(ComposeColour(
        {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue)}));
}

int16_t TwipsToPixels(double twips, double twipsPerPixel)
{
    return RoundTo16(RoundTo16(twips) / twipsPerPixel);
}

void DrawFrame(platform::Surface& surface, const FrameLook& look, uint32_t ambientBackColour, int width, int height)
{
    const uint32_t background = look.BackColourIs != 0 ? look.BackColour : ambientBackColour;
    surface.SetBackColour(background);
    surface.Clear();
    if (look.FrameStyle != 0 && look.FrameStyle != 1)
        return;

    const int sd = look.ShadowDepth;
    const int cd = look.CornerDepth;
    if (!look.ShowShadow) {
        surface.SetFill(look.FillColour);
        surface.SetPen(look.BorderColour);
        DrawShape(surface, look.FrameStyle, 0, 0, width, height, cd);
        return;
    }

    const uint32_t shadowBase = BlendColour(0, background, 100, 100 - look.ShadowOpacity);
    surface.SetFillOff();
    for (int i = 0; i <= sd; ++i) {
        surface.SetPen(BlendColour(shadowBase, background, sd, i));
        DrawShape(surface, look.FrameStyle, 2 * sd - i, 2 * sd - i, width - sd + i, height - sd + i, cd);
    }
    if (look.FrameStyle == 0)
        SmoothShadowCorners(surface, width, height, sd, cd);
    surface.SetFill(look.FillColour);
    surface.SetPen(look.BorderColour);
    DrawShape(surface, look.FrameStyle, 0, 0, width - sd, height - sd, cd);
}

void SmoothShadowCorners(platform::Surface& surface, int width, int height, int shadowDepth, int cornerDepth)
{
    const int sd = shadowDepth;
    const int cd = cornerDepth;
    SmoothWindow(surface, width - 2 * cd, width - 3, height - 2 * cd, height - 3);
    SmoothWindow(surface, width - 2 * cd, width - 3, sd, 4 * sd);
    SmoothWindow(surface, sd, 4 * sd, height - 2 * cd, height - 3);
}

// --- the widget ----------------------------------------------------------

GFXFrameX::GFXFrameX(QWidget* parent) : platform::SurfaceWidget(parent)
{
    InitProperties();
    Refresh();
}

void GFXFrameX::Changed(const char* name)
{
    emit PropertyChanged(QString::fromLatin1(name));
    Refresh();
}

void GFXFrameX::SetFrameStyle(int32_t value)
{
    look_.FrameStyle = value;
    Changed("FrameStyle");
}

void GFXFrameX::SetShadowOpacity(int16_t value)
{
    look_.ShadowOpacity = ClampShadowOpacity(value);
    Changed("ShadowOpacity");
}

void GFXFrameX::SetShowShadow(bool value)
{
    look_.ShowShadow = value;
    Changed("ShowShadow");
}

void GFXFrameX::SetShadowDepth(int16_t value)
{
    look_.ShadowDepth = ClampShadowDepth(value);
    Changed("ShadowDepth");
}

void GFXFrameX::SetFillColour(uint32_t value)
{
    look_.FillColour = value;
    Changed("FillColour");
}

void GFXFrameX::SetBackColour(uint32_t value)
{
    look_.BackColour = value;
    Changed("BackColour");
}

void GFXFrameX::SetBackColourIs(int32_t value)
{
    look_.BackColourIs = value;
    Changed("BackColourIs");
}

void GFXFrameX::SetBorderColour(uint32_t value)
{
    look_.BorderColour = value;
    Changed("BorderColour");
}

void GFXFrameX::SetCornerDepth(int16_t value)
{
    look_.CornerDepth = ClampCornerDepth(value);
    Changed("CornerDepth");
}

void GFXFrameX::Refresh()
{
    const platform::ScreenMetrics screen = platform::Screen();
    // The size is known in twips; both lengths come back to pixels through
    // the horizontal factor.
    const int w = TwipsToPixels(width() * screen.twipsPerPixelX, screen.twipsPerPixelX);
    const int h = TwipsToPixels(height() * screen.twipsPerPixelY, screen.twipsPerPixelX);
    platform::Surface& surface = DrawingSurface();
    if (surface.Width() != width() || surface.Height() != height())
        surface.Resize(width(), height());
    DrawFrame(surface, look_, AmbientBackColour(), w, h);
    SurfaceChanged();
}

void GFXFrameX::InitProperties()
{
    const uint32_t ambient = AmbientBackColour();
    look_ = FrameLook{};
    look_.FillColour = ambient;
    look_.BackColour = ambient;
}

void GFXFrameX::ReadProperties(const PropertyBag& bag)
{
    const uint32_t ambient = AmbientBackColour();
    const auto colour = [&](const char* key, uint32_t fallback) {
        return static_cast<uint32_t>(
            bag.ReadProperty(QString::fromLatin1(key), static_cast<int32_t>(fallback)).toLongLong());
    };
    const FrameLook defaults;
    look_.FrameStyle = bag.ReadProperty(QStringLiteral("FrameStyle"), defaults.FrameStyle).toInt();
    look_.ShadowOpacity = ClampShadowOpacity(bag.ReadProperty(QStringLiteral("ShadowOpacity"), defaults.ShadowOpacity).toInt());
    look_.ShowShadow = bag.ReadProperty(QStringLiteral("ShowShadow"), defaults.ShowShadow).toBool();
    look_.ShadowDepth = ClampShadowDepth(bag.ReadProperty(QStringLiteral("ShadowDepth"), defaults.ShadowDepth).toInt());
    look_.FillColour = colour("FillColour", ambient);
    look_.BackColour = colour("BackColour", ambient);
    look_.BackColourIs = bag.ReadProperty(QStringLiteral("BackColourIs"), defaults.BackColourIs).toInt();
    look_.BorderColour = colour("BorderColour", defaults.BorderColour);
    look_.CornerDepth = ClampCornerDepth(bag.ReadProperty(QStringLiteral("CornerDepth"), defaults.CornerDepth).toInt());
    Refresh();
}

void GFXFrameX::WriteProperties(PropertyBag& bag) const
{
    const int32_t ambient = static_cast<int32_t>(AmbientBackColour());
    const FrameLook defaults;
    bag.WriteProperty(QStringLiteral("FrameStyle"), look_.FrameStyle, defaults.FrameStyle);
    bag.WriteProperty(QStringLiteral("ShadowOpacity"), look_.ShadowOpacity, defaults.ShadowOpacity);
    bag.WriteProperty(QStringLiteral("ShowShadow"), look_.ShowShadow, defaults.ShowShadow);
    bag.WriteProperty(QStringLiteral("ShadowDepth"), look_.ShadowDepth, defaults.ShadowDepth);
    bag.WriteProperty(QStringLiteral("FillColour"), static_cast<int32_t>(look_.FillColour), ambient);
    bag.WriteProperty(QStringLiteral("BackColour"), static_cast<int32_t>(look_.BackColour), ambient);
    bag.WriteProperty(QStringLiteral("BackColourIs"), look_.BackColourIs, defaults.BackColourIs);
    bag.WriteProperty(QStringLiteral("BorderColour"), static_cast<int32_t>(look_.BorderColour),
                      static_cast<int32_t>(defaults.BorderColour));
    bag.WriteProperty(QStringLiteral("CornerDepth"), look_.CornerDepth, defaults.CornerDepth);
}

void GFXFrameX::UserControl_Resize()
{
    Refresh();
}

void GFXFrameX::UserControl_AmbientChanged(const QString&)
{
    Refresh();
}

uint32_t GFXFrameX::AmbientBackColour() const
{
    const QWidget* container = parentWidget();
    const QColor colour = (container != nullptr ? container->palette() : palette()).color(QPalette::Window);
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

void GFXFrameX::resizeEvent(QResizeEvent*)
{
    UserControl_Resize();
}

void GFXFrameX::changeEvent(QEvent* event)
{
    // The frame inherits its container's palette, so a new back colour of the
    // container arrives here as a palette change.
    if (event->type() == QEvent::PaletteChange)
        UserControl_AmbientChanged(QStringLiteral("BackColor"));
    SurfaceWidget::changeEvent(event);
}

} // namespace controls
