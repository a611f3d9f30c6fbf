#include "controls/Command.h"

#include <QLabel>
#include <QMouseEvent>

namespace controls {

Command::Command(QWidget* parent) : QWidget(parent), LblMsg(new QLabel(QStringLiteral("Command"), this))
{
    LblMsg->setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
}

void Command::Initialize() {}
uint8_t Command::Visible() { return autoFillBackground() ? 255 : 0; }
void Command::SetVisible(uint8_t value) { setAutoFillBackground(value != 0); }
uint32_t Command::FontColour() { return fontColour_; }
void Command::SetFontColour(uint32_t colour) { fontColour_ = colour; }
int16_t Command::Enabled() { return enabled_; }
void Command::SetEnabled(int16_t value) { enabled_ = value; }
QString Command::Caption() const { return LblMsg->text(); }
void Command::SetCaption(const QString& caption) { LblMsg->setText(caption); }
QFont Command::Font() const { return LblMsg->font(); }
void Command::SetFont(const QFont& font) { LblMsg->setFont(font); }
void Command::InitProperties() {}
void Command::ReadProperties(const PropertyBag&) {}
void Command::WriteProperties(PropertyBag&) const {}

void Command::mouseReleaseEvent(QMouseEvent*)
{
    if (enabled_ != 0)
        emit Click();
}

void Command::resizeEvent(QResizeEvent*)
{
    LblMsg->setGeometry(rect());
}

} // namespace controls
