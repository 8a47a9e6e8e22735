#include "platform/sim/SimEventMonitors.h"

#include "platform/sim/SimClock.h"

namespace {

unsigned buttonBit(MouseButton button)
{
    switch (button) {
    case MouseButton::Left:
        return MouseButtonMask::Left;
    case MouseButton::Right:
        return MouseButtonMask::Right;
    case MouseButton::Other:
        return MouseButtonMask::Other;
    }
    return 0;
}

} // namespace

SimEventMonitors::SimEventMonitors(SimClock &clock, QObject *parent)
    : EventMonitors(parent)
    , m_clock(clock)
{
}

std::optional<MonitorToken> SimEventMonitors::add(Monitor monitor)
{
    if (m_installationFails || (!monitor.local && !m_globalAvailable))
        return std::nullopt;
    const MonitorToken token = m_nextToken++;
    m_monitors.emplace(token, std::move(monitor));
    return token;
}

std::optional<MonitorToken> SimEventMonitors::addLocalMouseDownMonitor(unsigned buttons, LocalMouseDownHandler handler)
{
    Monitor m{Kind::MouseDown, true, buttons};
    m.localMouse = std::move(handler);
    return add(std::move(m));
}

std::optional<MonitorToken> SimEventMonitors::addGlobalMouseDownMonitor(unsigned buttons, GlobalMouseDownHandler handler)
{
    Monitor m{Kind::MouseDown, false, buttons};
    m.globalMouse = std::move(handler);
    return add(std::move(m));
}

std::optional<MonitorToken> SimEventMonitors::addLocalKeyDownMonitor(LocalKeyDownHandler handler)
{
    Monitor m{Kind::KeyDown, true};
    m.localKey = std::move(handler);
    return add(std::move(m));
}

std::optional<MonitorToken> SimEventMonitors::addGlobalKeyDownMonitor(GlobalKeyDownHandler handler)
{
    Monitor m{Kind::KeyDown, false};
    m.globalKey = std::move(handler);
    return add(std::move(m));
}

std::optional<MonitorToken> SimEventMonitors::addLocalScrollMonitor(LocalScrollHandler handler)
{
    Monitor m{Kind::Scroll, true};
    m.localScroll = std::move(handler);
    return add(std::move(m));
}

std::optional<MonitorToken> SimEventMonitors::addGlobalScrollMonitor(GlobalScrollHandler handler)
{
    Monitor m{Kind::Scroll, false};
    m.globalScroll = std::move(handler);
    return add(std::move(m));
}

void SimEventMonitors::removeMonitor(MonitorToken token)
{
    m_monitors.erase(token);
}

std::vector<MonitorToken> SimEventMonitors::tokens(Kind kind, bool local) const
{
    std::vector<MonitorToken> result;
    for (const auto &[token, monitor] : m_monitors) {
        if (monitor.kind == kind && monitor.local == local)
            result.push_back(token);
    }
    return result;
}

int SimEventMonitors::localMonitorCount(Kind kind) const
{
    return int(tokens(kind, true).size());
}

int SimEventMonitors::globalMonitorCount(Kind kind) const
{
    return int(tokens(kind, false).size());
}

// Handlers may add or remove monitors while an event is dispatched: walk a snapshot of the tokens and
// skip the ones removed meanwhile. A handler is copied before the call so removing its own monitor is safe.
EventDisposition SimEventMonitors::sendLocalMouseDown(const MouseDownEvent &event)
{
    for (MonitorToken token : tokens(Kind::MouseDown, true)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end() || !(it->second.buttons & buttonBit(event.button)))
            continue;
        auto handler = it->second.localMouse;
        if (handler(event) == EventDisposition::Consume)
            return EventDisposition::Consume;
    }
    return EventDisposition::Pass;
}

EventDisposition SimEventMonitors::sendLocalKeyDown(const KeyDownEvent &event)
{
    for (MonitorToken token : tokens(Kind::KeyDown, true)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end())
            continue;
        auto handler = it->second.localKey;
        if (handler(event) == EventDisposition::Consume)
            return EventDisposition::Consume;
    }
    return EventDisposition::Pass;
}

EventDisposition SimEventMonitors::sendLocalScroll(const ScrollEvent &event)
{
    for (MonitorToken token : tokens(Kind::Scroll, true)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end())
            continue;
        auto handler = it->second.localScroll;
        if (handler(event) == EventDisposition::Consume)
            return EventDisposition::Consume;
    }
    return EventDisposition::Pass;
}

void SimEventMonitors::sendGlobalMouseDown(const MouseDownEvent &event)
{
    for (MonitorToken token : tokens(Kind::MouseDown, false)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end() || !(it->second.buttons & buttonBit(event.button)))
            continue;
        auto handler = it->second.globalMouse;
        handler(event);
    }
}

void SimEventMonitors::sendGlobalKeyDown(const KeyDownEvent &event)
{
    for (MonitorToken token : tokens(Kind::KeyDown, false)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end())
            continue;
        auto handler = it->second.globalKey;
        handler(event);
    }
}

void SimEventMonitors::sendGlobalScroll(const ScrollEvent &event)
{
    for (MonitorToken token : tokens(Kind::Scroll, false)) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end())
            continue;
        auto handler = it->second.globalScroll;
        handler(event);
    }
}

MouseDownEvent SimEventMonitors::leftMouseDown(const QPointF &location, int clickCount, unsigned modifiers,
                                               Panel *window)
{
    m_mouseLocation = location;
    MouseDownEvent event;
    event.button = MouseButton::Left;
    event.location = location;
    event.clickCount = clickCount;
    event.modifierFlags = modifiers;
    event.timestamp = m_clock.uptime();
    event.window = window;
    return event;
}

KeyDownEvent SimEventMonitors::keyDown(int keyCode, const QString &characters, unsigned modifiers,
                                       Panel *window) const
{
    KeyDownEvent event;
    event.keyCode = keyCode;
    event.characters = characters;
    event.charactersIgnoringModifiers = characters;
    event.modifierFlags = modifiers;
    event.timestamp = m_clock.uptime();
    event.window = window;
    return event;
}
