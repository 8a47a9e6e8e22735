#include "platform/Workspace.h"

std::optional<RunningApplication> Workspace::application(qint64 pid) const
{
    if (pid <= 0)
        return std::nullopt;
    const QList<RunningApplication> apps = runningApplications();
    for (const RunningApplication &app : apps) {
        if (app.pid == pid)
            return app;
    }
    return std::nullopt;
}
