#pragma once
// Event monitors on the X11 desktop. Local monitors filter the events Qt delivers to our own windows.
// Global monitors listen to XInput2 raw button and key events on the root window of a private
// connection (no grab, so the events still reach their applications), then query the pointer for its
// place and modifiers; events while the pointer is over one of our windows (or, for keys, while we have
// the keyboard) are left to the local monitors. Click counts come from the double-click interval. Super +
// double-clicks are held back from applications by a grab of their own (X11SuperClickGrab).

#include "platform/EventMonitorRegistry.h"
#include "platform/EventMonitors.h"
#include "platform/linux/ClickCounter.h"

#include <QString>

#include <memory>

class QWindow;
class X11SuperClickGrab;
class XcbSession;

class LinuxEventMonitors : public EventMonitors {
    Q_OBJECT
public:
    explicit LinuxEventMonitors(QObject *parent = nullptr);
    ~LinuxEventMonitors() override;

    double doubleClickInterval() const override;
    QPointF mouseLocation() const override;
    bool isGlobalMonitoringAvailable() const override;
    void setHoldsBackSuperDoubleClicks(bool holds) override;
    bool holdsBackSuperDoubleClicks() const override;
    // Why global monitoring is unavailable (empty when it is available).
    QString unavailableReason() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    EventMonitorRegistry &registry() override { return m_registry; }

private:
    struct Global;

    bool admits(bool global);
    bool ensureGlobal() const;
    void updateGlobalSelection();
    void handleRawButton(int button, double time);
    void handleRawKey(unsigned keycode, double time);

    EventMonitorRegistry m_registry;
    bool m_filterInstalled = false;
    ClickCounter m_clicks;
    mutable std::unique_ptr<Global> m_global;
    std::unique_ptr<X11SuperClickGrab> m_superClickGrab;
};
