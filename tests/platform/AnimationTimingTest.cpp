#include "platform/AnimationTiming.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    AnimationTiming timing;
    double fraction;
    double progress;
};

// Reference values of the standard cubic curves.
TEST(AnimationTimingTest, CurvesMatchTheirReferenceValues)
{
    const Row rows[] = {
        {AnimationTiming::Linear, 0.3, 0.3},
        {AnimationTiming::EaseInEaseOut, 0.5, 0.5},
        {AnimationTiming::EaseInEaseOut, 0.25, 0.1291},
        {AnimationTiming::EaseIn, 0.5, 0.3153},
        {AnimationTiming::EaseOut, 0.5, 0.6847},
        {AnimationTiming::Default, 0.5, 0.8024},
        {AnimationTiming::EaseOut, -1, 0},
        {AnimationTiming::EaseIn, 2, 1},
    };
    for (const Row &row : rows)
        EXPECT_NEAR(animationProgress(row.timing, row.fraction), row.progress, 2e-3) << row.fraction;
}

TEST(AnimationTimingTest, ProgressNeverRunsBackwards)
{
    for (auto timing : {AnimationTiming::Linear, AnimationTiming::EaseIn, AnimationTiming::EaseOut,
                        AnimationTiming::EaseInEaseOut, AnimationTiming::Default}) {
        double last = 0;
        for (int i = 0; i <= 200; ++i) {
            const double p = animationProgress(timing, i / 200.0);
            EXPECT_GE(p, last - 1e-9);
            last = p;
        }
        EXPECT_DOUBLE_EQ(last, 1.0);
    }
}

} // namespace
