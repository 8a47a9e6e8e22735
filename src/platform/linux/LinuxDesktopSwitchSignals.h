#pragma once
// Desktop-switch signs on X11: _NET_CURRENT_DESKTOP and _NET_ACTIVE_WINDOW changes on the root window,
// logind's PrepareForSleep on the system bus, and, while listening, XInput2 raw button presses (no grab).
// The keyboard is never listened to: desktop-switch keys change nothing on X11 that _NET_CURRENT_DESKTOP
// does not already say, and reading every key of the session is not ours to do. Swipe gestures have no
// source here. Without a display or a system bus the missing signals simply never come.

#include "platform/DesktopSwitchSignals.h"

#include <QString>

#include <memory>

#include <xcb/xcb.h>

class XcbSession;

class LinuxDesktopSwitchSignals : public DesktopSwitchSignals {
    Q_OBJECT
public:
    explicit LinuxDesktopSwitchSignals(QObject *parent = nullptr);
    ~LinuxDesktopSwitchSignals() override;

    bool isAvailable() const;
    // Why desktop signals are unavailable (empty when they are available).
    QString unavailableReason() const { return m_error; }

    bool startListening() override;
    void stopListening() override;
    bool isListening() const override { return m_listening; }
    // Raw-input listeners are never switched off by the X server.
    void reenableListening() override {}

private Q_SLOTS:
    void onPrepareForSleep(bool start);

private:
    void handleEvent(const xcb_generic_event_t &event);
    void readCurrentDesktop(bool announce);
    void readActiveWindow(bool announce);
    void selectRawInput(bool on);

    std::unique_ptr<XcbSession> m_session;
    QString m_error;
    quint32 m_currentDesktop = 0xffffffff;
    qint64 m_activeIdentity = 0;
    bool m_listening = false;
    quint8 m_inputOpcode = 0;
};
