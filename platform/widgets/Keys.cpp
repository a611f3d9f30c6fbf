#include "platform/widgets/Keys.h"

#include <Qt>

namespace platform {

int KeyCodeOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyReturn;
    case Qt::Key_Control:
        return kKeyControl;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return kKeyAlt;
    case Qt::Key_Escape:
        return kKeyEscape;
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_Left:
        return kKeyLeft;
    case Qt::Key_Right:
        return kKeyRight;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Down:
        return kKeyDown;
    case Qt::Key_A:
        return kKeyA;
    case Qt::Key_M:
        return kKeyM;
    case Qt::Key_S:
        return kKeyS;
    default:
        return 0;
    }
}

} // namespace platform
