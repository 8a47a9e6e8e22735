#include "platform/EventMonitorRegistry.h"

#include <type_traits>

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

// Mouse monitors see only the buttons they asked for; the others see every event of their kind.
bool wants(unsigned buttons, const MouseDownEvent &event)
{
    return buttons & buttonBit(event.button);
}

template<typename Event>
bool wants(unsigned, const Event &)
{
    return true;
}

// The handler alternatives come in pairs, local then global, one pair per kind.
bool isGlobal(std::size_t alternative)
{
    return alternative % 2 == 1;
}

EventMonitorRegistry::Kind kindOf(std::size_t alternative)
{
    return EventMonitorRegistry::Kind(alternative / 2);
}

} // namespace

EventMonitorRegistry::EventMonitorRegistry(std::function<bool(bool global)> admits,
                                           std::function<void()> globalMonitorsChanged)
    : m_admits(std::move(admits))
    , m_globalMonitorsChanged(std::move(globalMonitorsChanged))
{
}

std::optional<MonitorToken> EventMonitorRegistry::add(unsigned buttons, Handler handler)
{
    static_assert(std::is_same_v<std::variant_alternative_t<2 * int(Kind::KeyDown), Handler>,
                                 EventMonitors::LocalKeyDownHandler>);
    static_assert(std::is_same_v<std::variant_alternative_t<2 * int(Kind::Scroll) + 1, Handler>,
                                 EventMonitors::GlobalScrollHandler>);
    const bool global = isGlobal(handler.index());
    if (m_admits && !m_admits(global))
        return std::nullopt;
    const MonitorToken token = m_nextToken++;
    m_monitors.emplace(token, Monitor{buttons, std::move(handler)});
    if (global && m_globalMonitorsChanged)
        m_globalMonitorsChanged();
    return token;
}

std::optional<MonitorToken> EventMonitorRegistry::addLocalMouseDown(unsigned buttons,
                                                                    EventMonitors::LocalMouseDownHandler handler)
{
    return add(buttons, std::move(handler));
}

std::optional<MonitorToken> EventMonitorRegistry::addGlobalMouseDown(unsigned buttons,
                                                                     EventMonitors::GlobalMouseDownHandler handler)
{
    return add(buttons, std::move(handler));
}

std::optional<MonitorToken> EventMonitorRegistry::addLocalKeyDown(EventMonitors::LocalKeyDownHandler handler)
{
    return add(0, std::move(handler));
}

std::optional<MonitorToken> EventMonitorRegistry::addGlobalKeyDown(EventMonitors::GlobalKeyDownHandler handler)
{
    return add(0, std::move(handler));
}

std::optional<MonitorToken> EventMonitorRegistry::addLocalScroll(EventMonitors::LocalScrollHandler handler)
{
    return add(0, std::move(handler));
}

std::optional<MonitorToken> EventMonitorRegistry::addGlobalScroll(EventMonitors::GlobalScrollHandler handler)
{
    return add(0, std::move(handler));
}

void EventMonitorRegistry::remove(MonitorToken token)
{
    auto it = m_monitors.find(token);
    if (it == m_monitors.end())
        return;
    const bool global = isGlobal(it->second.handler.index());
    m_monitors.erase(it);
    if (global && m_globalMonitorsChanged)
        m_globalMonitorsChanged();
}

int EventMonitorRegistry::count(Kind kind, bool global) const
{
    int result = 0;
    for (const auto &[token, monitor] : m_monitors) {
        const std::size_t alternative = monitor.handler.index();
        if (kindOf(alternative) == kind && isGlobal(alternative) == global)
            ++result;
    }
    return result;
}

template<typename Call>
std::vector<MonitorToken> EventMonitorRegistry::tokensOf() const
{
    std::vector<MonitorToken> result;
    for (const auto &[token, monitor] : m_monitors) {
        if (std::holds_alternative<Call>(monitor.handler))
            result.push_back(token);
    }
    return result;
}

// Handlers may add or remove monitors while an event is dispatched: walk a snapshot of the tokens and
// skip the ones removed meanwhile. A handler is copied before the call so removing its own monitor is safe.
template<typename Event>
EventDisposition EventMonitorRegistry::dispatchLocalEvent(const Event &event)
{
    using Call = std::function<EventDisposition(const Event &)>;
    for (MonitorToken token : tokensOf<Call>()) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end() || !wants(it->second.buttons, event))
            continue;
        const Call handler = std::get<Call>(it->second.handler);
        if (handler(event) == EventDisposition::Consume)
            return EventDisposition::Consume;
    }
    return EventDisposition::Pass;
}

template<typename Event>
void EventMonitorRegistry::dispatchGlobalEvent(const Event &event)
{
    using Call = std::function<void(const Event &)>;
    for (MonitorToken token : tokensOf<Call>()) {
        auto it = m_monitors.find(token);
        if (it == m_monitors.end() || !wants(it->second.buttons, event))
            continue;
        const Call handler = std::get<Call>(it->second.handler);
        handler(event);
    }
}

EventDisposition EventMonitorRegistry::dispatchLocal(const MouseDownEvent &event)
{
    return dispatchLocalEvent(event);
}

EventDisposition EventMonitorRegistry::dispatchLocal(const KeyDownEvent &event)
{
    return dispatchLocalEvent(event);
}

EventDisposition EventMonitorRegistry::dispatchLocal(const ScrollEvent &event)
{
    return dispatchLocalEvent(event);
}

void EventMonitorRegistry::dispatchGlobal(const MouseDownEvent &event)
{
    dispatchGlobalEvent(event);
}

void EventMonitorRegistry::dispatchGlobal(const KeyDownEvent &event)
{
    dispatchGlobalEvent(event);
}

void EventMonitorRegistry::dispatchGlobal(const ScrollEvent &event)
{
    dispatchGlobalEvent(event);
}
