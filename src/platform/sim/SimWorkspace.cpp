#include "platform/sim/SimWorkspace.h"

#include "platform/sim/SimClock.h"

#include <QPointer>

#include <algorithm>

SimWorkspace::SimWorkspace(SimClock &clock, QObject *parent)
    : Workspace(parent)
    , m_clock(clock)
{
    m_current.pid = 4100;
    m_current.applicationId = QStringLiteral("tavlen");
    m_current.name = QStringLiteral("Tavlen");
    m_current.window = 4100;
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const
{
    if (!available)
        return std::nullopt;
    return m_frontmost;
}

bool SimWorkspace::activate(const RunningApplication &app)
{
    activations.append({app, m_clock.uptime()});
    if (!available || !app.isValid() || isTerminated(app))
        return false;
    if (activationDelay == 0) {
        bringToFront(app);
    } else if (activationDelay > 0) {
        QPointer<SimWorkspace> self(this);
        m_clock.callAfter(activationDelay, [self, app] {
            if (self && !self->isTerminated(app))
                self->bringToFront(app);
        });
    }
    return true;
}

bool SimWorkspace::isActive(const RunningApplication &app) const
{
    return available && m_frontmost && m_frontmost->isSameApplication(app);
}

bool SimWorkspace::isTerminated(const RunningApplication &app) const
{
    // Without a pid, as on the desktop, the window is all there is: it is gone once destroyed.
    return std::any_of(m_terminated.cbegin(), m_terminated.cend(),
                       [&](const RunningApplication &gone) { return gone.isSameApplication(app); });
}

RunningApplication SimWorkspace::addApplication(const QString &applicationId, const QString &name, bool regular)
{
    RunningApplication app;
    app.pid = m_nextPid++;
    app.applicationId = applicationId;
    app.name = name.isEmpty() ? applicationId : name;
    app.isRegular = regular;
    app.window = quint64(app.pid) * 16;
    m_apps.append(app);
    return app;
}

void SimWorkspace::bringToFront(const RunningApplication &app)
{
    const bool changed = !m_frontmost || !m_frontmost->isSameApplication(app);
    m_frontmost = app;
    if (changed)
        Q_EMIT applicationActivated(app);
}

void SimWorkspace::clearFrontmost()
{
    m_frontmost.reset();
}

void SimWorkspace::terminate(const RunningApplication &app)
{
    m_terminated.append(app);
    m_apps.removeIf([&](const RunningApplication &a) { return a.isSameApplication(app); });
    if (m_frontmost && m_frontmost->isSameApplication(app))
        m_frontmost.reset();
}

void SimWorkspace::switchDesktop(int desktop)
{
    if (desktop == m_desktop)
        return;
    m_desktop = desktop;
    Q_EMIT currentDesktopChanged();
}
