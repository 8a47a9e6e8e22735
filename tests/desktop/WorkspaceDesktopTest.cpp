// Applications on the real desktop: which one is in front (pid and WM_CLASS), bringing another one to the
// front, the activation and desktop-change signals, and the permission checks.

#include "DesktopTest.h"

#include "platform/Permissions.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>

#include <csignal>

namespace {

DesktopTest::ChildProcess *startApp(const QString &name)
{
    return new DesktopTest::ChildProcess(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                         {QStringLiteral("--name"), name, QStringLiteral("--title"), name});
}

bool isFront(Workspace &workspace, qint64 pid)
{
    const auto front = workspace.frontmostApplication();
    return front && front->pid == pid;
}

} // namespace

TEST(WorkspaceDesktop, FrontmostApplicationAndActivation)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    ASSERT_TRUE(workspace.isAvailable());

    std::unique_ptr<DesktopTest::ChildProcess> alpha(startApp(QStringLiteral("alpha")));
    ASSERT_TRUE(alpha->waitForLine("ready")) << alpha->output().constData();
    TAVLEN_WAIT_UNTIL(isFront(workspace, alpha->pid()), 5000);

    std::unique_ptr<DesktopTest::ChildProcess> beta(startApp(QStringLiteral("beta")));
    ASSERT_TRUE(beta->waitForLine("ready")) << beta->output().constData();
    TAVLEN_WAIT_UNTIL(isFront(workspace, beta->pid()), 5000);

    // An application is known by its WM_CLASS class, also where the instance differs (a terminal's server,
    // a file manager's lower-case name).
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("set_window"), QStringLiteral("--classname"), QStringLiteral("beta-server"),
                                      QString::number(workspace.frontmostApplication()->window)}));
    const RunningApplication front = *workspace.frontmostApplication();
    EXPECT_EQ(front.applicationId.toStdString(), "beta") << "WM_CLASS class of a Qt application is its name";
    EXPECT_TRUE(front.isRegular);
    EXPECT_NE(front.window, 0u);
    EXPECT_FALSE(workspace.isCurrentApplication(front));
    EXPECT_EQ(workspace.currentApplication().pid, QCoreApplication::applicationPid());
    EXPECT_FALSE(workspace.isTerminated(front));

    const auto alphaApp = workspace.application(alpha->pid());
    ASSERT_TRUE(alphaApp);
    EXPECT_EQ(alphaApp->applicationId, QStringLiteral("alpha"));
    EXPECT_FALSE(workspace.isActive(*alphaApp));

    QSignalSpy activated(&workspace, &Workspace::applicationActivated);
    ASSERT_TRUE(workspace.activate(*alphaApp));
    TAVLEN_WAIT_UNTIL(workspace.isActive(*alphaApp), 3000);
    // (The spy may first see beta's own activation, reported after the spy was made.)
    const auto alphaActivated = [&] {
        return !activated.isEmpty() && activated.last().first().value<RunningApplication>().pid == alpha->pid();
    };
    TAVLEN_WAIT_UNTIL(alphaActivated(), 2000);
    EXPECT_FALSE(workspace.isActive(front));

    // An application that has quit cannot be activated, even while its window is still listed.
    beta.reset();
    TAVLEN_WAIT_UNTIL(workspace.isTerminated(front), 3000);
    EXPECT_FALSE(workspace.activate(front));
}

// A copy is labelled with the program that made it, also when its owner window tells nothing (a bare xcb
// window; Qt's clipboard window carries no pid or class), never with the window in front.
TEST(WorkspaceDesktop, ClipboardOwnerIsTheCopyingProgram)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    std::unique_ptr<DesktopTest::ChildProcess> front(startApp(QStringLiteral("front")));
    ASSERT_TRUE(front->waitForLine("ready")) << front->output().constData();
    TAVLEN_WAIT_UNTIL(isFront(workspace, front->pid()), 5000);

    DesktopTest::ChildProcess copier(DesktopTest::helperPath(QStringLiteral("clipboard_copier")),
                                     {QStringLiteral("--count"), QStringLiteral("1")});
    ASSERT_TRUE(copier.waitForLine("copy 1")) << copier.output().constData();
    std::optional<RunningApplication> owner = workspace.clipboardOwner().application;
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->pid, copier.pid());
    EXPECT_EQ(owner->name.toStdString(), "clipboard_copier");
    EXPECT_FALSE(workspace.isCurrentApplication(*owner));

    DesktopTest::ChildProcess qtOwner(DesktopTest::helperPath(QStringLiteral("qt_clipboard_owner")));
    ASSERT_TRUE(qtOwner.waitForLine("ready")) << qtOwner.output().constData();
    owner = workspace.clipboardOwner().application;
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->pid, qtOwner.pid());
    EXPECT_EQ(owner->name.toStdString(), "qt_clipboard_owner");
}

