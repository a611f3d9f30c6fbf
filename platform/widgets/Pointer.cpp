#include "platform/widgets/Pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

void SetBusyPointer()
{
    // Only one busy shape is ever stacked: setting it twice and restoring once
    // must still give the default pointer back, as a single screen-wide
    // pointer property would.
    if (!IsBusyPointerShown())
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void SetDefaultPointer()
{
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

bool IsBusyPointerShown()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

} // namespace platform
