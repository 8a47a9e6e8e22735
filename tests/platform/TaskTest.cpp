#include "DesktopTest.h"

#include "platform/FutureAwaiter.h"
#include "platform/sim/SimClock.h"

#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

Task<> sleepThenMark(Clock &clock, double seconds, std::vector<double> &marks)
{
    const bool awake = co_await clock.sleep(seconds);
    if (!awake)
        co_return;
    marks.push_back(clock.uptime());
}

Task<int> answerAfter(Clock &clock, double seconds, int value)
{
    const bool awake = co_await clock.sleep(seconds);
    if (!awake)
        co_return -1;
    co_return value;
}

Task<> awaitChild(Clock &clock, std::optional<int> &out, bool &resumed)
{
    out = co_await answerAfter(clock, 1.0, 42);
    resumed = true;
}

} // namespace

TEST(Task, SleepsOnTheSimulatedClockOnly)
{
    SimClock clock;
    std::vector<double> marks;
    const double start = clock.uptime();
    auto task = sleepThenMark(clock, 0.5, marks);
    clock.advance(0.49);
    EXPECT_TRUE(marks.empty());
    EXPECT_FALSE(task.isFinished());
    clock.advance(0.01);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_DOUBLE_EQ(marks[0], start + 0.5);
    EXPECT_TRUE(task.isFinished());
}

TEST(Task, CancellingEndsTheSleepAtOnceWithoutSideEffects)
{
    SimClock clock;
    std::vector<double> marks;
    auto task = sleepThenMark(clock, 0.5, marks);
    task.cancel();
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(clock.pendingTimers(), 0);
    clock.advance(1);
    EXPECT_TRUE(marks.empty());
}

TEST(Task, SlotCancelsThePreviousTaskButNeverItsSuccessor)
{
    SimClock clock;
    std::vector<double> marks;
    TaskSlot slot;
    slot.start(sleepThenMark(clock, 0.3, marks));
    clock.advance(0.1);
    slot.start(sleepThenMark(clock, 0.3, marks));
    clock.advance(0.25);
    EXPECT_TRUE(marks.empty());
    EXPECT_TRUE(slot.isRunning());
    clock.advance(0.05);
    EXPECT_EQ(marks.size(), 1u);
    EXPECT_FALSE(slot.isRunning());
}

TEST(Task, AwaitsChildTasksAndPropagatesCancellation)
{
    SimClock clock;
    std::optional<int> out;
    bool resumed = false;
    auto parent = awaitChild(clock, out, resumed);
    clock.advance(1.0);
    EXPECT_TRUE(resumed);
    EXPECT_EQ(out, 42);

    resumed = false;
    out.reset();
    auto second = awaitChild(clock, out, resumed);
    second.cancel();
    EXPECT_TRUE(resumed);
    EXPECT_FALSE(out.has_value());
    EXPECT_EQ(clock.pendingTimers(), 0);
}

TEST(Task, TimersScheduledByCallbacksFireWithinTheSameAdvance)
{
    SimClock clock;
    std::vector<double> fired;
    const double start = clock.uptime();
    clock.callAfter(0.04, [&] {
        fired.push_back(clock.uptime() - start);
        clock.callAfter(0.12, [&] { fired.push_back(clock.uptime() - start); });
    });
    clock.advance(0.16);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_NEAR(fired[1], 0.16, 1e-9);
}

namespace {
Task<> awaitWork(std::optional<int> &out)
{
    out = co_await awaitFuture(QtConcurrent::run([] { return 7; }));
}
} // namespace

TEST(Task, AwaitsWorkerThreadFutures)
{
    std::optional<int> out;
    auto task = awaitWork(out);
    TAVLEN_WAIT_UNTIL(task.isFinished(), 10000);
    EXPECT_EQ(out, 7);
}

namespace {
// The event an awaiter waits for has happened before the task awaits it (a bus answer read meanwhile).
class AlreadyHappened : public CancellableAwaiter {
public:
    bool await_ready() const noexcept { return true; }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P>)
    {
        return false;
    }
};
Task<> awaitWhatHappened(std::optional<bool> &out)
{
    const bool happened = co_await AlreadyHappened();
    out = happened;
}
} // namespace

TEST(Task, AnAwaiterReadyAtOnceGoesOnWithoutSuspending)
{
    std::optional<bool> out;
    const Task<> task = awaitWhatHappened(out);
    EXPECT_TRUE(task.isFinished());
    EXPECT_EQ(out, true);
}
