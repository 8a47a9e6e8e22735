#pragma once
// XTest key synthesis. Chords press real keycodes found by keysym. Text maps each character's Unicode
// keysym onto a spare keycode (one with no symbols) from a rotating pool: toolkits re-read the keymap
// lazily, so reusing a keycode too soon makes them see the previous character. The pool pauses before it
// wraps and the spare keycodes are cleared again shortly after the last key.

#include "platform/KeyboardOutput.h"

#include <QList>

#include <xcb/xcb.h>

#include <optional>

class XcbSession;

class LinuxKeyboardOutput : public KeyboardOutput {
    Q_OBJECT
public:
    // Measured on Xvfb with Qt targets: 19 spares, 50 ms before reuse and 200 ms before restoring held
    // for every character; 20 ms before reuse lost characters.
    static constexpr double wrapPauseSeconds = 0.05;
    static constexpr double restoreDelaySeconds = 0.2;

    explicit LinuxKeyboardOutput(Clock &clock, QObject *parent = nullptr);
    ~LinuxKeyboardOutput() override;

    bool isAvailable() const override;
    bool postUnicodeText(const QString &chunk, qint64 pid) override;

protected:
    bool postChordHalf(const KeyChord &chord, bool down, qint64 targetPid) override;

private:
    struct KeyMap {
        xcb_keycode_t minKeycode = 0;
        int perKeycode = 0;
        QList<xcb_keysym_t> keysyms;
        xcb_keysym_t at(xcb_keycode_t code, int column) const;
    };
    std::optional<KeyMap> readKeyMap();
    qint64 focusedPid();
    bool ensurePool();
    // A spare keycode now carrying `keysym`, pausing first when the pool wraps.
    xcb_keycode_t borrowSpare(xcb_keysym_t keysym);
    void scheduleRestore();
    void restoreSpares();
    void fake(uint8_t type, xcb_keycode_t code);

    XcbSession *m_session = nullptr;
    QList<xcb_keycode_t> m_pool;
    int m_nextSpare = 0;
    QList<xcb_keycode_t> m_dirty; // spares currently carrying a symbol
    quint64 m_restoreTimer = 0;
    // The key of the chord in progress, pressed on key-down and released on key-up.
    xcb_keycode_t m_chordKey = 0;
};
