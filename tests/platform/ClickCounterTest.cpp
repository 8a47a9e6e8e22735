#include "platform/linux/ClickCounter.h"

#include <gtest/gtest.h>

namespace {

struct Press {
    int button;
    QPointF position;
    double time;
    int expected;
};

TEST(ClickCounterTest, CountsSequencesByTimeDistanceAndButton)
{
    const struct {
        const char *name;
        std::vector<Press> presses;
    } cases[] = {
        {"double click", {{1, {10, 10}, 0.0, 1}, {1, {10, 10}, 0.3, 2}}},
        {"triple click", {{1, {10, 10}, 0.0, 1}, {1, {11, 10}, 0.2, 2}, {1, {11, 11}, 0.4, 3}}},
        {"interval is inclusive", {{1, {0, 0}, 1.0, 1}, {1, {0, 0}, 1.4, 2}}},
        {"too slow", {{1, {0, 0}, 1.0, 1}, {1, {0, 0}, 1.41, 1}}},
        {"moved too far", {{1, {0, 0}, 0.0, 1}, {1, {6, 0}, 0.1, 1}}},
        {"other button", {{1, {0, 0}, 0.0, 1}, {3, {0, 0}, 0.1, 1}}},
        {"clock went back", {{1, {0, 0}, 5.0, 1}, {1, {0, 0}, 4.9, 1}}},
        {"a slow third click starts over", {{1, {0, 0}, 0.0, 1}, {1, {0, 0}, 0.3, 2}, {1, {0, 0}, 0.9, 1}}},
    };
    for (const auto &c : cases) {
        ClickCounter counter(0.4, 5);
        for (const Press &p : c.presses)
            EXPECT_EQ(counter.press(p.button, p.position, p.time), p.expected) << c.name;
    }
}

} // namespace
