// The budget of one accessibility request: what each call may wait, a timed-out call ending the request's
// waits, and a fresh budget once the request ends.
#include "platform/AccessibilityTimeBudget.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

struct Step {
    double callTakes;   // seconds the call runs
    int allowedMs;      // what nextCallTimeoutMs() answers before it
};

struct Row {
    const char *what;
    QList<Step> steps;
};

TEST(AccessibilityTimeBudgetTest, CallsShareOneBudgetPerRequest)
{
    // A budget of 0.3 s, at most 0.25 s a call, and a library that may wait twice per call.
    const Row rows[] = {
        {"quick calls each get the per-call cap", {{0.002, 125}, {0.003, 125}, {0.001, 125}}},
        {"a slow answer leaves the rest", {{0.1, 125}, {0.0, 100}, {0.05, 100}, {0.0, 75}}},
        {"a call that waits out its timeout ends the waiting", {{0.125, 125}, {0.0, 0}, {0.0, 0}}},
        {"twice the timeout still fits the budget", {{0.25, 125}, {0.0, 0}}},
        {"a reply at the very end of the wait counts as none", {{0.124, 125}, {0.0, 0}}},
    };
    for (const Row &row : rows) {
        double now = 0;
        AccessibilityTimeBudget budget(0.3, 0.25, 2, [&now] { return now; });
        int index = 0;
        for (const Step &step : row.steps) {
            EXPECT_EQ(budget.nextCallTimeoutMs(), step.allowedMs) << row.what << ", call " << index;
            now += step.callTakes;
            budget.callFinished();
            ++index;
        }
    }
}

TEST(AccessibilityTimeBudgetTest, TheLastMillisecondIsNotWorthACall)
{
    double now = 0;
    AccessibilityTimeBudget budget(0.3, 0.25, 1, [&now] { return now; });
    EXPECT_EQ(budget.nextCallTimeoutMs(), 250);
    now = 0.2985;
    EXPECT_EQ(budget.nextCallTimeoutMs(), 1);
    now = 0.2995;
    EXPECT_EQ(budget.nextCallTimeoutMs(), 0);
}

TEST(AccessibilityTimeBudgetTest, EndingARequestGivesTheNextOneAFullBudget)
{
    double now = 10;
    AccessibilityTimeBudget budget(0.3, 0.25, 1, [&now] { return now; });
    EXPECT_FALSE(budget.isRequestOpen());
    EXPECT_EQ(budget.nextCallTimeoutMs(), 250);
    const unsigned first = budget.generation();
    now += 0.25;
    budget.callFinished();
    EXPECT_EQ(budget.nextCallTimeoutMs(), 0);
    budget.endRequest();
    EXPECT_EQ(budget.nextCallTimeoutMs(), 250);
    EXPECT_EQ(budget.generation(), first + 1);
    EXPECT_EQ(budget.nextCallTimeoutMs(), 250) << "the same request";
    EXPECT_EQ(budget.generation(), first + 1);
}

} // namespace
