// scripts/run-tavlen without a display of its own brings up a private one, with a light desktop so the black
// launcher panels can be seen. The program it runs here takes a picture of that desktop. And the program
// itself runs once per history, however its session is spelled.
#include "DesktopTest.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QImage>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

// The desktop's notification service, taking down the summary of each notification.
class NotificationService : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() != QLatin1String("Notify") || message.arguments().size() < 4)
            return false;
        summaries.append(message.arguments().at(3).toString());
        connection.send(message.createReply(QVariantList{uint(summaries.size())}));
        return true;
    }
    QStringList summaries;
};

} // namespace

TEST(RunTavlen, APrivateDisplayHasALightDesktop)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("desktop.png"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    DesktopTest::ChildProcess script(QStringLiteral(TAVLEN_SOURCE_DIR "/scripts/run-tavlen"),
                                     {QStringLiteral("/usr/bin/import"), QStringLiteral("-window"),
                                      QStringLiteral("root"), picture},
                                     environment);
    ASSERT_EQ(script.waitForExit(60000), 0) << script.output().constData();
    QImage desktop;
    ASSERT_TRUE(desktop.load(picture)) << script.output().constData();
    for (const QPoint point : {QPoint(100, 500), QPoint(2500, 900)}) {
        const QColor colour = desktop.pixelColor(point);
        EXPECT_GT(colour.lightness(), 180) << "at " << point.x() << "," << point.y() << ": " << colour.name().toStdString();
    }
}

// Started again on the same display spelled another way, or without the runtime folder, Tavlen says on
// standard error and in one notification that it already runs, and leaves the history to the first.
TEST(RunTavlen, ASecondStartOfOneHistoryLeavesItToTheFirst)
{
    TAVLEN_REQUIRE_DESKTOP();
    NotificationService notifications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    const QString program = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../tavlen"));
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.setProcessEnvironment(environment);
    first.start(program);
    QByteArray firstOutput;
    ASSERT_TRUE(DesktopTest::waitUntil([&] {
        firstOutput += first.readAll();
        return firstOutput.contains("tavlen: running");
    }, 30000)) << firstOutput.constData();

    const QString display = environment.value(QStringLiteral("DISPLAY")); // ":N"
    struct Row {
        QString display;
        bool runtimeFolder;
    };
    const Row rows[] = {{display + QStringLiteral(".0"), true}, {QStringLiteral("unix") + display, true}, {display, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.display.toStdString());
        QProcessEnvironment other = environment;
        other.insert(QStringLiteral("DISPLAY"), row.display);
        if (!row.runtimeFolder)
            other.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        QProcess second;
        second.setProcessChannelMode(QProcess::MergedChannels);
        second.setProcessEnvironment(other);
        second.start(program);
        const bool ended = DesktopTest::waitUntil([&] { return second.state() == QProcess::NotRunning; }, 30000);
        const QByteArray output = second.readAll();
        if (!ended) {
            second.kill();
            second.waitForFinished(5000);
        }
        EXPECT_TRUE(ended) << output.constData();
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(output.contains("tavlen: Tavlen is already running.")) << output.constData();
    }
    EXPECT_EQ(notifications.summaries.filter(QStringLiteral("already running")).size(), std::size(rows))
        << notifications.summaries.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return first.state() == QProcess::NotRunning; }, 30000));
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

// A keyring library without its functions (a stub, or a broken copy) is named by the loader before any of
// Tavlen runs (`--version` shows it without a race): it never runs half-way and ends at its first use of the keyring.
TEST(RunTavlen, ABrokenKeyringLibraryIsNamedBeforeTavlenStarts)
{
    TAVLEN_REQUIRE_DESKTOP();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                       QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("broken-libsecret")));
    for (const QStringList &arguments : {QStringList(), QStringList{QStringLiteral("--version")}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        QProcess tavlen;
        tavlen.setProcessChannelMode(QProcess::MergedChannels);
        tavlen.setProcessEnvironment(environment);
        tavlen.start(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../tavlen")), arguments);
        const bool ended = DesktopTest::waitUntil([&] { return tavlen.state() == QProcess::NotRunning; }, 30000);
        const QByteArray output = tavlen.readAll();
        if (!ended) {
            tavlen.terminate();
            tavlen.waitForFinished(10000);
        }
        EXPECT_TRUE(ended) << output.constData();
        EXPECT_NE(tavlen.exitCode(), 0);
        EXPECT_TRUE(output.contains("undefined symbol: secret_")) << output.constData();
        EXPECT_FALSE(output.contains("tavlen: running") || output.contains("tavlen 0")) << output.constData();
    }
}
