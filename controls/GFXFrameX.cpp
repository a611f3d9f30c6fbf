#include "controls/GFXFrameX.h"

namespace controls {

GFXFrameX::GFXFrameX(QWidget* parent) : QWidget(parent) {}

} // namespace controls
