// The X11 screens on the two-monitor test desktop: frames in the y-up space, stable numbers, and the
// pointer on the secondary monitor's top row attributed to that monitor.
#include "DesktopTest.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/linux/LinuxDesktopSwitchSignals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(LinuxScreens, ReportsBothMonitorsYUp)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxScreens screens;
    const QList<ScreenInfo> list = screens.screens();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].frame, QRectF(0, 0, 1512, 982)) << list[0].name.toStdString();
    EXPECT_EQ(list[1].frame, QRectF(1512, -98, 1920, 1080)) << list[1].name.toStdString();
    ASSERT_TRUE(list[0].number && list[1].number);
    EXPECT_NE(*list[0].number, *list[1].number);
    for (const ScreenInfo &s : list) {
        EXPECT_FALSE(s.auxiliaryTopLeftArea.has_value()) << "Linux screens have no notch";
        EXPECT_EQ(s.safeAreaTopInset, 0);
        EXPECT_GT(s.devicePixelRatio, 0);
        EXPECT_TRUE(s.frame.contains(s.availableGeometry));
    }
    ASSERT_TRUE(screens.primaryScreen().has_value());
    EXPECT_EQ(screens.primaryScreen()->number, list[0].number);

    // Numbers survive a rebuild of the list.
    LinuxScreens again;
    EXPECT_EQ(again.screens()[0].number, list[0].number);
    EXPECT_EQ(again.screens()[1].number, list[1].number);
}

TEST(LinuxScreens, PointerOnTheSecondaryTopRowIsOnTheSecondary)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxScreens screens;
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("2000"), QStringLiteral("0")}));
    TAVLEN_WAIT_UNTIL(screens.pointerLocation() == QPointF(2000, 981), 2000);
    const auto under = screens.screen(screens.pointerLocation());
    ASSERT_TRUE(under.has_value());
    EXPECT_EQ(under->frame, QRectF(1512, -98, 1920, 1080));

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("981")}));
    TAVLEN_WAIT_UNTIL(screens.pointerLocation() == QPointF(100, 0), 2000);
    EXPECT_EQ(screens.screen(screens.pointerLocation())->frame, QRectF(0, 0, 1512, 982));
}

TEST(LinuxDesktopSwitchSignals, SeesClicksAndDesktopChangesButNeverTheKeyboard)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxDesktopSwitchSignals signals_;
    ASSERT_TRUE(signals_.isAvailable()) << signals_.unavailableReason().toStdString();
    ASSERT_TRUE(signals_.startListening());
    QSignalSpy input(&signals_, &DesktopSwitchSignals::inputEvent);
    QSignalSpy desktops(&signals_, &DesktopSwitchSignals::currentDesktopChanged);
    const auto lastInput = [&] { return input.last().first().value<DesktopSwitchInputEvent>(); };

    // Keys, then a click: the click arrives after anything the keys could have produced.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+Right"), QStringLiteral("a")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    TAVLEN_WAIT_UNTIL(!input.isEmpty() && lastInput().type == DesktopSwitchInputEvent::Type::LeftMouseDown, 3000);
    EXPECT_EQ(input.count(), 1) << "a key press was seen";

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("click"), QStringLiteral("3")}));
    TAVLEN_WAIT_UNTIL(lastInput().type == DesktopSwitchInputEvent::Type::RightMouseDown, 3000);

    // Desktop switching needs a window manager with more than one desktop.
    const auto count = DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("get_num_desktops")});
    ASSERT_TRUE(count.succeeded());
    const int desktopCount = count.standardOutput.trimmed().toInt();
    ASSERT_GT(desktopCount, 1);
    const auto current = DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("get_desktop")});
    const int next = (current.standardOutput.trimmed().toInt() + 1) % desktopCount;
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("set_desktop"), QString::number(next)}));
    TAVLEN_WAIT_UNTIL(desktops.count() == 1, 3000);

    // Once it stops listening, clicks go unseen; the desktop change that follows them still arrives.
    signals_.stopListening();
    const qsizetype before = input.count();
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("set_desktop"), current.standardOutput.trimmed()}));
    TAVLEN_WAIT_UNTIL(desktops.count() == 2, 3000);
    EXPECT_EQ(input.count(), before);
}

} // namespace
