// Desktop-switch suspension: the state table, the 0.65 s resume and stopping mid-transition.
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {


struct MonitorFixture : ::testing::Test {
    SimPlatform sim;
    int suspends = 0;
    QList<bool> resumes;
    NotchDesktopSwitchMonitor monitor{sim.desktopSwitchSignals, sim.clock};

    void SetUp() override
    {
        QObject::connect(&monitor, &NotchDesktopSwitchMonitor::suspendRequested, [this] { ++suspends; });
        QObject::connect(&monitor, &NotchDesktopSwitchMonitor::restoreRequested,
                         [this](bool changed) { resumes.append(changed); });
        monitor.start();
    }
    NotchDesktopSwitchState state(bool suspended, bool gesture, bool changed)
    {
        return NotchDesktopSwitchState{suspended, gesture, changed};
    }
};

enum class Event { swipeBegan, swipeChanged, swipeEnded, swipeCancelled, otherGesture, controlArrow, desktopChanged, sleep, click };
enum class Start { idle, swiping, settling };

void send(SimPlatform &sim, Event event)
{
    switch (event) {
    case Event::swipeBegan:
        return sim.desktopSwitchSignals.swipe(1);
    case Event::swipeChanged:
        return sim.desktopSwitchSignals.swipe(2);
    case Event::swipeEnded:
        return sim.desktopSwitchSignals.swipe(4);
    case Event::swipeCancelled:
        return sim.desktopSwitchSignals.swipe(8);
    case Event::otherGesture: {
        // No horizontal desktop swipe: a vertical one, another kind of gesture, a phase that is none of a swipe's.
        for (const auto &[type, motion, phase] : {std::tuple{23, 2, 1}, std::tuple{22, 1, 1}, std::tuple{23, 1, 3}}) {
            DesktopSwitchInputEvent gesture;
            gesture.type = DesktopSwitchInputEvent::Type::Gesture;
            gesture.gestureType = type;
            gesture.gestureMotion = motion;
            gesture.gesturePhase = phase;
            sim.desktopSwitchSignals.send(gesture);
        }
        return;
    }
    case Event::controlArrow:
        return sim.desktopSwitchSignals.keyDown(Qt::Key_Right, Qt::ControlModifier);
    case Event::desktopChanged:
        return sim.desktopSwitchSignals.changeDesktop();
    case Event::sleep:
        return sim.desktopSwitchSignals.sleep();
    case Event::click:
        return sim.desktopSwitchSignals.click();
    }
}

struct Row {
    Start start;
    Event event;
    bool suspended;
    bool gesture;
    bool changedDesktop;
    int suspendCalls;   // in total, including the one that reached the start state
    bool resumes;       // a resume follows 0.65 s after the event
};

const Row rows[] = {
    {Start::idle, Event::swipeBegan, true, true, false, 1, false},
    {Start::idle, Event::swipeChanged, true, true, false, 1, false},
    {Start::idle, Event::swipeEnded, true, false, false, 1, true},
    {Start::idle, Event::swipeCancelled, true, false, false, 1, true},
    {Start::idle, Event::otherGesture, false, false, false, 0, false},
    {Start::idle, Event::controlArrow, true, false, false, 1, true},
    {Start::idle, Event::desktopChanged, true, false, true, 1, true},
    {Start::idle, Event::sleep, false, false, false, 0, false},
    {Start::idle, Event::click, false, false, false, 0, false},
    {Start::swiping, Event::swipeBegan, true, true, false, 1, false},
    {Start::swiping, Event::swipeChanged, true, true, false, 1, false},
    {Start::swiping, Event::otherGesture, true, true, false, 1, false},
    {Start::swiping, Event::desktopChanged, true, true, true, 1, false},
    {Start::swiping, Event::swipeEnded, true, false, false, 1, true},
    {Start::swiping, Event::controlArrow, true, false, false, 1, true},
    {Start::swiping, Event::sleep, true, false, false, 1, true},
    {Start::swiping, Event::click, true, false, false, 1, true},
    {Start::settling, Event::swipeBegan, true, true, false, 1, false},
    {Start::settling, Event::swipeChanged, true, true, false, 1, false},
    {Start::settling, Event::swipeEnded, true, false, false, 1, true},
    {Start::settling, Event::controlArrow, true, false, false, 1, true},
    {Start::settling, Event::sleep, true, false, false, 1, true},
    {Start::settling, Event::desktopChanged, true, false, true, 1, true},
    // A click while settling is no sign of a transition: the pending resume keeps its time.
    {Start::settling, Event::click, true, false, false, 1, true},
};

TEST_F(MonitorFixture, FollowsTheTransitionTable)
{
    int index = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(index++);
        monitor.stop();
        suspends = 0;
        resumes.clear();
        monitor.start();
        if (row.start == Start::swiping)
            sim.desktopSwitchSignals.swipe(1);
        if (row.start == Start::settling)
            sim.desktopSwitchSignals.keyDown(Qt::Key_Left, Qt::ControlModifier);
        // A resume that was not restarted would come 0.35 s after the event.
        sim.clock.advance(0.3);
        send(sim, row.event);
        EXPECT_EQ(monitor.state(), state(row.suspended, row.gesture, row.changedDesktop));
        EXPECT_EQ(suspends, row.suspendCalls);
        const bool restarts = !(row.start == Start::settling && row.event == Event::click);
        sim.clock.advance(restarts ? 0.64 : 0.34);
        EXPECT_TRUE(resumes.isEmpty());
        sim.clock.advance(0.02);
        EXPECT_EQ(resumes.size(), row.resumes ? 1 : 0);
        if (row.resumes) {
            EXPECT_EQ(resumes.first(), row.changedDesktop);
            EXPECT_EQ(monitor.state(), state(false, false, false));
        }
    }
}

