#pragma once
// The one global hot key of the program, Super+Shift+1: each press shows the launcher under the pointer.

#include <QObject>
#include <QPointer>

#include <memory>

class Clock;
class HotKeys;
class HotkeyHelper;
class NotchShortcutLauncher;
class Screens;

class NotchShortcutService : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 clipboardHotKeyID = 1;
    // The "1" key of the main row.
    static constexpr quint32 clipboardHotKeyKeysym = 0x31;
    // Super + Shift.
    static constexpr Qt::KeyboardModifiers clipboardHotKeyModifiers = Qt::MetaModifier | Qt::ShiftModifier;

    NotchShortcutService(NotchShortcutLauncher &launcher, Screens &screens, QObject *parent = nullptr);
    ~NotchShortcutService() override;

    // Creates the helper with id 1 whose handler calls handleHotKey() while this service exists, registers
    // the key and keeps the helper whatever the outcome (a refused key is neither retried nor reported).
    // Answers whether the key is registered.
    bool registerClipboardHotKey(HotKeys &hotKeys, Clock &clock);
    HotkeyHelper *clipboardHotKey() const { return m_clipboardHotKey.get(); }

    // Shows the launcher under the pointer on a later turn of the event loop.
    void handleHotKey();
    // Drops the registration and the helper.
    void stop();

private:
    void showUnderPointer();

    NotchShortcutLauncher &m_launcher;
    Screens &m_screens;
    std::unique_ptr<HotkeyHelper> m_clipboardHotKey;
};
