// The desktop's notification service (org.freedesktop.Notifications) for tests, on a session bus connection
// of its own while it lives: takes down each notification's summary and body, and answers GetCapabilities
// with the list it was given.
#pragma once

#include <QDBusVirtualObject>
#include <QStringList>

class FakeNotificationService : public QDBusVirtualObject {
public:
    explicit FakeNotificationService(const QStringList &capabilities = {QStringLiteral("body")});
    ~FakeNotificationService() override;

    // False when the bus, the object path or the name could not be had.
    bool isServing() const { return m_serving; }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    int capabilityQuestions = 0;
    QStringList summaries;
    QStringList bodies;

private:
    QStringList m_capabilities;
    QString m_connectionName;
    bool m_serving = false;
};
