// Super+Shift+1 on the real desktop, through the whole program as it starts: the launcher of the monitor
// under the pointer expands, a second press keeps it open, and a press on the other monitor moves the
// expanded launcher there at once.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "platform/Screens.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

bool xdotool(const QStringList &arguments)
{
    return DesktopTest::run(QStringLiteral("xdotool"), arguments).succeeded();
}

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
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));

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

    // Pointer on the second monitor, away from its launcher's hover zone.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("2400"), QStringLiteral("600")}));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(right->isExpanded(), 3000);
    EXPECT_FALSE(left->isExpanded());
    DesktopTest::waitUntil([] { return false; }, 700); // let the expansion animation finish
    DesktopTest::screenshot(QStringLiteral("hotkey-right-expanded"));

    // A second press keeps it open.
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    DesktopTest::waitUntil([] { return false; }, 400);
    EXPECT_TRUE(right->isExpanded());

    // On the first monitor the hot key expands its launcher and collapses the other at once.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(left->isExpanded(), 3000);
    EXPECT_FALSE(right->isExpanded());

    delegate.stop();
    EXPECT_TRUE(delegate.launcherService()->windows().isEmpty());
}