TEST_F(MonitorFixture, SwipeToTheNextDesktopResumesAfterTheDesktopChange)
{
    sim.desktopSwitchSignals.swipe(1);
    sim.desktopSwitchSignals.swipe(2);
    sim.clock.advance(1.0);
    EXPECT_TRUE(resumes.isEmpty()) << "no resume while the swipe is in progress";
    sim.desktopSwitchSignals.swipe(2);
    sim.desktopSwitchSignals.swipe(4);
    sim.clock.advance(0.2);
    sim.desktopSwitchSignals.changeDesktop();
    sim.clock.advance(0.6);
    EXPECT_TRUE(resumes.isEmpty());
    sim.clock.advance(0.05);
    ASSERT_EQ(resumes, QList<bool>{true});
    EXPECT_EQ(suspends, 1);
}

TEST_F(MonitorFixture, OnlyControlAloneWithAnArrowSwitchesDesktops)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool suspends;
    };
    const Case cases[] = {
        {Qt::Key_Right, Qt::ControlModifier, true},
        {Qt::Key_Left, Qt::ControlModifier, true},
        {Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier, false},
        {Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::Key_Left, Qt::ControlModifier | Qt::MetaModifier, false},
        {Qt::Key_Right, Qt::NoModifier, false},
        {Qt::Key_A, Qt::ControlModifier, false},
    };
    for (const Case &c : cases) {
        monitor.stop();
        monitor.start();
        sim.desktopSwitchSignals.keyDown(c.key, c.modifiers);
        EXPECT_EQ(monitor.state().isSuspended, c.suspends) << int(c.key) << " " << c.modifiers.toInt();
    }
}

