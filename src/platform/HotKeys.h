#pragma once
// Global hot keys: a key with modifiers that reaches this program whichever application is in front.

#include <QObject>

class HotKeys : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Ok,
        // Another client holds the key with these modifiers.
        Exists,
        // No desktop to register with (no display), or the key has no key code on this keyboard.
        Unavailable,
    };

    // Where a registration is made and whether it must be exclusive. Some desktops distinguish these;
    // on X11 every grab on the root window is exclusive, so all of them make the same grab.
    enum class Target { Application, Dispatcher };

    // Opaque handle of one registration; 0 is none.
    using Ref = quint64;
    struct Result {
        Status status = Status::Unavailable;
        Ref ref = 0;
    };

    // Registers `keysym` (an X keysym such as 0x31 for "1") with `modifiers` (Shift, Control, Alt and
    // Meta, which is Super; others are ignored); pressed(id) is emitted on each press of that key, whatever
    // symbol the modifiers make it type. Two registrations may share an id or a key.
    virtual Result registerHotKey(quint32 id, quint32 keysym, Qt::KeyboardModifiers modifiers, Target target,
                                  bool exclusive) = 0;
    // Drops a registration; unknown or zero refs are ignored.
    virtual void unregisterHotKey(Ref ref) = 0;

Q_SIGNALS:
    void pressed(quint32 id);

protected:
    using QObject::QObject;
};
