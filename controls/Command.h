// The skinned push button that the program's windows use instead of the
// toolkit's button.
//
// Its face is a vertical gradient framed by a border cut from one of six skin
// pictures, one per look (see SkinPictures.h), with a transparent caption on
// top. It follows the pointer with a 100 ms hover timer, shows focused and
// pressed looks, and raises Click when a mouse button is released over it; it
// has no keyboard activation. Which look follows which event is decided by
// CommandRules, plain code that needs no window; the widget only feeds it
// events and draws the face it asks for. Lengths of the face are pixels.
#pragma once

#include "controls/PropertyBag.h"
#include "controls/SkinPictures.h"
#include "platform/widgets/Surface.h"

#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QTimer;

namespace controls {

// The button's state and what each event does to it. A method returns the
// look to draw, or nothing when the face stays as it is. The caller applies
// none of these while the button is disabled.
struct CommandRules {
    // 0 not initialised, 1 normal, 2 hovered, 3 focused, 4 focused and hovered.
    uint8_t ButtonState = 0;
    // A left button went down on the button and has not come up yet.
    bool MouseHeld = false;

    std::optional<Skin> MouseMove();
    // The hover timer found the pointer somewhere else.
    std::optional<Skin> EndHover();
    std::optional<Skin> FocusArrives();
    std::optional<Skin> FocusLeaves();
    std::optional<Skin> ButtonPressed(bool leftButton);
    std::optional<Skin> ButtonReleased(bool leftButton);
    // Whether a release (of any button) raises Click. A focused button that
    // lost the pointer during a drag stays in state 3, so letting go after
    // dragging off it does not count as a click.
    bool ReleaseRaisesClick(int16_t enabled) const { return ButtonState != 3 && enabled == -1; }
};

// The caption's top in pixels: 10 twips above the vertical centre, computed in
// twips as (height - caption height - 20) / 2 and rounded to a pixel.
int CaptionTop(int heightPixels, int captionHeightPixels, double twipsPerPixel);

// The caption's font: "ＭＳ Ｐゴシック" 9.75 pt, or a Japanese sans where it is
// missing.
QFont ButtonFont();

class Command : public platform::SurfaceWidget {
    Q_OBJECT
public:
    // A button as a window places it: enabled, caption "Command", the default
    // size of 1755 x 420 twips, drawn with the normal look. Hover tracking
    // starts with Initialize.
    explicit Command(QWidget* parent = nullptr);

    // Moves the button to the normal state and starts hover tracking.
    void Initialize();

    // 255 while the face is shown (reading it then also refreshes the look),
    // 0 while the background is transparent. Any non-zero value shows the face.
    uint8_t Visible();
    void SetVisible(uint8_t value);
    // The caption's colour, 0x00BBGGRR. Reading or writing it refreshes the look.
    uint32_t FontColour();
    void SetFontColour(uint32_t colour);
    // -1 enabled, 0 disabled; any non-zero value stored is -1. A disabled
    // button ignores the mouse, the focus and the timer, shows the disabled
    // look and greys its caption. Reading it redraws the enabled or disabled
    // look (and on a freshly created instance first turns it on).
    int16_t Enabled();
    void SetEnabled(int16_t value);
    QString Caption() const;
    void SetCaption(const QString& caption);
    QFont Font() const;
    void SetFont(const QFont& font);

    // The state of a freshly created design-time instance: disabled and not
    // yet used, until Enabled is first read.
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Event handlers, connected to the widget's events; public so that a test
    // can also drive them directly.
    void UserControl_MouseMove(const QPoint& position);
    void UserControl_MouseDown(Qt::MouseButton button);
    void UserControl_MouseUp(Qt::MouseButton button);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_Resize();
    void TmrMouse_Timer();

    // Where the hover timer looks for the widget under the pointer; the
    // default asks the application for the widget at the pointer's position.
    using PointerQuery = std::function<QWidget*()>;
    void SetPointerQuery(PointerQuery query);

    // Inspection for tests and for windows that mirror the look.
    uint8_t ButtonState() const { return rules_.ButtonState; }
    bool MouseHeld() const { return rules_.MouseHeld; }
    uint8_t FirstRun() const { return firstRun_; }
    bool GradientReversed() const { return gradientReversed_; }
    bool HoverTracking() const;
    // The look of the last face drawn; nothing before the first.
    std::optional<Skin> Face() const { return face_; }
    QLabel* CaptionLabel() const { return LblMsg; }

signals:
    void Click();
    void PropertyChanged(const QString& name);

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawFace(Skin skin);
    void ApplyEnabledLook();
    void RefreshLook();
    void SetCaptionColour(uint32_t colour);
    QFont AmbientFont() const;

    QLabel* LblMsg = nullptr;
    QTimer* TmrMouse = nullptr;
    CommandRules rules_;
    int16_t enabled_ = -1;
    uint8_t firstRun_ = 1;
    uint32_t fontColour_ = 0;
    bool gradientReversed_ = false;
    std::optional<Skin> face_;
    PointerQuery pointerQuery_;
};

} // namespace controls
