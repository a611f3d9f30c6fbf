// The skinned push button. (A plain stand-in until the skinned look is drawn.)
#pragma once

#include "controls/PropertyBag.h"

#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

class QLabel;

namespace controls {

class Command : public QWidget {
    Q_OBJECT
public:
    explicit Command(QWidget* parent = nullptr);

    void Initialize();
    uint8_t Visible();
    void SetVisible(uint8_t value);
    uint32_t FontColour();
    void SetFontColour(uint32_t colour);
    int16_t Enabled();
    void SetEnabled(int16_t value);
    QString Caption() const;
    void SetCaption(const QString& caption);
    QFont Font() const;
    void SetFont(const QFont& font);

    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

signals:
    void Click();
    void PropertyChanged(const QString& name);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* LblMsg = nullptr;
    int16_t enabled_ = -1;
    uint32_t fontColour_ = 0;
};

} // namespace controls
