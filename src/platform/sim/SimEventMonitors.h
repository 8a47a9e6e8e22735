#pragma once
// Event monitors for tests: a test injects events (into our own windows: local monitors; into other
// applications: global monitors), places the pointer and counts the installed monitors.

#include "platform/EventMonitorRegistry.h"
#include "platform/EventMonitors.h"

class SimClock;

class SimEventMonitors : public EventMonitors {
    Q_OBJECT
public:
    using Kind = EventMonitorRegistry::Kind;

    explicit SimEventMonitors(SimClock &clock, QObject *parent = nullptr);

    double doubleClickInterval() const override { return m_doubleClickInterval; }
    QPointF mouseLocation() const override { return m_mouseLocation; }
    bool isGlobalMonitoringAvailable() const override { return m_globalAvailable; }
    void setHoldsBackSuperDoubleClicks(bool holds) override { m_holdsBackSuperDoubleClicks = holds; }
    bool holdsBackSuperDoubleClicks() const override { return m_holdsBackSuperDoubleClicks; }

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
    MouseDownEvent leftMouseDown(const QPointF &location, int clickCount = 1, Qt::KeyboardModifiers modifiers = {},
                                 Panel *window = nullptr);
    KeyDownEvent keyDown(Qt::Key key, const QString &text = {}, Qt::KeyboardModifiers modifiers = {},
                         Panel *window = nullptr) const;

    int monitorCount() const { return m_registry.count(); }
    int localMonitorCount(Kind kind) const { return m_registry.count(kind, false); }
    int globalMonitorCount(Kind kind) const { return m_registry.count(kind, true); }

protected:
    EventMonitorRegistry &registry() override { return m_registry; }

private:
    SimClock &m_clock;
    EventMonitorRegistry m_registry;
    double m_doubleClickInterval = 0.5;
    QPointF m_mouseLocation;
    bool m_globalAvailable = true;
    bool m_installationFails = false;
    bool m_holdsBackSuperDoubleClicks = false;
};
