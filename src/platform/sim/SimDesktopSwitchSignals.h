#pragma once
// Scripted desktop-switch signals for tests: emit any desktop change, activation, sleep or input event.

#include "platform/DesktopSwitchSignals.h"

class SimDesktopSwitchSignals : public DesktopSwitchSignals {
    Q_OBJECT
public:
    explicit SimDesktopSwitchSignals(QObject *parent = nullptr);

    bool startListening() override;
    void stopListening() override { m_listening = false; }
    bool isListening() const override { return m_listening; }
    void reenableListening() override { ++m_reenableCount; }

    // Whether startListening() succeeds (the permission to listen to input).
    void setListeningAllowed(bool allowed) { m_allowed = allowed; }
    int startCount() const { return m_startCount; }
    int reenableCount() const { return m_reenableCount; }

    void changeDesktop() { Q_EMIT currentDesktopChanged(); }
    void activateApplication() { Q_EMIT applicationActivated(); }
    void sleep() { Q_EMIT willSleep(); }
    // Input reaches listeners only while listening, as with a real listener.
    void send(const DesktopSwitchInputEvent &event);
    // A horizontal desktop swipe event in the given phase (1 began, 2 changed, 4 ended, 8 cancelled).
    void swipe(qint64 phase);
    void keyDown(Qt::Key key, Qt::KeyboardModifiers modifiers);
    void click(bool right = false);

private:
    bool m_allowed = true;
    bool m_listening = false;
    int m_startCount = 0;
    int m_reenableCount = 0;
};
