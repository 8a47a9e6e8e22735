#pragma once
// Positional virtual key codes (KeyCode in InputEvents.h) from what X11 and Qt report for a key.

#include <cstdint>

// From an X keycode of the evdev keymap (the key's position); KeyCode::Unknown for keys without a code.
int virtualKeyCodeFromX11(std::uint32_t x11KeyCode);
// From a Qt key, for events without a native scan code; `keypad` tells the keypad's Enter from Return.
int virtualKeyCodeFromQtKey(int qtKey, bool keypad);
