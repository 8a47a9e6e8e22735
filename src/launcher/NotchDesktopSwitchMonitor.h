#pragma once
// Hides the launchers while the user moves between desktops: detects the start of a desktop switch
// (swipe, Control+Left/Right, desktop change) and reports its end 0.65 s after the last sign of it.

#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QMetaObject>
#include <QObject>

#include <optional>

class Clock;
class DesktopSwitchSignals;
struct DesktopSwitchInputEvent;

struct NotchDesktopSwitchState {
    bool isSuspended = false;
    bool isGestureActive = false;
    bool didChangeDesktop = false;

    friend bool operator==(const NotchDesktopSwitchState &, const NotchDesktopSwitchState &) = default;
};

class NotchDesktopSwitchMonitor : public QObject {
    Q_OBJECT
public:
    enum class Signal { swipeBegan, swipeChanged, swipeEnded, keyboardSwitch, desktopChanged, interruption };

    static constexpr double resumeDelay = 0.65;

    NotchDesktopSwitchMonitor(DesktopSwitchSignals &desktopSwitchSignals, Clock &clock, QObject *parent = nullptr);
    ~NotchDesktopSwitchMonitor() override;

    // Watches desktop changes, activations and sleep, and starts the input listener. Does nothing at all
    // while already started.
    void start();
    // Starts the input listener when it is not running and the desktop allows it.
    void installEventTap();
    bool hasEventTap() const { return m_tap; }
    const NotchDesktopSwitchState &state() const { return m_state; }
    // Ends monitoring without reporting a resume; start() may follow.
    void stop();

    // The signal a gesture event stands for, if any.
    static std::optional<Signal> classifySwipe(const DesktopSwitchInputEvent &event);
    // Applies one signal (the state table, then suspend and restore rules).
    void handle(Signal signal);

Q_SIGNALS:
    // A desktop switch began: the launchers hide.
    void suspendRequested();
    // The switch is over; `didChangeDesktop` says whether the current desktop changed during it.
    void restoreRequested(bool didChangeDesktop);

private:
    void process(const DesktopSwitchInputEvent &event);
#ifndef Q_MOC_RUN
    static Task<> restoreAfterDelay(Lifetime::Pointer<NotchDesktopSwitchMonitor> self, Clock *clock);
#endif

    DesktopSwitchSignals &m_signals;
    Clock &m_clock;
    NotchDesktopSwitchState m_state;
    bool m_tap = false;
    QMetaObject::Connection m_inputConnection;
    QMetaObject::Connection m_desktopObserver;
    QMetaObject::Connection m_activationObserver;
    QMetaObject::Connection m_sleepObserver;
#ifndef Q_MOC_RUN
    TaskSlot m_restoreTask;
#endif
    Lifetime m_lifetime;
};
