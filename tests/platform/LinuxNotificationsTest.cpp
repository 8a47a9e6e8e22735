// A notification's body reaches a service that parses markup escaped, and one that shows text as it is
// unchanged; the summary is plain text for both.
#include "platform/linux/LinuxNotifications.h"

#include "DesktopTest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

namespace {

// The desktop's notification service on a connection of its own, listing the given capabilities.
class NotificationService : public QDBusVirtualObject {
public:
    explicit NotificationService(const QStringList &capabilities)
        : m_capabilities(capabilities)
    {
    }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
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
        connection.send(message.createReply(QVariantList{uint(bodies.size())}));
        return true;
    }
    int capabilityQuestions = 0;
    QStringList summaries;
    QStringList bodies;

private:
    QStringList m_capabilities;
};

} // namespace

TEST(LinuxNotificationsTest, BodiesAreEscapedOnlyForAServiceThatParsesMarkup)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no session bus; run through scripts/test-env";
    struct Row {
        QStringList capabilities;
        QString body;
    };
    const Row rows[] = {
        {{QStringLiteral("body"), QStringLiteral("body-markup")}, QStringLiteral("a &amp; b &lt;c&gt;")},
        {{QStringLiteral("body")}, QStringLiteral("a & b <c>")},
    };
    const QString path = QStringLiteral("/org/freedesktop/Notifications");
    const QString name = QStringLiteral("org.freedesktop.Notifications");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.capabilities.join(QLatin1Char(',')).toStdString());
        NotificationService service(row.capabilities);
        QDBusConnection server = QDBusConnection::connectToBus(QDBusConnection::SessionBus, row.body);
        ASSERT_TRUE(server.registerVirtualObject(path, &service));
        ASSERT_TRUE(server.registerService(name));

        LinuxNotifications notifications;
        notifications.post(QStringLiteral("a & b"), QStringLiteral("a & b <c>"));
        notifications.post(QStringLiteral("a & b"), QStringLiteral("a & b <c>"));
        TAVLEN_WAIT_UNTIL(service.bodies.size() == 2, 5000);
        EXPECT_EQ(service.bodies.join(QLatin1Char('|')).toStdString(), (row.body + '|' + row.body).toStdString());
        EXPECT_EQ(service.summaries.join(QLatin1Char('|')).toStdString(), "a & b|a & b");
        EXPECT_EQ(service.capabilityQuestions, 1);

        server.unregisterService(name);
        server.unregisterObject(path);
        QDBusConnection::disconnectFromBus(row.body);
    }
}
