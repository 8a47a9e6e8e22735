#include "platform/linux/QtKeysyms.h"

#include <QChar>

#include <xcb/xproto.h>

#include <utility>

namespace {

// Keys whose keysym is not their character.
constexpr std::pair<std::uint32_t, Qt::Key> namedKeys[] = {
    {0xff08, Qt::Key_Backspace}, {0xff09, Qt::Key_Tab},    {0xfe20, Qt::Key_Tab}, // ISO_Left_Tab: Shift+Tab
    {0xff0d, Qt::Key_Return},    {0xff1b, Qt::Key_Escape}, {0xffff, Qt::Key_Delete},
    {0xff50, Qt::Key_Home},      {0xff51, Qt::Key_Left},   {0xff52, Qt::Key_Up},
    {0xff53, Qt::Key_Right},     {0xff54, Qt::Key_Down},   {0xff55, Qt::Key_PageUp},
    {0xff56, Qt::Key_PageDown},  {0xff57, Qt::Key_End},    {0xff63, Qt::Key_Insert},
    {0xff8d, Qt::Key_Enter},
};

constexpr std::pair<std::uint16_t, Qt::KeyboardModifier> x11Modifiers[] = {
    {XCB_MOD_MASK_SHIFT, Qt::ShiftModifier},
    {XCB_MOD_MASK_CONTROL, Qt::ControlModifier},
    {XCB_MOD_MASK_1, Qt::AltModifier},
    {XCB_MOD_MASK_4, Qt::MetaModifier},
};

constexpr std::uint32_t keypadFirst = 0xff80;
constexpr std::uint32_t keypadLast = 0xffbd;
constexpr std::uint32_t keypadZero = 0xffb0;
constexpr std::uint32_t unicodeKeysymBase = 0x01000000;

} // namespace

Qt::Key qtKeyFromKeysym(std::uint32_t keysym)
{
    for (const auto &[sym, key] : namedKeys) {
        if (sym == keysym)
            return key;
    }
    if (keysym >= keypadZero && keysym <= keypadZero + 9)
        return Qt::Key(Qt::Key_0 + int(keysym - keypadZero));
    // Latin-1 keysyms are their code point; others carry it above the Unicode base.
    char32_t cp = 0;
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))
        cp = keysym;
    else if ((keysym & 0xff000000u) == unicodeKeysymBase)
        cp = keysym & 0x00ffffffu;
    if (cp == 0)
        return Qt::Key_unknown;
    // Qt names a letter's key by its uppercase form.
    return Qt::Key(QChar::toUpper(cp));
}

bool isKeypadKeysym(std::uint32_t keysym)
{
    return keysym >= keypadFirst && keysym <= keypadLast;
}

std::uint32_t keysymFromQtKey(Qt::Key key)
{
    for (const auto &[sym, named] : namedKeys) {
        if (named == key)
            return sym;
    }
    if (key >= 0x20 && key <= 0xff)
        return QChar::toLower(char32_t(key));
    return 0;
}

Qt::KeyboardModifiers modifiersFromX11(std::uint32_t state)
{
    Qt::KeyboardModifiers modifiers;
    for (const auto &[mask, modifier] : x11Modifiers) {
        if (state & mask)
            modifiers |= modifier;
    }
    return modifiers;
}

std::uint16_t x11ModifiersFrom(Qt::KeyboardModifiers modifiers)
{
    std::uint16_t state = 0;
    for (const auto &[mask, modifier] : x11Modifiers) {
        if (modifiers & modifier)
            state |= mask;
    }
    return state;
}
