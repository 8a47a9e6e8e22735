#pragma once
// Between X keysyms and Qt keys, and X modifier masks and Qt modifiers, for the keys X reports or is sent
// directly rather than through Qt events. Mod1 is Alt, Mod4 is Super (Qt::MetaModifier).

#include <Qt>

#include <cstdint>

// The Qt key of a keysym: letters are their uppercase key whatever the case, keypad digits and Enter
// are Qt::Key_0..9 and Qt::Key_Enter (the caller adds Qt::KeypadModifier); Qt::Key_unknown otherwise.
Qt::Key qtKeyFromKeysym(std::uint32_t keysym);
// True for keysyms of the numeric keypad.
bool isKeypadKeysym(std::uint32_t keysym);
// The keysym that presses `key` unshifted (letters are lowercase); 0 when there is none.
std::uint32_t keysymFromQtKey(Qt::Key key);
// Shift, Control, Mod1 and Mod4 of an X state; Lock, NumLock and the others have no Qt modifier here.
Qt::KeyboardModifiers modifiersFromX11(std::uint32_t state);
// The X mask of Shift, Control, Alt and Meta; other Qt modifiers are dropped.
std::uint16_t x11ModifiersFrom(Qt::KeyboardModifiers modifiers);
