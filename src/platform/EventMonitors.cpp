#include "platform/EventMonitors.h"

#include "platform/EventMonitorRegistry.h"

std::optional<MonitorToken> EventMonitors::addLocalMouseDownMonitor(unsigned buttons, LocalMouseDownHandler handler)
{
    return registry().addLocalMouseDown(buttons, std::move(handler));
}

std::optional<MonitorToken> EventMonitors::addGlobalMouseDownMonitor(unsigned buttons, GlobalMouseDownHandler handler)
{
    return registry().addGlobalMouseDown(buttons, std::move(handler));
}

std::optional<MonitorToken> EventMonitors::addLocalKeyDownMonitor(LocalKeyDownHandler handler)
{
    return registry().addLocalKeyDown(std::move(handler));
}

std::optional<MonitorToken> EventMonitors::addGlobalKeyDownMonitor(GlobalKeyDownHandler handler)
{
    return registry().addGlobalKeyDown(std::move(handler));
}

std::optional<MonitorToken> EventMonitors::addLocalScrollMonitor(LocalScrollHandler handler)
{
    return registry().addLocalScroll(std::move(handler));
}

std::optional<MonitorToken> EventMonitors::addGlobalScrollMonitor(GlobalScrollHandler handler)
{
    return registry().addGlobalScroll(std::move(handler));
}

void EventMonitors::removeMonitor(MonitorToken token)
{
    registry().remove(token);
}
