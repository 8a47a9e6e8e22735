#pragma once
// Notifications through the session's org.freedesktop.Notifications service, called without waiting for
// its answer; without a session bus or the service, posting does nothing. A service that reads bodies as
// markup gets them escaped, so a path like "/home/a&b" shows as written instead of blanking the bubble.

#include "platform/Notifications.h"

#include <QList>

#include <optional>

class QDBusMessage;

class LinuxNotifications : public Notifications {
    Q_OBJECT
public:
    explicit LinuxNotifications(QObject *parent = nullptr);

    void post(const QString &summary, const QString &body) override;
    // For a process about to end: waits, at most two seconds, until the service has taken the notification.
    static void postBeforeExit(const QString &summary, const QString &body);

private:
    struct Message {
        QString summary;
        QString body;
    };
    void onCapabilities(const QDBusMessage &reply);

    // Whether the service now owning the name parses bodies as markup; asked once per owner.
    std::optional<bool> m_bodyMarkup;
    bool m_asking = false;
    QList<Message> m_waiting; // posted while the service's capabilities are asked
};
