#pragma once
// The bookkeeping every EventMonitors backend shares: the installed monitors by token, in installation
// order, and their dispatch. Backends own one, say whether a monitor can be installed, and feed it the
// events they receive.

#include "platform/EventMonitors.h"

#include <functional>
#include <map>
#include <optional>
#include <variant>
#include <vector>

class EventMonitorRegistry {
public:
    enum class Kind { MouseDown, KeyDown, Scroll };

    // `admits` is asked before each add (with whether the monitor is global) and may refuse it: the add
    // then answers no token. `globalMonitorsChanged` runs after a global monitor was added or removed.
    explicit EventMonitorRegistry(std::function<bool(bool global)> admits = {},
                                  std::function<void()> globalMonitorsChanged = {});
    EventMonitorRegistry(const EventMonitorRegistry &) = delete;
    EventMonitorRegistry &operator=(const EventMonitorRegistry &) = delete;

    std::optional<MonitorToken> addLocalMouseDown(unsigned buttons, EventMonitors::LocalMouseDownHandler handler);
    std::optional<MonitorToken> addGlobalMouseDown(unsigned buttons, EventMonitors::GlobalMouseDownHandler handler);
    std::optional<MonitorToken> addLocalKeyDown(EventMonitors::LocalKeyDownHandler handler);
    std::optional<MonitorToken> addGlobalKeyDown(EventMonitors::GlobalKeyDownHandler handler);
    std::optional<MonitorToken> addLocalScroll(EventMonitors::LocalScrollHandler handler);
    std::optional<MonitorToken> addGlobalScroll(EventMonitors::GlobalScrollHandler handler);
    // Unknown or already removed tokens are ignored.
    void remove(MonitorToken token);

    // Local monitors run in installation order until one consumes; answers what became of the event.
    // Handlers may add or remove monitors meanwhile: ones added see the next event, ones removed see no more.
    EventDisposition dispatchLocal(const MouseDownEvent &event);
    EventDisposition dispatchLocal(const KeyDownEvent &event);
    EventDisposition dispatchLocal(const ScrollEvent &event);
    // Global monitors all run, in installation order.
    void dispatchGlobal(const MouseDownEvent &event);
    void dispatchGlobal(const KeyDownEvent &event);
    void dispatchGlobal(const ScrollEvent &event);

    int count() const { return int(m_monitors.size()); }
    int count(Kind kind, bool global) const;

private:
    // The alternative says both the kind and whether the monitor is global.
    using Handler = std::variant<EventMonitors::LocalMouseDownHandler, EventMonitors::GlobalMouseDownHandler,
                                 EventMonitors::LocalKeyDownHandler, EventMonitors::GlobalKeyDownHandler,
                                 EventMonitors::LocalScrollHandler, EventMonitors::GlobalScrollHandler>;
    struct Monitor {
        unsigned buttons = 0;
        Handler handler;
    };

    std::optional<MonitorToken> add(unsigned buttons, Handler handler);
    template<typename Call>
    std::vector<MonitorToken> tokensOf() const;
    template<typename Event>
    EventDisposition dispatchLocalEvent(const Event &event);
    template<typename Event>
    void dispatchGlobalEvent(const Event &event);

    std::function<bool(bool global)> m_admits;
    std::function<void()> m_globalMonitorsChanged;
    std::map<MonitorToken, Monitor> m_monitors;
    MonitorToken m_nextToken = 1;
};
