#pragma once
// Applications on an EWMH desktop: the active window's _NET_WM_PID and WM_CLASS, activation through a
// _NET_ACTIVE_WINDOW client message, and root PropertyNotify for activation and desktop changes. The
// clipboard's owner is told the same way from the CLIPBOARD selection's owner window or its client leader,
// else from the process the X server says made that window; the answer is kept per client, so a copy
// costs two round trips once its owner's client is known.

#include "platform/Workspace.h"

#include <QHash>

#include <xcb/xcb.h>

class XcbSession;

class LinuxWorkspace : public Workspace {
    Q_OBJECT
public:
    // The session is shared and outlives the workspace.
    explicit LinuxWorkspace(XcbSession &session, QObject *parent = nullptr);
    ~LinuxWorkspace() override;

    bool isAvailable() const override;
    RunningApplication currentApplication() const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    ClipboardOwner clipboardOwner() const override;
    QList<RunningApplication> runningApplications() const override;
    bool activate(const RunningApplication &app) override;
    bool isActive(const RunningApplication &app) const override;
    bool isTerminated(const RunningApplication &app) const override;

private:
    RunningApplication describe(xcb_window_t window) const;
    std::optional<RunningApplication> ownerApplication(xcb_window_t owner, qint64 pid) const;
    xcb_window_t windowFor(const RunningApplication &app) const;
    void handleEvent(const xcb_generic_event_t &event);
    void activeWindowChanged();
    void desktopChanged();

    XcbSession *m_session = nullptr;
    int m_eventHandler = 0;
    std::optional<quint32> m_desktop;
    qint64 m_lastActivatedPid = 0;
    xcb_window_t m_lastActivatedWindow = 0;
    // By client (resource base and process), its application as told; a reused client slot has a new process.
    mutable QHash<QPair<quint32, qint64>, std::optional<RunningApplication>> m_ownerApplications;
};
