#pragma once
// Global hot keys: a key with modifiers that reaches this program whichever application is in front.

#include <QObject>

class HotKeys : public QObject {
    Q_OBJECT
public:
    // Modifier bits of a hot key. "Command" of other systems is Super here.
    enum Modifier : quint32 {
        Shift = 0x01,
        Control = 0x04,
        Alt = 0x08,
        Super = 0x40,
    };
    Q_DECLARE_FLAGS(Modifiers, Modifier)

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

    // Registers `keysym` (an X keysym such as 0x31 for "1") with `modifiers`; pressed(id) is emitted on
    // each press. Two registrations may share an id or a key.
    virtual Result registerHotKey(quint32 id, quint32 keysym, Modifiers modifiers, Target target,
                                  bool exclusive) = 0;
    // Drops a registration; unknown or zero refs are ignored.
    virtual void unregisterHotKey(Ref ref) = 0;

Q_SIGNALS:
    void pressed(quint32 id);

protected:
    using QObject::QObject;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(HotKeys::Modifiers)
