#pragma once
// Desktop-switch signs on X11: _NET_CURRENT_DESKTOP and _NET_ACTIVE_WINDOW changes on the root window,
// logind's PrepareForSleep on the system bus, and, while listening, XInput2 raw key and button presses
// (no grab; modifiers are tracked from the raw modifier keys). Swipe gestures have no source here.
// Without a display or a system bus the missing signals simply never come.

#include "platform/SpaceSignals.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <memory>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

class XcbSession;

class LinuxSpaceSignals : public SpaceSignals {
    Q_OBJECT
public:
    explicit LinuxSpaceSignals(QObject *parent = nullptr);
    ~LinuxSpaceSignals() override;

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
    void loadModifierMap();
    quint32 modifiersHeld() const;

    std::unique_ptr<XcbSession> m_session;
    QString m_error;
    quint32 m_currentDesktop = 0xffffffff;
    qint64 m_activeIdentity = 0;
    bool m_listening = false;
    quint8 m_inputOpcode = 0;
    xcb_key_symbols_t *m_symbols = nullptr;
    // Modifier bits (SpaceInputEvent) of each modifier keycode, and the modifier keys held now.
    QHash<quint8, quint32> m_modifierOfKeycode;
    QSet<quint8> m_heldModifierKeys;
    quint32 m_modifiersAtStart = 0;
};
