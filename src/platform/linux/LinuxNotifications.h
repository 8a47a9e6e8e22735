#pragma once
// Notifications through the session's org.freedesktop.Notifications service, called without waiting for
// its answer; without a session bus or the service, posting does nothing.

#include "platform/Notifications.h"

class LinuxNotifications : public Notifications {
    Q_OBJECT
public:
    using Notifications::Notifications;

    void post(const QString &summary, const QString &body) override;
};