TEST(WorkspaceDesktop, DesktopChangesAreReportedOnce)
{
    TAVLEN_REQUIRE_DESKTOP();
    // Earlier tests on this desktop may have left another desktop current: start from the first.
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")}).succeeded());
    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    QSignalSpy changed(&workspace, &Workspace::currentDesktopChanged);

    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")}).succeeded());
    TAVLEN_WAIT_UNTIL(changed.size() == 1, 3000);
    // Setting the same desktop again is no change.
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")}).succeeded());
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")}).succeeded());
    TAVLEN_WAIT_UNTIL(changed.size() == 2, 3000);
    // One more real change: a repeated report of the earlier ones would have come before it.
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")}).succeeded());
    TAVLEN_WAIT_UNTIL(changed.size() >= 3, 3000);
    EXPECT_EQ(changed.size(), 3);
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")}).succeeded());
}

// Switches accessibility on the test desktop's bus on or off, as a settings tool would.
static bool setAccessibilityEnabled(bool on)
{
    return DesktopTest::run(QStringLiteral("dbus-send"),
                            {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                             QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                             QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                             QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
                             on ? QStringLiteral("variant:boolean:true") : QStringLiteral("variant:boolean:false")})
        .succeeded();
}

TEST(WorkspaceDesktop, PermissionsOnTheTestDesktop)
{
    TAVLEN_REQUIRE_DESKTOP();
    ASSERT_TRUE(setAccessibilityEnabled(false));
    LinuxPlatform platform;
    Permissions &permissions = *platform.platform().permissions;
    EXPECT_TRUE(permissions.canPostEvents()) << "Xvfb has XTest";
    EXPECT_TRUE(permissions.requestEventPosting());
    // Asked before the bus answered the start's question: the request waits for that answer.
    permissions.requestTrust();
    TAVLEN_WAIT_UNTIL(permissions.isTrusted(), 5000);
    EXPECT_TRUE(permissions.requestTrust()) << "the accessibility bus runs and can be enabled";
}

// Trust is read from what the platform keeps: a hung accessibility bus does not turn a check into a
// failure (or a wait), and switching accessibility off and on is followed through its change signal.
TEST(WorkspaceDesktop, TrustFollowsTheAccessibilityBusWithoutAskingIt)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPlatform platform;
    Permissions &permissions = *platform.platform().permissions;
    TAVLEN_WAIT_UNTIL(permissions.isTrusted(), 5000);
    QSignalSpy changed(&permissions, &Permissions::changed);

    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    ASSERT_TRUE(bus);
    const uint launcher = bus->servicePid(QStringLiteral("org.a11y.Bus")).value();
    ASSERT_GT(launcher, 0u);
    ASSERT_EQ(::kill(pid_t(launcher), SIGSTOP), 0);
    const bool trustedWhileHung = permissions.isTrusted();
    ::kill(pid_t(launcher), SIGCONT);
    EXPECT_TRUE(trustedWhileHung) << "the check asked the bus, which did not answer";

    ASSERT_TRUE(setAccessibilityEnabled(false));
    TAVLEN_WAIT_UNTIL(!permissions.isTrusted(), 5000);
    EXPECT_EQ(changed.count(), 1);
    // Asking switches it back on without waiting; the answer arrives as a change.
    permissions.requestTrust();
    TAVLEN_WAIT_UNTIL(permissions.isTrusted(), 5000);
    EXPECT_EQ(changed.count(), 2);
    ASSERT_TRUE(setAccessibilityEnabled(true));
}
