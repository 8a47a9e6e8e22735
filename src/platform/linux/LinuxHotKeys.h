#pragma once
// Global hot keys on X11: passive key grabs on the root window through Qt's own connection, one for
// each combination of the Lock and NumLock modifiers so that neither disables the key. A grab another
// client holds answers BadAccess, reported as Status::Exists. Presses are read by a native event filter,
// which also sees keyboard-mapping changes: the keys are then grabbed again where their symbols now are.

#include "platform/HotKeys.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QMap>

#include <xcb/xcb.h>

#include <xcb/xcb_keysyms.h>

class LinuxHotKeys : public HotKeys, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit LinuxHotKeys(QObject *parent = nullptr);
    ~LinuxHotKeys() override;

    bool isAvailable() const { return m_connection != nullptr; }

    Result registerHotKey(quint32 id, quint32 keysym, Modifiers modifiers, Target target, bool exclusive) override;
    void unregisterHotKey(Ref ref) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Registration {
        quint32 id = 0;
        quint32 keysym = 0;
        xcb_keycode_t keycode = 0;
        quint16 modifiers = 0;
        // The grabs made for it, with Lock and NumLock as they were mapped then.
        QList<quint16> variants;
    };
    xcb_keycode_t keycodeFor(quint32 keysym);
    quint16 numLockMask();
    bool isMappingChange(const xcb_generic_event_t *event) const;
    // After a mapping change: coalesced into one regrab on the next turn of the event loop.
    void scheduleRegrab();
    void regrab();
    QList<quint16> variants(quint16 modifiers);
    // Grabs (keycode, mods) unless we hold it already; answers the X error code, 0 on success.
    int grab(xcb_keycode_t keycode, quint16 mods);
    void ungrab(xcb_keycode_t keycode, quint16 mods);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t *m_keySymbols = nullptr;
    QMap<Ref, Registration> m_registrations;
    // How many registrations use each grab (keycode << 16 | modifiers).
    QHash<quint32, int> m_grabCounts;
    Ref m_nextRef = 1;
    quint8 m_xkbEventBase = 0;
    bool m_regrabPending = false;
};
