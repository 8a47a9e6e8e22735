#pragma once
// Signs that the user is moving between virtual desktops (workspaces): desktop changes, application activation,
// sleep, and the raw input seen while listening (desktop-switch keys, clicks, swipe gestures).

#include <QMetaType>
#include <QObject>

// One input event seen by the listener, reduced to what desktop-switch detection reads.
struct DesktopSwitchInputEvent {
    enum class Type {
        LeftMouseDown,
        RightMouseDown,
        KeyDown,
        // A system gesture event; only some desktops deliver these (never X11).
        Gesture,
        // The listener was switched off by the system (too slow, or on user input); never on X11.
        ListenerDisabledByTimeout,
        ListenerDisabledByUserInput,
    };
    Type type = Type::KeyDown;
    // Modifiers held at the event (key-down only); Super is Qt::MetaModifier.
    Qt::KeyboardModifiers modifiers;
    Qt::Key key = Qt::Key_unknown;
    // Gesture fields as the gesture event carries them: its kind, motion and phase.
    qint64 gestureType = 0;
    qint64 gestureMotion = 0;
    qint64 gesturePhase = 0;
};
Q_DECLARE_METATYPE(DesktopSwitchInputEvent)

class DesktopSwitchSignals : public QObject {
    Q_OBJECT
public:
    // Starts the input listener; false when it cannot listen (no display, no input extension, or the
    // desktop refuses). Idempotent.
    virtual bool startListening() = 0;
    virtual void stopListening() = 0;
    virtual bool isListening() const = 0;
    // Switches a listener that the system disabled back on.
    virtual void reenableListening() = 0;

Q_SIGNALS:
    // The current desktop changed (once per change).
    void currentDesktopChanged();
    // Another application came to the front.
    void applicationActivated();
    // The system is about to sleep.
    void willSleep();
    // Raw input while listening.
    void inputEvent(const DesktopSwitchInputEvent &event);

protected:
    using QObject::QObject;
};
