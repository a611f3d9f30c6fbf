// Hands an address to the desktop, which opens it with the user's browser.
#pragma once

#include <QString>
#include <functional>

namespace platform {

// Returns whether the desktop accepted the address; callers may ignore it.
bool OpenWithDesktop(const QString& address);

// Replaces the desktop (for tests); an empty function puts it back.
void SetOpenWithDesktopHandler(std::function<bool(const QString&)> handler);

} // namespace platform
