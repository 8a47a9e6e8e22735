// Super+Shift+1 on the real desktop, through the whole program as it starts: the launcher of the monitor
// under the pointer expands, a second press keeps it open, a press on the other monitor moves the
// expanded launcher there at once, and the keyboard goes back to the application once it collapses.

#include "DesktopTest.h"
#include "LineEditApp.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "platform/Clock.h"
#include "platform/Panel.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

NotchLauncherWindow *launcherOnMonitorAt(AppDelegate &delegate, Screens &screens, double x)
{
    for (const ScreenInfo &screen : screens.screens()) {
        if (screen.number && screen.frame.left() <= x && x < screen.frame.right())
            return delegate.launcherService()->windows().value(*screen.number);
    }
    return nullptr;
}

} // namespace

TEST(HotKeyLauncher, OpensTheLauncherUnderThePointerAndKeepsOnlyOneExpanded)
{
    TAVLEN_REQUIRE_DESKTOP();
    // A coloured desktop, so the black launchers show on the screenshot.
    DesktopTest::run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), QStringLiteral("#3a6ea5")});
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));

    LinuxPlatform platform;
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.start();
    ASSERT_NE(delegate.launcherService(), nullptr);
    Screens &screens = *platform.platform().screens;
    TAVLEN_WAIT_UNTIL(delegate.launcherService()->windows().size() == 2, 3000);

    NotchLauncherWindow *left = launcherOnMonitorAt(delegate, screens, 100);
    NotchLauncherWindow *right = launcherOnMonitorAt(delegate, screens, 2000);
    ASSERT_TRUE(left && right);
    EXPECT_FALSE(left->isExpanded());
    EXPECT_FALSE(right->isExpanded());

    // Pointer low on the second monitor, outside its launcher's hover zone and expanded frame.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("2400"), QStringLiteral("1000")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(right->isExpanded(), 3000);
    EXPECT_FALSE(left->isExpanded());
    TAVLEN_WAIT_UNTIL(!right->panel()->isAnimatingFrame(), 3000);
    DesktopTest::screenshot(QStringLiteral("hotkey-right-expanded"));

    // A second press a second later keeps it open: it renews the hover-out lock, so the panel is still
    // open after the first press's lock has run out and collapses only once the second one has.
    Clock &clock = *platform.platform().clock;
    const double firstLock = right->hoverOutLockUntil();
    TAVLEN_WAIT_UNTIL(clock.uptime() >= firstLock - 1.0, 5000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(right->hoverOutLockUntil() > firstLock, 3000);
    const double secondLock = right->hoverOutLockUntil();
    TAVLEN_WAIT_UNTIL(clock.uptime() >= firstLock + 4 * NotchLauncherWindow::pointerExitPollInterval, 5000);
    const bool stillExpanded = right->isExpanded();
    // A stalled test process may look only after the renewed lock too; then only the next check counts.
    if (clock.uptime() < secondLock) {
        EXPECT_TRUE(stillExpanded) << "collapsed before the renewed lock ran out";
    }
    TAVLEN_WAIT_UNTIL(!right->isExpanded(), 5000);
    EXPECT_GE(clock.uptime(), secondLock);

    // On the first monitor the hot key expands its launcher and collapses the other at once.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(left->isExpanded(), 3000);
    EXPECT_FALSE(right->isExpanded());

    delegate.stop();
    EXPECT_TRUE(delegate.launcherService()->windows().isEmpty());
}

TEST(HotKeyLauncher, TheKeyboardGoesBackToTheApplicationOnceTheLauncherCollapses)
{
    TAVLEN_REQUIRE_DESKTOP();
    LineEditApp app(QStringLiteral("focus-owner"));
    ASSERT_TRUE(app.waitUntilReady());
    // Pointer low on the first monitor: away from the launcher and from the application's window.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("950")}));

    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == app.pid(), 5000);
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.start();
    ASSERT_NE(delegate.launcherService(), nullptr);
    TAVLEN_WAIT_UNTIL(delegate.launcherService()->windows().size() == 2, 3000);
    NotchLauncherWindow *launcher = launcherOnMonitorAt(delegate, *platform.platform().screens, 100);
    ASSERT_TRUE(launcher);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(launcher->isExpanded() && launcher->panel()->isKey(), 3000);
    // The hover-out lock runs out and the pointer is away: it collapses by itself.
    TAVLEN_WAIT_UNTIL(!launcher->isExpanded(), 6000);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("abc")}));
    TAVLEN_WAIT_UNTIL(app.text() == QLatin1String("abc"), 5000);
    TAVLEN_WAIT_UNTIL(!launcher->panel()->isKey(), 3000);
    delegate.stop();
}
