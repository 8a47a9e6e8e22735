// The launcher on the real two-monitor desktop (LEFT 1512x982 at 0,0; RIGHT 1920x1080 at 1512,0): a collapsed
// launcher hangs at the top centre of each monitor, the pointer entering one expands it, leaving collapses
// it again once the hover-out lock has passed.
#include "DesktopTest.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "platform/Clock.h"
#include "platform/Panel.h"
#include "platform/Screens.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"


#include <gtest/gtest.h>

namespace {

// Moves the pointer to a pixel (y down from the top of the desktop).
bool movePointerTo(int x, int y)
{
    return DesktopTest::xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
}

const QColor desktopColour(58, 110, 165);

bool isDesktop(const QColor &c)
{
    return qAbs(c.red() - desktopColour.red()) < 8 && qAbs(c.green() - desktopColour.green()) < 8
        && qAbs(c.blue() - desktopColour.blue()) < 8;
}

bool isDark(const QColor &c)
{
    return c.red() < 40 && c.green() < 40 && c.blue() < 40;
}

class LauncherDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        ASSERT_TRUE(DesktopTest::run(QStringLiteral("xsetroot"), {QStringLiteral("-solid"), desktopColour.name()})
                        .succeeded());
        ASSERT_TRUE(movePointerTo(700, 600));
        platform = std::make_unique<LinuxPlatform>();
        const Platform p = platform->platform();
        appState = std::make_unique<AppState>(p);
        history = std::make_unique<ClipboardHistoryManager>(*p.clock, nullptr);
        for (const char *text : {"Quarterly figures", "https://example.org/tavlen", "Meeting at 10:30"}) {
            ClipboardItem item(QUuid::createUuid());
            item.setTypeRawValue(QStringLiteral("text"));
            item.setText(QString::fromUtf8(text));
            item.setDate(p.clock->now());
            history->handleItemInserted(item);
        }
        service = std::make_unique<NotchLauncherService>(p, appState.get(), history.get());
        service->refreshWindows();
        service->observeScreenChanges();
        service->desktopSwitchMonitor().start();
        service->observeSettingsChanges();
    }

    void TearDown() override
    {
        if (service)
            service->stop();
        service.reset();
    }

    NotchLauncherWindow *launcherAt(QPointF point) { return service->window(point, service->windows()); }

    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<AppState> appState;
    std::unique_ptr<ClipboardHistoryManager> history;
    std::unique_ptr<NotchLauncherService> service;
};

