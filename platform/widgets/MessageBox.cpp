#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

MsgAnswer ShowRealMessageBox(const MessageRequest& request)
{
    QMessageBox box(request.icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    request.title, request.text,
                    request.buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                            : QMessageBox::Ok,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Cancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
}

MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

MsgAnswer MsgBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon)
{
    const MessageRequest request{text, title, buttons, icon};
    if (const auto& handler = CurrentHandler())
        return handler(request);
    return ShowRealMessageBox(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

} // namespace platform
