#include "platform/sim/SimSpaceSignals.h"

SimSpaceSignals::SimSpaceSignals(QObject *parent)
    : SpaceSignals(parent)
{
}

bool SimSpaceSignals::startListening()
{
    if (!m_allowed)
        return false;
    if (!m_listening)
        ++m_startCount;
    m_listening = true;
    return true;
}

void SimSpaceSignals::send(const SpaceInputEvent &event)
{
    if (m_listening)
        Q_EMIT inputEvent(event);
}

void SimSpaceSignals::swipe(qint64 phase)
{
    SpaceInputEvent e;
    e.type = SpaceInputEvent::Type::Gesture;
    e.gestureType = 23;
    e.gestureMotion = 1;
    e.gesturePhase = phase;
    send(e);
}

void SimSpaceSignals::keyDown(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    SpaceInputEvent e;
    e.type = SpaceInputEvent::Type::KeyDown;
    e.key = key;
    e.modifiers = modifiers;
    send(e);
}

void SimSpaceSignals::click(bool right)
{
    SpaceInputEvent e;
    e.type = right ? SpaceInputEvent::Type::RightMouseDown : SpaceInputEvent::Type::LeftMouseDown;
    send(e);
}
