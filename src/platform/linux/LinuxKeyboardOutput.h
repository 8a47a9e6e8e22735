#pragma once
// XTest key synthesis. Chords press real keycodes found by keysym. Text presses the real key of each
// character the keyboard map has (with Shift when needed); any other character gets its Unicode keysym
// mapped onto a spare keycode (one with no symbols) from a rotating pool: toolkits re-read the keymap
// lazily, so reusing a keycode too soon makes them see the previous character. The pool pauses before it
// wraps and the spare keycodes are cleared again shortly after the last key.

#include "platform/KeyboardOutput.h"

#include <QList>

#include <xcb/xcb.h>

#include <chrono>
#include <optional>

class XcbSession;

class LinuxKeyboardOutput : public KeyboardOutput {
    Q_OBJECT
public:
    // Measured on Xvfb with Qt targets: 19 spares, 50 ms before reuse and 200 ms before restoring held
    // for every character on an idle machine, 20 ms lost characters. Every map change makes the target
    // rebuild its keymap: a slow target (a debug build, a busy machine) fell behind after the burst of
    // changes that puts the map back, and lost keys typed soon after. So reuse waits twice the measured
    // time and the map is put back only once typing has been idle for a while; spare keys left mapped
    // meanwhile do no harm (and count as spare again).
    static constexpr double wrapPauseSeconds = 0.1;
    static constexpr double restoreDelaySeconds = 5.0;
    // At exit the map is put back this long after the last key (the shortest measured safe delay).
    static constexpr double exitRestoreDelaySeconds = 0.2;

    // The session is shared and outlives the keyboard output.
    LinuxKeyboardOutput(Clock &clock, XcbSession &session, QObject *parent = nullptr);
    ~LinuxKeyboardOutput() override;

    bool isAvailable() const override;
    bool postUnicodeText(const QString &chunk, qint64 pid) override;
    // A run never needs more spare keycodes than the pool has.
    int unicodeRunLength() override;
    // When the run would wrap the pool before the target had its pause, the rest of that pause; once
    // the pause has passed, the pool starts over before the run instead of inside it.
    double pauseBeforeUnicodeText(const QString &chunk) override;

protected:
    bool postChordHalf(const KeyChord &chord, bool down, qint64 targetPid) override;

private:
    struct KeyMap {
        xcb_keycode_t minKeycode = 0;
        int perKeycode = 0;
        QList<xcb_keysym_t> keysyms;
        xcb_keysym_t at(xcb_keycode_t code, int column) const;
    };
    struct RealKey {
        xcb_keycode_t code = 0;
        bool shifted = false;
    };
    std::optional<KeyMap> readKeyMap();
    // A keycode outside the spare pool that types `keysym` (unshifted or with Shift).
    std::optional<RealKey> realKey(const KeyMap &map, xcb_keysym_t keysym) const;
    qint64 focusedPid();
    bool ensurePool();
    // A spare keycode now carrying `keysym`, pausing first when the pool wraps.
    xcb_keycode_t borrowSpare(xcb_keysym_t keysym);
    // How many of the characters have no key of their own and need a spare keycode.
    int sparesNeeded(const KeyMap &map, const QString &chunk) const;
    // Seconds since a spare keycode was last given a character.
    double secondsSinceLastSpare() const;
    void scheduleRestore();
    void restoreSpares();
    void fake(uint8_t type, xcb_keycode_t code);

    XcbSession *m_session = nullptr;
    QList<xcb_keycode_t> m_pool;
    int m_nextSpare = 0;
    QList<xcb_keycode_t> m_dirty; // spares currently carrying a symbol
    quint64 m_restoreTimer = 0;
    std::chrono::steady_clock::time_point m_lastKeyAt;
    // The key of the chord in progress, pressed on key-down and released on key-up.
    xcb_keycode_t m_chordKey = 0;
};
