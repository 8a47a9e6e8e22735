// What scripts/test-env promises every desktop test: two monitors, a window manager, a private session bus,
// the accessibility bus switched on, an unlocked secret service, and a home that is not the user's.
#include "DesktopTest.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }
};

// Reads a window id from xprop's "NAME(WINDOW): window id # 0x123" line; empty when absent.
QString windowProperty(const QStringList &target, const QString &property)
{
    const auto result = DesktopTest::run(QStringLiteral("xprop"), target + QStringList{property});
    const QString text = QString::fromLatin1(result.standardOutput).trimmed();
    const qsizetype hash = text.lastIndexOf(QLatin1Char('#'));
    if (!result.succeeded() || hash < 0)
        return {};
    return text.mid(hash + 1).trimmed();
}

// Plain messages rather than QDBusInterface, which introspects the remote object and never frees what it built.
QDBusMessage callMethod(const QString &service, const QString &path, const QString &interface, const QString &method,
                        const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QVariant dbusProperty(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    const QDBusReply<QDBusVariant> reply = callMethod(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"), {interface, name});
    return reply.isValid() ? reply.value().variant() : QVariant();
}

TEST_F(EnvironmentTest, TwoMonitorsSideBySideWithTheSmallerOnePrimary)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    QList<QRect> geometries;
    for (const QScreen *screen : screens)
        geometries.append(screen->geometry());
    EXPECT_TRUE(geometries.contains(QRect(0, 0, 1512, 982))) << "left monitor missing";
    EXPECT_TRUE(geometries.contains(QRect(1512, 0, 1920, 1080))) << "right monitor missing";
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1512, 982));
    for (const QScreen *screen : screens)
        EXPECT_NEAR(screen->physicalDotsPerInch(), 96.0, 1.0) << screen->name().toStdString();
}

TEST_F(EnvironmentTest, WindowManagerIsRunningAndSupportsActiveWindow)
{
    const QString check = windowProperty({QStringLiteral("-root")}, QStringLiteral("_NET_SUPPORTING_WM_CHECK"));
    ASSERT_FALSE(check.isEmpty()) << "no window manager on the root window";
    // A stale property can outlive a dead window manager; a live one's check window points to itself.
    EXPECT_EQ(windowProperty({QStringLiteral("-id"), check}, QStringLiteral("_NET_SUPPORTING_WM_CHECK")), check);

    const auto supported = DesktopTest::run(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTED"});
    ASSERT_TRUE(supported.succeeded()) << supported.error.toStdString();
    EXPECT_TRUE(supported.standardOutput.contains("_NET_ACTIVE_WINDOW"));
}

TEST_F(EnvironmentTest, PrivateSessionBus)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_FALSE(address.isEmpty());
    // The caller's session must not leak in; the accessibility bus is found through org.a11y.Bus only.
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("AT_SPI_BUS_ADDRESS"));
}

TEST_F(EnvironmentTest, AccessibilityBusAnswersAndIsEnabled)
{
    const QDBusReply<QString> address = callMethod(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                   QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    ASSERT_TRUE(address.isValid()) << address.error().message().toStdString();
    EXPECT_TRUE(address.value().startsWith(QLatin1String("unix:"))) << address.value().toStdString();

    const QVariant enabled = dbusProperty(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                          QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"));
    EXPECT_EQ(enabled, QVariant(true));
}

TEST_F(EnvironmentTest, SecretServiceHasAnUnlockedDefaultCollection)
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value());

    const QDBusReply<QDBusObjectPath> collection =
        callMethod(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                   QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("ReadAlias"),
                   {QStringLiteral("default")});
    ASSERT_TRUE(collection.isValid()) << collection.error().message().toStdString();
    ASSERT_NE(collection.value().path(), QLatin1String("/")) << "no default collection";

    const QVariant locked = dbusProperty(QStringLiteral("org.freedesktop.secrets"), collection.value().path(),
                                         QStringLiteral("org.freedesktop.Secret.Collection"), QStringLiteral("Locked"));
    EXPECT_EQ(locked, QVariant(false)) << "the keyring is locked: storing secrets would fail";
}

TEST_F(EnvironmentTest, HomeAndRuntimeDirectoryArePrivate)
{
    const QString home = QDir::homePath();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    // Both live in the environment's own temporary directory, which goes away with it.
    const QString root = qEnvironmentVariable("TAVLEN_DESKTOP_ID");
    ASSERT_FALSE(root.isEmpty());
    EXPECT_TRUE(home.startsWith(root)) << home.toStdString();
    EXPECT_TRUE(runtime.startsWith(root)) << runtime.toStdString();
    EXPECT_TRUE(qEnvironmentVariable("XDG_CONFIG_HOME").startsWith(home));
    EXPECT_TRUE(qEnvironmentVariable("XDG_DATA_HOME").startsWith(home));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(QFileInfo(runtime).permissions() & others)
        << "XDG_RUNTIME_DIR must be private (0700)";
}

// Programs the tests drive get Qt's accessibility switched on and go away with their ChildProcess.
TEST_F(EnvironmentTest, ChildProcessesRegisterForAccessibilityAndEndWithTheirOwner)
{
    qint64 pid = 0;
    {
        DesktopTest::ChildProcess child(QStringLiteral("/bin/sh"),
                                        {QStringLiteral("-c"),
                                         QStringLiteral("echo starting; echo \"ready $QT_LINUX_ACCESSIBILITY_ALWAYS_ON\"; "
                                                        "exec sleep 60")});
        const std::optional<QByteArray> line = child.waitForLine("ready");
        ASSERT_TRUE(line.has_value()) << child.output().constData();
        EXPECT_EQ(*line, "ready 1");
        pid = child.pid();
        ASSERT_GT(pid, 0);
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid))) << "the child outlived its owner";

    // A child that exits without the line ends the wait when it exits: the timeout here is longer than
    // the test is allowed to run, so only the exit can end it.
    DesktopTest::ChildProcess quiet(QStringLiteral("/bin/true"));
    EXPECT_FALSE(quiet.waitForLine("ready", 3600 * 1000).has_value());
    EXPECT_FALSE(quiet.isRunning());
}

// Also exercises the screenshot helper: a window placed exactly on the right monitor shows up in the root image.
TEST_F(EnvironmentTest, ScreenshotShowsAWindowOnTheRightMonitor)
{
    QWidget window(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(200, 30, 40));
    window.setPalette(palette);
    window.setGeometry(2000, 300, 240, 120);
    window.show();
    TAVLEN_WAIT_UNTIL(window.isVisible() && window.windowHandle()->isExposed(), 3000);

    QImage shot;
    QString error;
    // The first exposure may come before the paint reaches the server: wait for the colour, not a fixed time.
    const bool painted = DesktopTest::waitUntil(
        [&] {
            shot = DesktopTest::screenshot(QStringLiteral("environment-right-monitor"), &error);
            return !shot.isNull() && shot.pixelColor(2120, 360) == QColor(200, 30, 40);
        },
        5000);
    ASSERT_FALSE(shot.isNull()) << error.toStdString();
    EXPECT_EQ(shot.size(), QSize(3432, 1080));
    EXPECT_TRUE(painted) << "pixel is " << shot.pixelColor(2120, 360).name().toStdString();
    EXPECT_NE(shot.pixelColor(1000, 360), QColor(200, 30, 40));
}

} // namespace
