// Message boxes. Every message the program shows goes through MsgBox, which
// calls one replaceable handler: the real one shows a modal QMessageBox, a test
// installs its own to record the text, title and buttons and to script the
// answer, so no test ever waits on a dialog.
#pragma once

#include <QString>
#include <functional>

namespace platform {

enum class MsgButtons { Ok, OkCancel };
enum class MsgIcon { None, Critical };
enum class MsgAnswer { Ok, Cancel };

struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

using MessageBoxHandler = std::function<MsgAnswer(const MessageRequest&)>;

// Shows a message and returns the user's answer.
MsgAnswer MsgBox(const QString& text, const QString& title, MsgButtons buttons = MsgButtons::Ok,
                 MsgIcon icon = MsgIcon::None);

// Installs a handler in place of the real dialog and returns the previous one.
// An empty handler puts the real dialog back.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The title of the program's own messages.
inline constexpr const char* kAppTitle = "Vidrolle_2nd";

} // namespace platform
