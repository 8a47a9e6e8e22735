#pragma once
// The server's modifier map as passive grabs need it: which modifier bit NumLock is, which keys are
// modifiers at all, and a grab's modifiers combined with Lock and NumLock, so that neither lock being on
// disables the grab.

#include <QList>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

class X11ModifierMap {
public:
    X11ModifierMap() = default;
    // Asks the server; `symbols` tells which keys type NumLock. Empty when the server does not answer.
    static X11ModifierMap read(xcb_connection_t *connection, xcb_key_symbols_t *symbols);

    quint16 numLockMask() const { return m_numLockMask; }
    const QList<xcb_keycode_t> &modifierKeycodes() const { return m_modifierKeycodes; }
    // `modifiers` alone, with Lock, with NumLock and with both (NumLock only when some key types it).
    QList<quint16> lockVariants(quint16 modifiers) const;

private:
    quint16 m_numLockMask = 0;
    QList<xcb_keycode_t> m_modifierKeycodes;
};
