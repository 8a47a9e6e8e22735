// Super+Shift+1 on the real desktop, through the whole program as it starts: the launcher of the monitor
// under the pointer expands and stays while the pointer rests elsewhere, a press on the other monitor moves
// the expanded launcher there at once; the keys typed meanwhile stay in the launcher, and Escape gives the
// keyboard back to the application.

#include "DesktopTest.h"
#include "LineEditApp.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchLauncherView.h"
#include "platform/Clock.h"
#include "platform/Panel.h"
#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

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

    // The pointer resting elsewhere does not collapse it, long after its hover-out lock has run out.
    Clock &clock = *platform.platform().clock;
    const double lock = right->hoverOutLockUntil();
    TAVLEN_WAIT_UNTIL(clock.uptime() >= lock + 4 * NotchLauncherWindow::pointerExitPollInterval, 8000);
    EXPECT_TRUE(right->isExpanded());

    // On the first monitor the hot key expands its launcher and collapses the other at once.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(left->isExpanded(), 3000);
    EXPECT_FALSE(right->isExpanded());

    delegate.stop();
    EXPECT_TRUE(delegate.launcherService()->windows().isEmpty());
}

// A line edit application in front with the keyboard, the pointer low on the first monitor (away from the
// launcher and from the application's window), and Tavlen started: its launcher on the first monitor.
class HotKeyLauncherBesideAnApplication : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        ASSERT_TRUE(app.waitUntilReady());
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("950")}));
        Workspace &workspace = *platform.platform().workspace;
        TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == app.pid(), 5000);
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("document")}));
        TAVLEN_WAIT_UNTIL(app.text() == QLatin1String("document"), 5000);
        delegate = std::make_unique<AppDelegate>(platform.platform(), LaunchOptions{});
        delegate->start();
        ASSERT_NE(delegate->launcherService(), nullptr);
        TAVLEN_WAIT_UNTIL(delegate->launcherService()->windows().size() == 2, 3000);
        launcher = launcherOnMonitorAt(*delegate, *platform.platform().screens, 100);
        ASSERT_TRUE(launcher);
    }
    void TearDown() override
    {
        if (delegate)
            delegate->stop();
    }

    LineEditApp app{QStringLiteral("focus-owner")};
    LinuxPlatform platform;
    std::unique_ptr<AppDelegate> delegate;
    NotchLauncherWindow *launcher = nullptr;
};

TEST_F(HotKeyLauncherBesideAnApplication, KeysTypedWithThePointerElsewhereStayInTheLauncherUntilEscape)
{
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(launcher->isExpanded() && launcher->panel()->hasKeyboard(), 3000);
    NotchLauncherView *view = launcher->view();
    ASSERT_TRUE(view);
    TAVLEN_WAIT_UNTIL(view->isClipboardSearchFocused(), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
                                      QStringLiteral("bulok")}));
    TAVLEN_WAIT_UNTIL(view->clipboardSearchQuery() == QStringLiteral("bulok"), 5000);
    // Well past the lock of the hot key and of the last key, the pointer still away: open, with the keyboard.
    Clock &clock = *platform.platform().clock;
    const double lock = launcher->hoverOutLockUntil();
    TAVLEN_WAIT_UNTIL(clock.uptime() >= lock + 1.0, 8000);
    EXPECT_TRUE(launcher->isExpanded());
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("word")}));
    TAVLEN_WAIT_UNTIL(view->clipboardSearchQuery() == QLatin1String("word"), 5000);
    EXPECT_EQ(app.text(), QLatin1String("document"));

    // Escape: the launcher collapses and the application has the keyboard again.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    TAVLEN_WAIT_UNTIL(!launcher->isExpanded(), 3000);
    TAVLEN_WAIT_UNTIL(!launcher->panel()->hasKeyboard(), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("abc")}));
    TAVLEN_WAIT_UNTIL(app.text() == QLatin1String("documentabc"), 5000);
}

// The keyboard alone: Tab leaves the search field for the list, a second Tab stays there, Shift+Tab goes back
// to the field, Escape closes the launcher.
TEST_F(HotKeyLauncherBesideAnApplication, TabShiftTabAndEscapeWalkTheLauncherByKeyboard)
{
    ASSERT_TRUE(DesktopTest::copyWithXclip("walked by keyboard"));
    ClipboardHistoryManager &history = delegate->history();
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QLatin1String("walked by keyboard"),
                      5000);
    // The hot key right after the copy, while the logo pulses and the list catches up as the panel opens,
    // and typing as soon as the launcher has the keyboard, before its search field has the caret: every
    // letter goes into the search field.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(launcher->isExpanded() && launcher->panel()->hasKeyboard(), 3000);
    NotchLauncherView *view = launcher->view();
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("walk")}));
    TAVLEN_WAIT_UNTIL(view->searchField()->hasFocus() && view->clipboardSearchQuery() == QLatin1String("walk"), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Tab")}));
    TAVLEN_WAIT_UNTIL(!view->isClipboardSearchFocused(), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Tab")}));
    // The second Tab leaves the keyboard on the list, where Shift+Tab finds it.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("shift+Tab")}));
    TAVLEN_WAIT_UNTIL(view->isClipboardSearchFocused(), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("ed")}));
    TAVLEN_WAIT_UNTIL(view->clipboardSearchQuery() == QLatin1String("walked"), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    TAVLEN_WAIT_UNTIL(!launcher->isExpanded() && !launcher->panel()->hasKeyboard(), 3000);
    EXPECT_EQ(app.text(), QLatin1String("document"));
}
