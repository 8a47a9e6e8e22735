#pragma once
// Event monitors: local ones see the events of our own windows before they are delivered and may consume them;
// global ones see the events of other applications (never ours) and only observe (Super + double-clicks aside,
// which can be held back from those applications, below). Handlers run on the main thread. Each add answers a
// token for removeMonitor(), or nothing when the monitor cannot be installed (for instance global monitoring
// without a display).

#include "platform/InputEvents.h"

#include <QObject>
#include <QPointF>

#include <cstdint>
#include <functional>
#include <optional>

using MonitorToken = std::uint64_t;

class EventMonitorRegistry;

enum class EventDisposition {
    Pass, // deliver the event as usual
    Consume, // the event ends here
};

class EventMonitors : public QObject {
    Q_OBJECT
public:
    using LocalMouseDownHandler = std::function<EventDisposition(const MouseDownEvent &)>;
    using GlobalMouseDownHandler = std::function<void(const MouseDownEvent &)>;
    using LocalKeyDownHandler = std::function<EventDisposition(const KeyDownEvent &)>;
    using GlobalKeyDownHandler = std::function<void(const KeyDownEvent &)>;
    using LocalScrollHandler = std::function<EventDisposition(const ScrollEvent &)>;
    using GlobalScrollHandler = std::function<void(const ScrollEvent &)>;

    // `buttons` is a MouseButtonMask.
    std::optional<MonitorToken> addLocalMouseDownMonitor(unsigned buttons, LocalMouseDownHandler handler);
    std::optional<MonitorToken> addGlobalMouseDownMonitor(unsigned buttons, GlobalMouseDownHandler handler);
    std::optional<MonitorToken> addLocalKeyDownMonitor(LocalKeyDownHandler handler);
    std::optional<MonitorToken> addGlobalKeyDownMonitor(GlobalKeyDownHandler handler);
    std::optional<MonitorToken> addLocalScrollMonitor(LocalScrollHandler handler);
    std::optional<MonitorToken> addGlobalScrollMonitor(GlobalScrollHandler handler);
    // Unknown or already removed tokens are ignored; a handler may remove its own monitor.
    void removeMonitor(MonitorToken token);

    // The longest gap (seconds) between two clicks that still makes a double click.
    virtual double doubleClickInterval() const = 0;
    // Where the pointer is now, in global points (y up).
    virtual QPointF mouseLocation() const = 0;
    // Global monitors can be installed (a display with the input extension is there).
    virtual bool isGlobalMonitoringAvailable() const = 0;

    // Keeps the clicks that continue a Super + double-click (the second, a third) from the application
    // under the pointer, so that the double click changes nothing there; its first click still reaches it
    // and places the caret. Global monitors see every click all the same. Off lets them through again.
    virtual void setHoldsBackSuperDoubleClicks(bool holds) = 0;
    // They are held back now: false while off, and where the desktop refuses (another program holds
    // Super + click), in which case the application gets the whole double click.
    virtual bool holdsBackSuperDoubleClicks() const = 0;

protected:
    using QObject::QObject;
    // Where the backend keeps its monitors and feeds them the events it receives.
    virtual EventMonitorRegistry &registry() = 0;
};
