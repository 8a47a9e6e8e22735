// A notification's body reaches a service that parses markup escaped, and one that shows text as it is
// unchanged; the summary is plain text for both. A service that replaces another is asked again.
#include "platform/linux/LinuxNotifications.h"

#include "DesktopTest.h"
#include "FakeNotificationService.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QSignalSpy>

#include <gtest/gtest.h>

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
    // One poster for every row: each row's service takes the name over from the one before.
    LinuxNotifications notifications;
    QDBusServiceWatcher owners(QStringLiteral("org.freedesktop.Notifications"), QDBusConnection::sessionBus(),
                               QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&owners, &QDBusServiceWatcher::serviceRegistered);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.capabilities.join(QLatin1Char(',')).toStdString());
        const qsizetype before = registered.size();
        FakeNotificationService service(row.capabilities);
        ASSERT_TRUE(service.isServing());
        // The poster hears of the new owner with the same bus message as this watcher.
        TAVLEN_WAIT_UNTIL(registered.size() > before, 5000);

        notifications.post(QStringLiteral("a & b"), QStringLiteral("a & b <c>"));
        notifications.post(QStringLiteral("a & b"), QStringLiteral("a & b <c>"));
        TAVLEN_WAIT_UNTIL(service.bodies.size() == 2, 5000);
        EXPECT_EQ(service.bodies.join(QLatin1Char('|')).toStdString(), (row.body + '|' + row.body).toStdString());
        EXPECT_EQ(service.summaries.join(QLatin1Char('|')).toStdString(), "a & b|a & b");
        EXPECT_EQ(service.capabilityQuestions, 1);
    }
}
