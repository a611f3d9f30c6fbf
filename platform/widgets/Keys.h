// Key codes of the windows. They react to a handful of keys by the codes of
// the original keyboard layout (Enter 13, Ctrl 17, Alt 18, Esc 27, Space 32,
// Left 37, Up 38, Right 39, Down 40, and the letters A, M and S as 65, 77 and
// 83); KeyCodeOf translates a Qt key into that code, or 0 for a key the
// program does not know.
#pragma once

namespace platform {

enum KeyCode : int {
    kKeyReturn = 13,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    // The viewer's keys: letters by their capital's code.
    kKeyA = 65,
    kKeyM = 77,
    kKeyS = 83,
};

int KeyCodeOf(int qtKey);

} // namespace platform
