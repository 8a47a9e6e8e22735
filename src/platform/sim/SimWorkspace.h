#pragma once
// Scripted applications for tests: a test adds applications, brings them to the front as a user would,
// and decides how activation requests behave (at once, after a delay on the simulated clock, or never).

#include "platform/Workspace.h"

class SimClock;

class SimWorkspace : public Workspace {
    Q_OBJECT
public:
    struct Activation {
        RunningApplication application;
        double at = 0; // simulated uptime of the request
    };

    explicit SimWorkspace(SimClock &clock, QObject *parent = nullptr);

    bool isAvailable() const override { return available; }
    RunningApplication currentApplication() const override { return m_current; }
    std::optional<RunningApplication> frontmostApplication() const override;
    ClipboardOwner clipboardOwner() const override { return clipboardHolder; }
    // This program is listed too, as a desktop lists its windows (the preview, the settings).
    QList<RunningApplication> runningApplications() const override { return QList<RunningApplication>{m_current} + m_apps; }
    bool activate(const RunningApplication &app) override;
    bool isActive(const RunningApplication &app) const override;
    bool isTerminated(const RunningApplication &app) const override;

    // Adds a running application with a fresh pid and window.
    RunningApplication addApplication(const QString &applicationId, const QString &name = {},
                                      bool regular = true);
    // What the user does: the application comes to the front (emits applicationActivated).
    void bringToFront(const RunningApplication &app);
    // No window is active (as during a desktop switch).
    void clearFrontmost();
    // The application quits; one known by its window alone has its window destroyed.
    void terminate(const RunningApplication &app);
    // Switches to another desktop; emits currentDesktopChanged only when the number changes.
    void switchDesktop(int desktop);

    bool available = true;
    // Seconds an activation request takes to bring its application to the front; 0 = at once,
    // negative = never (the window manager ignores it).
    double activationDelay = 0;
    // Who holds the clipboard, as a display server would tell it.
    ClipboardOwner clipboardHolder;
    QList<Activation> activations;

private:
    SimClock &m_clock;
    RunningApplication m_current;
    QList<RunningApplication> m_apps;
    std::optional<RunningApplication> m_frontmost;
    QList<RunningApplication> m_terminated;
    int m_desktop = 0;
    qint64 m_nextPid = 4101;
};
