// The shadow frame: a decorative container that draws a filled panel with a
// one-pixel outline, with square or rounded corners, and optionally a graded
// drop shadow along its right and bottom edges that fades from a darkened
// shade of the background out into it.
//
// The frame takes no input and raises no events of its own; child widgets
// placed in it are drawn above its picture. The picture is rebuilt from the
// nine properties and the container's back colour on every Refresh (each
// setter, each resize, each change of the container's palette); painting only
// shows the last picture. The drawing itself (DrawFrame and its helpers) is
// plain code on a platform::Surface so that it can be checked pixel by pixel.
#pragma once

#include "controls/PropertyBag.h"
#include "platform/widgets/Surface.h"

#include <cstdint>

namespace controls {

// The nine properties of a frame.
struct FrameLook {
    int32_t FrameStyle = 1;     // 0 rounded, 1 square, other: background only
    int16_t ShadowOpacity = 50; // percent, 0..100
    bool ShowShadow = true;
    int16_t ShadowDepth = 5;    // pixels, 2..50
    uint32_t FillColour = 0;
    uint32_t BackColour = 0;
    int32_t BackColourIs = 0;   // 0: the container's back colour, else BackColour
    uint32_t BorderColour = 0;
    int16_t CornerDepth = 10;   // pixels, 0..50
};

// The setter rules: the value each property stores for a value given.
int16_t ClampShadowOpacity(int value);
int16_t ClampShadowDepth(int value);
int16_t ClampCornerDepth(int value);

struct ColourChannels {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// A colour's channels by integer arithmetic on the raw value, truncating
// toward zero: red = v AND 255, green = (v \ 256) AND 255, blue = (v \ 65536)
// AND 255. System-colour references are split by the same rule.
ColourChannels SplitColour(int32_t colour);
// red + 256 * green + 65536 * blue.
int32_t ComposeColour(const ColourChannels& channels);

// A colour `step` steps of `steps` from a toward b: per channel
// a - ((a - b) \ steps) * step, dividing before multiplying. Zero steps
// gives b.
uint32_t BlendColour(uint32_t a, uint32_t b, int32_t steps, int32_t step);

// A length in twips as whole pixels: the twips rounded to a 16-bit integer,
// divided by the twips per pixel, rounded to a 16-bit integer again (halves
// to even; values beyond the 16-bit range are clamped to it).
int16_t TwipsToPixels(double twips, double twipsPerPixel);

// Draws the frame on the surface, whose size is the control's: `width` and
// `height` are the control's size in pixels and `ambientBackColour` the
// container's back colour.
void DrawFrame(platform::Surface& surface, const FrameLook& look, uint32_t ambientBackColour, int width,
               int height);

// Fills the pixels of the surface's background colour that the rounded
// shadow rings leave open, in three small windows (the bottom-right corner
// and the inner ends of the two shadow bands), averaging each with its four
// neighbours in place.
void SmoothShadowCorners(platform::Surface& surface, int width, int height, int shadowDepth, int cornerDepth);

class GFXFrameX : public platform::SurfaceWidget {
    Q_OBJECT
public:
    // A new frame with the defaults of InitProperties.
    explicit GFXFrameX(QWidget* parent = nullptr);

    int32_t FrameStyle() const { return look_.FrameStyle; }
    void SetFrameStyle(int32_t value);
    int16_t ShadowOpacity() const { return look_.ShadowOpacity; }
    void SetShadowOpacity(int16_t value);
    bool ShowShadow() const { return look_.ShowShadow; }
    void SetShowShadow(bool value);
    int16_t ShadowDepth() const { return look_.ShadowDepth; }
    void SetShadowDepth(int16_t value);
    uint32_t FillColour() const { return look_.FillColour; }
    void SetFillColour(uint32_t value);
    uint32_t BackColour() const { return look_.BackColour; }
    void SetBackColour(uint32_t value);
    int32_t BackColourIs() const { return look_.BackColourIs; }
    void SetBackColourIs(int32_t value);
    uint32_t BorderColour() const { return look_.BorderColour; }
    void SetBorderColour(uint32_t value);
    int16_t CornerDepth() const { return look_.CornerDepth; }
    void SetCornerDepth(int16_t value);

    const FrameLook& Look() const { return look_; }

    // Redraws the whole picture.
    void Refresh();

    // Defaults of a new instance (the two colours take the container's back
    // colour now); no redraw.
    void InitProperties();
    // Loads the nine properties, applying the setter rules, then redraws.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    void UserControl_Resize();
    void UserControl_AmbientChanged(const QString& propertyName);

    // The container's back colour, 0x00BBGGRR.
    uint32_t AmbientBackColour() const;

signals:
    void PropertyChanged(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Changed(const char* name);

    FrameLook look_;
};

} // namespace controls
