#pragma once
// Event monitors on the X11 desktop. Local monitors filter the events Qt delivers to our own windows.
// Global monitors listen to XInput2 raw button and key events on the root window of a private
// connection (no grab, so the events still reach their applications), then query the pointer for its
// place and modifiers; events while the pointer is over one of our windows (or, for keys, while we have
// the keyboard) are left to the local monitors. Click counts come from the double-click interval.

#include "platform/EventMonitors.h"
#include "platform/linux/ClickCounter.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

class QWindow;
class XcbSession;

class LinuxEventMonitors : public EventMonitors {
    Q_OBJECT
public:
    explicit LinuxEventMonitors(QObject *parent = nullptr);
    ~LinuxEventMonitors() override;

    std::optional<MonitorToken> addLocalMouseDownMonitor(unsigned buttons, LocalMouseDownHandler handler) override;
    std::optional<MonitorToken> addGlobalMouseDownMonitor(unsigned buttons, GlobalMouseDownHandler handler) override;
    std::optional<MonitorToken> addLocalKeyDownMonitor(LocalKeyDownHandler handler) override;
    std::optional<MonitorToken> addGlobalKeyDownMonitor(GlobalKeyDownHandler handler) override;
    std::optional<MonitorToken> addLocalScrollMonitor(LocalScrollHandler handler) override;
    std::optional<MonitorToken> addGlobalScrollMonitor(GlobalScrollHandler handler) override;
    void removeMonitor(MonitorToken token) override;

    double doubleClickInterval() const override;
    QPointF mouseLocation() const override;
    bool isGlobalMonitoringAvailable() const override;
    // Why global monitoring is unavailable (empty when it is available).
    QString unavailableReason() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { MouseDown, KeyDown, Scroll };
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
    struct Global;

    std::optional<MonitorToken> add(Monitor monitor);
    std::vector<MonitorToken> tokens(Kind kind, bool local) const;
    bool ensureGlobal() const;
    void updateGlobalSelection();
    void handleRawButton(int button, double time);
    void handleRawKey(unsigned keycode, double time);
    EventDisposition dispatchLocalMouse(const MouseDownEvent &event);
    EventDisposition dispatchLocalKey(const KeyDownEvent &event);
    EventDisposition dispatchLocalScroll(const ScrollEvent &event);

    std::map<MonitorToken, Monitor> m_monitors;
    MonitorToken m_nextToken = 1;
    bool m_filterInstalled = false;
    ClickCounter m_clicks;
    mutable std::unique_ptr<Global> m_global;
};
