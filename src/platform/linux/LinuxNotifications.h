#pragma once
// Notifications through the session's org.freedesktop.Notifications service, called without waiting for
// its answer; without a session bus or the service, posting does nothing.

#include "platform/Notifications.h"

class LinuxNotifications : public Notifications {
    Q_OBJECT
public:
    using Notifications::Notifications;

    void post(const QString &summary, const QString &body) override;
    // For a process about to end: waits, at most two seconds, until the service has taken the notification.
    static void postBeforeExit(const QString &summary, const QString &body);
};