TEST_F(MonitorFixture, DisabledListenerIsSwitchedBackOnAndEndsAGesture)
{
    DesktopSwitchInputEvent disabled;
    disabled.type = DesktopSwitchInputEvent::Type::ListenerDisabledByTimeout;
    sim.desktopSwitchSignals.send(disabled);
    EXPECT_EQ(sim.desktopSwitchSignals.reenableCount(), 1);
    EXPECT_EQ(monitor.state(), state(false, false, false)) << "idle stays idle";
    EXPECT_EQ(suspends, 0);

    sim.desktopSwitchSignals.swipe(1);
    disabled.type = DesktopSwitchInputEvent::Type::ListenerDisabledByUserInput;
    sim.desktopSwitchSignals.send(disabled);
    EXPECT_EQ(sim.desktopSwitchSignals.reenableCount(), 2);
    EXPECT_EQ(monitor.state(), state(true, false, false));
    sim.clock.advance(0.65);
    EXPECT_EQ(resumes, QList<bool>{false});
}

TEST_F(MonitorFixture, StopDuringASuspensionReportsNoResume)
{
    sim.desktopSwitchSignals.changeDesktop();
    ASSERT_EQ(suspends, 1);
    monitor.stop();
    EXPECT_EQ(monitor.state(), state(false, false, false));
    EXPECT_FALSE(monitor.hasEventTap());
    EXPECT_FALSE(sim.desktopSwitchSignals.isListening());
    sim.clock.advance(2);
    EXPECT_TRUE(resumes.isEmpty());
    // Observers are gone too.
    sim.desktopSwitchSignals.changeDesktop();
    sim.desktopSwitchSignals.swipe(1);
    EXPECT_EQ(suspends, 1);
    // And everything comes back with start().
    monitor.start();
    sim.desktopSwitchSignals.changeDesktop();
    sim.clock.advance(0.65);
    EXPECT_EQ(suspends, 2);
    EXPECT_EQ(resumes, QList<bool>{true});
}

TEST_F(MonitorFixture, StartIsIgnoredWhileStarted)
{
    monitor.stop();
    sim.desktopSwitchSignals.setListeningAllowed(false);
    monitor.start();
    EXPECT_FALSE(monitor.hasEventTap());
    sim.desktopSwitchSignals.setListeningAllowed(true);
    monitor.start(); // already started: not even the listener is retried
    EXPECT_FALSE(monitor.hasEventTap());
    sim.desktopSwitchSignals.changeDesktop();
    EXPECT_EQ(suspends, 1) << "a second start must not double the observers";
}

TEST_F(MonitorFixture, ListenerRefusedAtStartIsRetriedOnActivationAndBeforeOpening)
{
    monitor.stop();
    sim.desktopSwitchSignals.setListeningAllowed(false);
    monitor.start();
    ASSERT_FALSE(monitor.hasEventTap());
    // Without a listener, swipes and Control+Arrow go unseen, desktop changes still suspend.
    sim.desktopSwitchSignals.keyDown(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_FALSE(monitor.state().isSuspended);
    sim.desktopSwitchSignals.activateApplication();
    EXPECT_FALSE(monitor.hasEventTap());

    sim.desktopSwitchSignals.setListeningAllowed(true);
    sim.desktopSwitchSignals.activateApplication();
    EXPECT_TRUE(monitor.hasEventTap());
    const int starts = sim.desktopSwitchSignals.startCount();
    monitor.installEventTap();
    EXPECT_EQ(sim.desktopSwitchSignals.startCount(), starts) << "an existing listener is kept";
    sim.desktopSwitchSignals.keyDown(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(monitor.state().isSuspended);
}

TEST_F(MonitorFixture, MonitorDestroyedDuringTheWaitResumesNothing)
{
    bool resumed = false;
    {
        NotchDesktopSwitchMonitor local(sim.desktopSwitchSignals, sim.clock);
        QObject::connect(&local, &NotchDesktopSwitchMonitor::restoreRequested, [&] { resumed = true; });
        local.handle(NotchDesktopSwitchMonitor::Signal::desktopChanged);
    }
    sim.clock.advance(1);
    EXPECT_FALSE(resumed);
}

} // namespace
