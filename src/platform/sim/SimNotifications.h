#pragma once
// Records the notifications posted.

#include "platform/Notifications.h"

#include <QList>

class SimNotifications : public Notifications {
    Q_OBJECT
public:
    struct Posted {
        QString summary;
        QString body;
    };
    using Notifications::Notifications;

    void post(const QString &summary, const QString &body) override { posted.append({summary, body}); }

    QList<Posted> posted;
};
