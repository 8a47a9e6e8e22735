#include "platform/sim/SimClock.h"
#include "platform/sim/SimEventMonitors.h"

#include <gtest/gtest.h>

namespace {

struct SimEventMonitorsTest : ::testing::Test {
    SimClock clock;
    SimEventMonitors monitors{clock};
};

TEST_F(SimEventMonitorsTest, LocalMonitorsRunInOrderUntilOneConsumes)
{
    QStringList calls;
    monitors.addLocalKeyDownMonitor([&](const KeyDownEvent &) {
        calls << "first";
        return EventDisposition::Pass;
    });
    monitors.addLocalKeyDownMonitor([&](const KeyDownEvent &e) {
        calls << "second";
        return e.key == Qt::Key_Escape ? EventDisposition::Consume : EventDisposition::Pass;
    });
    monitors.addLocalKeyDownMonitor([&](const KeyDownEvent &) {
        calls << "third";
        return EventDisposition::Pass;
    });
    EXPECT_EQ(monitors.sendLocalKeyDown(monitors.keyDown(Qt::Key_Escape)), EventDisposition::Consume);
    EXPECT_EQ(calls, (QStringList{"first", "second"}));
    calls.clear();
    EXPECT_EQ(monitors.sendLocalKeyDown(monitors.keyDown(Qt::Key_Return)), EventDisposition::Pass);
    EXPECT_EQ(calls.size(), 3);
}

TEST_F(SimEventMonitorsTest, MouseMonitorsSeeOnlyTheirButtons)
{
    int left = 0, any = 0;
    monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &) { ++left; });
    monitors.addGlobalMouseDownMonitor(MouseButtonMask::Any, [&](const MouseDownEvent &) { ++any; });
    MouseDownEvent right = monitors.leftMouseDown({5, 5});
    right.button = MouseButton::Right;
    monitors.sendGlobalMouseDown(right);
    monitors.sendGlobalMouseDown(monitors.leftMouseDown({5, 5}, 2, Qt::MetaModifier));
    EXPECT_EQ(left, 1);
    EXPECT_EQ(any, 2);
}

TEST_F(SimEventMonitorsTest, AHandlerMayRemoveItselfAndOthersWhileDispatching)
{
    std::optional<MonitorToken> self, other;
    int otherCalls = 0;
    self = monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &) {
        monitors.removeMonitor(*self);
        monitors.removeMonitor(*other);
        return EventDisposition::Pass;
    });
    other = monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &) {
        ++otherCalls;
        return EventDisposition::Pass;
    });
    monitors.sendLocalMouseDown(monitors.leftMouseDown({0, 0}));
    EXPECT_EQ(otherCalls, 0);
    EXPECT_EQ(monitors.monitorCount(), 0);
    monitors.removeMonitor(*self); // removing twice is harmless
}

TEST_F(SimEventMonitorsTest, MonitorsThatCannotBeInstalledAnswerNoToken)
{
    monitors.setGlobalMonitoringAvailable(false);
    EXPECT_FALSE(monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left, [](const MouseDownEvent &) {}));
    EXPECT_TRUE(monitors.addLocalScrollMonitor([](const ScrollEvent &) { return EventDisposition::Pass; }));
    monitors.setInstallationFails(true);
    EXPECT_FALSE(monitors.addLocalScrollMonitor([](const ScrollEvent &) { return EventDisposition::Pass; }));
    EXPECT_EQ(monitors.localMonitorCount(SimEventMonitors::Kind::Scroll), 1);
    EXPECT_EQ(monitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown), 0);
}

TEST_F(SimEventMonitorsTest, InjectedClicksCarryTheClockAndMoveThePointer)
{
    clock.advance(2.5);
    const MouseDownEvent event = monitors.leftMouseDown({40, 60}, 1, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(event.timestamp, clock.uptime());
    EXPECT_EQ(monitors.mouseLocation(), QPointF(40, 60));
}

} // namespace
