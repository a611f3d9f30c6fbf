// The shadow frame. (A plain stand-in until the frame is drawn.)
#pragma once

#include "controls/PropertyBag.h"

#include <QWidget>
#include <cstdint>

namespace controls {

class GFXFrameX : public QWidget {
    Q_OBJECT
public:
    explicit GFXFrameX(QWidget* parent = nullptr);

    int32_t FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(int32_t value) { frameStyle_ = value; }
    void Refresh() { update(); }

    void InitProperties() {}
    void ReadProperties(const PropertyBag&) {}
    void WriteProperties(PropertyBag&) const {}

signals:
    void PropertyChanged(const QString& name);

private:
    int32_t frameStyle_ = 1;
};

} // namespace controls
