#pragma once
// Global hot keys on X11: passive key grabs on the root window through Qt's own connection, one for
// each combination of the Lock and NumLock modifiers so that neither disables the key. A grab another
// client holds answers BadAccess, reported as Status::Exists. Presses are read by a native event filter,
// which also sees keyboard-mapping changes. A key is looked up again only when a change touched it (or
// the modifier map moved NumLock): Tavlen's own typing lends spare keys their symbols all the time, and
// a grab stays where it is until its key stops typing its symbol.

#include "platform/HotKeys.h"
#include "platform/linux/X11ModifierMap.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QMap>

#include <bitset>

#include <xcb/xcb.h>

#include <xcb/xcb_keysyms.h>

class LinuxHotKeys : public HotKeys, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit LinuxHotKeys(QObject *parent = nullptr);
    ~LinuxHotKeys() override;

    bool isAvailable() const { return m_connection != nullptr; }

    Result registerHotKey(quint32 id, quint32 keysym, Qt::KeyboardModifiers modifiers, Target target,
                          bool exclusive) override;
    void unregisterHotKey(Ref ref) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Keyboard-mapping change events seen, and how often they made this read the keyboard or modifier
    // map from the server again to look the hot keys up; for tests.
    int mappingChanges() const { return m_mappingChanges; }
    int mappingLookups() const { return m_mappingLookups; }

private:
    struct Registration {
        quint32 id = 0;
        quint32 keysym = 0;
        xcb_keycode_t keycode = 0;
        quint16 modifiers = 0;
        // The grabs made for it, with Lock and NumLock as they were mapped then.
        QList<quint16> variants;
    };
    // What the mapping changes since the last look may have touched.
    struct MappingChange {
        bool everything = false; // another keyboard, or new key types: any key may type something else
        bool modifiers = false;  // the modifier map changed
        std::bitset<256> keys;   // the keys whose symbols changed
        bool touches(xcb_keycode_t keycode) const { return everything || keys.test(keycode); }
        void addKeys(int first, int count);
    };
    // The lowest keycode typing `keysym`, or `current` while that still types it.
    xcb_keycode_t keycodeFor(quint32 keysym, xcb_keycode_t current = 0);
    // Adds what the event says changed to the pending change; false when it is no keyboard-mapping change.
    bool noteMappingChange(const xcb_generic_event_t *event);
    // After a mapping change: coalesced into one look on the next turn of the event loop.
    void scheduleRegrab();
    void regrab();
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
    MappingChange m_change;
    X11ModifierMap m_modifiers;
    int m_mappingChanges = 0;
    int m_mappingLookups = 0;
};
