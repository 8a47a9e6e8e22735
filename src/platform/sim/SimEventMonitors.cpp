#include "platform/sim/SimEventMonitors.h"

#include "platform/sim/SimClock.h"

SimEventMonitors::SimEventMonitors(SimClock &clock, QObject *parent)
    : EventMonitors(parent)
    , m_clock(clock)
    , m_registry([this](bool global) { return !m_installationFails && (!global || m_globalAvailable); })
{
}

EventDisposition SimEventMonitors::sendLocalMouseDown(const MouseDownEvent &event)
{
    return m_registry.dispatchLocal(event);
}

EventDisposition SimEventMonitors::sendLocalKeyDown(const KeyDownEvent &event)
{
    return m_registry.dispatchLocal(event);
}

EventDisposition SimEventMonitors::sendLocalScroll(const ScrollEvent &event)
{
    return m_registry.dispatchLocal(event);
}

void SimEventMonitors::sendGlobalMouseDown(const MouseDownEvent &event)
{
    m_registry.dispatchGlobal(event);
}

void SimEventMonitors::sendGlobalKeyDown(const KeyDownEvent &event)
{
    m_registry.dispatchGlobal(event);
}

void SimEventMonitors::sendGlobalScroll(const ScrollEvent &event)
{
    m_registry.dispatchGlobal(event);
}

MouseDownEvent SimEventMonitors::leftMouseDown(const QPointF &location, int clickCount,
                                               Qt::KeyboardModifiers modifiers, Panel *window)
{
    m_mouseLocation = location;
    MouseDownEvent event;
    event.button = MouseButton::Left;
    event.location = location;
    event.clickCount = clickCount;
    event.modifiers = modifiers;
    event.timestamp = m_clock.uptime();
    event.window = window;
    return event;
}

KeyDownEvent SimEventMonitors::keyDown(Qt::Key key, const QString &text, Qt::KeyboardModifiers modifiers,
                                       Panel *window) const
{
    KeyDownEvent event;
    event.key = key;
    event.text = text;
    event.unmodifiedText = text;
    event.modifiers = modifiers;
    event.timestamp = m_clock.uptime();
    event.window = window;
    return event;
}
