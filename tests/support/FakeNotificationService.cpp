#include "FakeNotificationService.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
const QString servicePath = QStringLiteral("/org/freedesktop/Notifications");
const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
} // namespace

FakeNotificationService::FakeNotificationService(const QStringList &capabilities)
    : m_capabilities(capabilities)
    , m_connectionName(QStringLiteral("fake-notifications-%1").arg(quintptr(this)))
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
    m_serving = bus.isConnected() && bus.registerVirtualObject(servicePath, this) && bus.registerService(serviceName);
}

FakeNotificationService::~FakeNotificationService()
{
    QDBusConnection bus(m_connectionName);
    bus.unregisterService(serviceName);
    bus.unregisterObject(servicePath);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeNotificationService::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.member() == QLatin1String("GetCapabilities")) {
        ++capabilityQuestions;
        connection.send(message.createReply(QVariantList{m_capabilities}));
        return true;
    }
    if (message.member() != QLatin1String("Notify") || message.arguments().size() < 5)
        return false;
    summaries.append(message.arguments().at(3).toString());
    bodies.append(message.arguments().at(4).toString());
    connection.send(message.createReply(QVariantList{uint(summaries.size())}));
    return true;
}
