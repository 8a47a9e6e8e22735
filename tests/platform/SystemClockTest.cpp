// The real clock keeps every pending callback and task sleep behind one timer: nothing piles up per sleep,
// callbacks run in deadline order, and a cancelled one never runs. Only zero-length waits are used here.
#include "platform/linux/SystemClock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs events until `done` holds (zero-length timers fire on the next passes); false after 5 s.
bool runUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(SystemClock, AThousandPendingSleepsShareOneTimer)
{
    SystemClock clock;
    for (int i = 0; i < 1000; ++i)
        clock.callAfter(60 + i, [] {});
    EXPECT_EQ(clock.findChildren<QTimer *>().size(), 1);
    EXPECT_EQ(clock.pendingCallbacks(), 1000);
}

struct OrderRow {
    const char *name;
    std::function<void(SystemClock &, QStringList &)> arrange;
    QStringList expected;
};

TEST(SystemClock, CallbacksRunInDeadlineOrderAndCancelledOnesNever)
{
    const std::vector<OrderRow> rows = {
        {"same deadline keeps the order of scheduling",
         [](SystemClock &c, QStringList &ran) {
             for (const char *name : {"a", "b", "c"})
                 c.callAfter(0, [&ran, name] { ran << name; });
         },
         {"a", "b", "c"}},
        {"cancelling the earliest still runs the rest",
         [](SystemClock &c, QStringList &ran) {
             const auto first = c.callAfter(0, [&ran] { ran << "first"; });
             c.callAfter(0.002, [&ran] { ran << "later"; });
             c.cancelTimer(first);
         },
         {"later"}},
        {"an earlier deadline scheduled last runs first",
         [](SystemClock &c, QStringList &ran) {
             c.callAfter(0.003, [&ran] { ran << "slow"; });
             c.callAfter(0, [&ran] { ran << "fast"; });
         },
         {"fast", "slow"}},
        {"a callback schedules one and cancels another",
         [](SystemClock &c, QStringList &ran) {
             const auto victim = std::make_shared<Clock::TimerId>(0);
             c.callAfter(0, [&c, &ran, victim] {
                 ran << "outer";
                 c.cancelTimer(*victim);
                 c.callAfter(0, [&ran] { ran << "inner"; });
             });
             *victim = c.callAfter(0.001, [&ran] { ran << "victim"; });
         },
         {"outer", "inner"}},
        {"cancelling twice or an unknown id does nothing",
         [](SystemClock &c, QStringList &ran) {
             const auto id = c.callAfter(0, [&ran] { ran << "never"; });
             c.cancelTimer(id);
             c.cancelTimer(id);
             c.cancelTimer(987654);
             c.callAfter(0, [&ran] { ran << "runs"; });
         },
         {"runs"}},
    };
    for (const OrderRow &row : rows) {
        SCOPED_TRACE(row.name);
        SystemClock clock;
        QStringList ran;
        row.arrange(clock, ran);
        EXPECT_TRUE(runUntil([&] { return clock.pendingCallbacks() == 0; }));
        EXPECT_EQ(ran, row.expected);
    }
}

TEST(SystemClock, ACancelledSleepLeavesNothingPending)
{
    SystemClock clock;
    bool finished = false;
    auto sleeper = [&]() -> Task<> {
        const bool awake = co_await clock.sleep(3600);
        finished = !awake;
    };
    Task<> task = sleeper();
    EXPECT_EQ(clock.pendingCallbacks(), 1);
    task.cancel();
    EXPECT_TRUE(finished);
    EXPECT_EQ(clock.pendingCallbacks(), 0);
}

} // namespace