TEST_F(LauncherDesktop, CollapsedLaunchersHangAtTheTopCentreOfBothMonitorsAndOpenOnHover)
{
    const QList<ScreenInfo> screens = platform->platform().screens->screens();
    ASSERT_EQ(screens.size(), 2);
    ASSERT_EQ(service->windows().size(), 2);

    // Both collapsed, centred at the top edge of their monitor.
    for (const ScreenInfo &screen : screens) {
        SCOPED_TRACE(screen.name.toStdString());
        NotchLauncherWindow *window = service->windows().value(*screen.number);
        ASSERT_TRUE(window);
        EXPECT_FALSE(window->isExpanded());
        TAVLEN_WAIT_UNTIL(window->panel()->isVisible(), 3000);
        const QRectF frame = window->panel()->frame();
        EXPECT_NEAR(frame.center().x(), screen.frame.center().x(), 0.5);
        EXPECT_NEAR(frame.y() + frame.height(), screen.frame.y() + screen.frame.height() + 1, 0.5);
        EXPECT_EQ(frame, window->collapsedFrame());
    }
    const QImage collapsed = DesktopTest::screenshotWhen(QStringLiteral("launcher-both-collapsed"), [](const QImage &i) {
        return isDark(i.pixelColor(756, 4)) && isDark(i.pixelColor(1512 + 960, 4));
    });
    ASSERT_FALSE(collapsed.isNull());
    // The drawn notches: dark at the top centre of each monitor, the desktop beside them.
    EXPECT_TRUE(isDark(collapsed.pixelColor(756, 4)));
    EXPECT_TRUE(isDark(collapsed.pixelColor(1512 + 960, 4)));
    EXPECT_TRUE(isDesktop(collapsed.pixelColor(756 - 150, 4)));
    EXPECT_TRUE(isDesktop(collapsed.pixelColor(1512 + 960 + 150, 4)));
    EXPECT_TRUE(isDesktop(collapsed.pixelColor(756, 120)));

    // The pointer enters the right monitor's notch: only that launcher opens.
    NotchLauncherWindow *left = service->windows().value(*screens[0].number);
    NotchLauncherWindow *right = service->windows().value(*screens[1].number);
    ASSERT_TRUE(movePointerTo(1512 + 960, 6));
    TAVLEN_WAIT_UNTIL(right->isExpanded(), 3000);
    EXPECT_FALSE(left->isExpanded());
    const QRectF expandedFrame = right->expandedFrame();
    TAVLEN_WAIT_UNTIL(right->panel()->frame() == expandedFrame, 3000);
    // The expanded panel reaches well below the collapsed notch (its list area is glass, not the desktop);
    // the left one is still collapsed.
    const int panelBottom = int(expandedFrame.height()) - 12;
    const QImage expanded = DesktopTest::screenshotWhen(QStringLiteral("launcher-right-expanded"), [&](const QImage &i) {
        return !isDesktop(i.pixelColor(1512 + 960, panelBottom)) && isDark(i.pixelColor(1512 + 960 - 200, 40));
    });
    ASSERT_FALSE(expanded.isNull());
    EXPECT_FALSE(isDesktop(expanded.pixelColor(1512 + 960, panelBottom)));
    EXPECT_EQ(expanded.pixelColor(1512 + 960, panelBottom).alpha(), 255);
    // The header band is black in either colour scheme (between the tabs and the search area).
    EXPECT_TRUE(isDark(expanded.pixelColor(1512 + 960 - 150, 23)));
    EXPECT_TRUE(isDesktop(expanded.pixelColor(756, 120)));
    EXPECT_TRUE(isDark(expanded.pixelColor(756, 4)));
    // Nothing composites here: the window's shape and its drawing meet pixel for pixel, with no black dots
    // left around the panel's rounded bottom corners.
    const int cornerLeft = int(expandedFrame.x() + NotchPanelGeometry::expandedShoulderDepth) + 1;
    int cornerBottom = 40;
    while (cornerBottom < expanded.height() && !isDesktop(expanded.pixelColor(1512 + 960, cornerBottom)))
        ++cornerBottom;
    const QColor glass = expanded.pixelColor(cornerLeft + 16, cornerBottom - 3);
    int dots = 0;
    for (int y = cornerBottom - 14; y < cornerBottom; ++y) {
        for (int x = cornerLeft; x < cornerLeft + 14; ++x)
            dots += expanded.pixelColor(x, y).lightness() + 40 < std::min(glass.lightness(), desktopColour.lightness());
    }
    EXPECT_EQ(dots, 0);

    // Moving into the other monitor's notch collapses this one at once and opens that one.
    ASSERT_TRUE(movePointerTo(756, 6));
    TAVLEN_WAIT_UNTIL(left->isExpanded(), 3000);
    EXPECT_FALSE(right->isExpanded());

    // Leaving: the panel stays until the hover-out lock has passed, then collapses.
    ASSERT_TRUE(movePointerTo(700, 700));
    const Clock &clock = *platform->platform().clock;
    const double lockUntil = left->hoverOutLockUntil();
    TAVLEN_WAIT_UNTIL(!left->isExpanded(), 3000);
    EXPECT_GE(clock.uptime(), lockUntil);
    TAVLEN_WAIT_UNTIL(left->panel()->frame() == left->collapsedFrame(), 3000);
    const QImage again = DesktopTest::screenshotWhen(QStringLiteral("launcher-collapsed-again"), [](const QImage &i) {
        return isDesktop(i.pixelColor(756, 120)) && isDark(i.pixelColor(756, 4));
    });
    ASSERT_FALSE(again.isNull());
    EXPECT_TRUE(isDesktop(again.pixelColor(756, 120)));
    EXPECT_TRUE(isDark(again.pixelColor(756, 4)));
}

} // namespace
