#pragma once
// One global hot key with an identifier: registers it with the desktop and calls a handler on each press.
// Presses are routed through a table from identifier to helper shared by every helper of the process.

#include "platform/HotKeys.h"

#include <functional>

class Clock;

class HotkeyHelper {
public:
    struct HotKeyID {
        quint32 signature = 0;
        quint32 id = 0;
    };
    // Four-character code "ZAZU".
    static constexpr quint32 signature = 0x5A415A55;

    // The modifiers a hot key can hold: Shift, Control, Alt and Meta (Super); every other one (keypad,
    // group switch) is dropped.
    static Qt::KeyboardModifiers hotKeyModifiers(Qt::KeyboardModifiers modifiers);

    // How long registration waits before its last try when another client holds the key.
    static constexpr double retryPause = 0.1;

    // Enters the helper into the table under `id` (replacing a helper that had it).
    HotkeyHelper(HotKeys &hotKeys, Clock &clock, quint32 id, std::function<void()> handler);
    // Drops a held registration; removes the id from the table while the table still names this helper.
    ~HotkeyHelper();
    HotkeyHelper(const HotkeyHelper &) = delete;
    HotkeyHelper &operator=(const HotkeyHelper &) = delete;

    // Registers `keysym` with `modifiers`, dropping a previous registration first. Tries the
    // application target and then the dispatcher, each exclusive and then not; when the key is held by
    // another client after all four, blocks retryPause and tries once more. True when a registration is
    // held afterwards. (On X11 all attempts are the same root-window grab, so the later ones only matter
    // when the other client lets go meanwhile.)
    bool registerHotKey(quint32 keysym, Qt::KeyboardModifiers modifiers);
    // Drops the registration, if any.
    void unregisterHotKey();

    HotKeys::Ref hotKeyRef() const { return m_hotKeyRef; }
    HotKeyID hotKeyID() const { return m_hotKeyID; }

    // The helper the table names for `id`, if any.
    static HotkeyHelper *helper(quint32 id);

private:
    static void dispatch(quint32 id);

    HotKeys &m_hotKeys;
    Clock &m_clock;
    HotKeys::Ref m_hotKeyRef = 0;
    HotKeyID m_hotKeyID;
    std::function<void()> m_handler;
};
