#include "platform/sim/SimDesktopSwitchSignals.h"

SimDesktopSwitchSignals::SimDesktopSwitchSignals(QObject *parent)
    : DesktopSwitchSignals(parent)
{
}

bool SimDesktopSwitchSignals::startListening()
{
    if (!m_allowed)
        return false;
    if (!m_listening)
        ++m_startCount;
    m_listening = true;
    return true;
}

void SimDesktopSwitchSignals::send(const DesktopSwitchInputEvent &event)
{
    if (m_listening)
        Q_EMIT inputEvent(event);
}

void SimDesktopSwitchSignals::swipe(qint64 phase)
{
    DesktopSwitchInputEvent e;
    e.type = DesktopSwitchInputEvent::Type::Gesture;
    e.gestureType = 23;
    e.gestureMotion = 1;
    e.gesturePhase = phase;
    send(e);
}

void SimDesktopSwitchSignals::keyDown(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    DesktopSwitchInputEvent e;
    e.type = DesktopSwitchInputEvent::Type::KeyDown;
    e.key = key;
    e.modifiers = modifiers;
    send(e);
}

void SimDesktopSwitchSignals::click(bool right)
{
    DesktopSwitchInputEvent e;
    e.type = right ? DesktopSwitchInputEvent::Type::RightMouseDown : DesktopSwitchInputEvent::Type::LeftMouseDown;
    send(e);
}
