// Key codes of the player windows. The windows react to a handful of keys by
// the codes of the original keyboard layout (Enter 13, Ctrl 17, Alt 18, Esc 27,
// Space 32, Left 37, Right 39); KeyCodeOf translates a Qt key into that code, or 0 for a
// key the program does not know.
#pragma once

namespace platform {

enum KeyCode : int {
    kKeyReturn = 13,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyLeft = 37,
    kKeyRight = 39,
};

int KeyCodeOf(int qtKey);

} // namespace platform
