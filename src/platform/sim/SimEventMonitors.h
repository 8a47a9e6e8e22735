#pragma once
// Event monitors for tests: a test injects events (into our own windows: local monitors; into other
// applications: global monitors), places the pointer and counts the installed monitors.

#include "platform/EventMonitors.h"

#include <map>

class SimClock;

class SimEventMonitors : public EventMonitors {
    Q_OBJECT
public:
    enum class Kind { MouseDown, KeyDown, Scroll };

    explicit SimEventMonitors(SimClock &clock, QObject *parent = nullptr);

    std::optional<MonitorToken> addLocalMouseDownMonitor(unsigned buttons, LocalMouseDownHandler handler) override;
    std::optional<MonitorToken> addGlobalMouseDownMonitor(unsigned buttons, GlobalMouseDownHandler handler) override;
    std::optional<MonitorToken> addLocalKeyDownMonitor(LocalKeyDownHandler handler) override;
    std::optional<MonitorToken> addGlobalKeyDownMonitor(GlobalKeyDownHandler handler) override;
    std::optional<MonitorToken> addLocalScrollMonitor(LocalScrollHandler handler) override;
    std::optional<MonitorToken> addGlobalScrollMonitor(GlobalScrollHandler handler) override;
    void removeMonitor(MonitorToken token) override;

    double doubleClickInterval() const override { return m_doubleClickInterval; }
    QPointF mouseLocation() const override { return m_mouseLocation; }
    bool isGlobalMonitoringAvailable() const override { return m_globalAvailable; }

    // --- For tests ---
    void setDoubleClickInterval(double seconds) { m_doubleClickInterval = seconds; }
    void setMouseLocation(const QPointF &location) { m_mouseLocation = location; }
    // Without global monitoring, global adds answer no token.
    void setGlobalMonitoringAvailable(bool available) { m_globalAvailable = available; }
    // Every add answers no token (a monitor that cannot be installed).
    void setInstallationFails(bool fails) { m_installationFails = fails; }

    // Runs the local monitors in installation order until one consumes; answers what became of the event.
    EventDisposition sendLocalMouseDown(const MouseDownEvent &event);
    EventDisposition sendLocalKeyDown(const KeyDownEvent &event);
    EventDisposition sendLocalScroll(const ScrollEvent &event);
    void sendGlobalMouseDown(const MouseDownEvent &event);
    void sendGlobalKeyDown(const KeyDownEvent &event);
    void sendGlobalScroll(const ScrollEvent &event);

    // A left mouse-down at `location` (also where the pointer goes), stamped with the clock's time.
    MouseDownEvent leftMouseDown(const QPointF &location, int clickCount = 1, unsigned modifiers = 0,
                                 Panel *window = nullptr);
    KeyDownEvent keyDown(int keyCode, const QString &characters = {}, unsigned modifiers = 0,
                         Panel *window = nullptr) const;

    int monitorCount() const { return int(m_monitors.size()); }
    int localMonitorCount(Kind kind) const;
    int globalMonitorCount(Kind kind) const;

private:
    struct Monitor {
        Kind kind;
        bool local;
        unsigned buttons = 0;
        LocalMouseDownHandler localMouse;
        GlobalMouseDownHandler globalMouse;
        LocalKeyDownHandler localKey;
        GlobalKeyDownHandler globalKey;
        LocalScrollHandler localScroll;
        GlobalScrollHandler globalScroll;
    };
    std::optional<MonitorToken> add(Monitor monitor);
    std::vector<MonitorToken> tokens(Kind kind, bool local) const;

    SimClock &m_clock;
    std::map<MonitorToken, Monitor> m_monitors;
    MonitorToken m_nextToken = 1;
    double m_doubleClickInterval = 0.5;
    QPointF m_mouseLocation;
    bool m_globalAvailable = true;
    bool m_installationFails = false;
};
