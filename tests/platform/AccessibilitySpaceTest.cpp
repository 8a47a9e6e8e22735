// The flip between the accessibility space (y down) and the screen space (y up) about the first screen's top.
#include "platform/AccessibilitySpace.h"
#include "platform/Screens.h"

#include <gtest/gtest.h>

namespace {

ScreenInfo screen(const QRectF &frame)
{
    ScreenInfo s;
    s.frame = frame;
    return s;
}

TEST(AccessibilitySpaceTest, FlipsAboutTheFirstScreensTop)
{
    struct Row {
        const char *what;
        QList<ScreenInfo> screens;
        QRectF accessibility;
        QRectF screenRect;
    };
    const Row rows[] = {
        {"one screen", {screen(QRectF(0, 0, 1512, 982))}, QRectF(100, 200, 300, 30), QRectF(100, 752, 300, 30)},
        {"a taller second screen does not count",
         {screen(QRectF(0, 0, 1512, 982)), screen(QRectF(1512, -98, 1920, 1080))},
         QRectF(1600, -50, 200, 20), QRectF(1600, 1012, 200, 20)},
        {"no screen: the top counts as 0", {}, QRectF(10, 20, 30, 40), QRectF(10, -60, 30, 40)},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(AccessibilitySpace::toScreenRect(row.accessibility, row.screens), row.screenRect) << row.what;
        const QPointF corner = AccessibilitySpace::toScreenPoint(row.accessibility.topLeft(), row.screens);
        EXPECT_EQ(AccessibilitySpace::fromScreenPoint(corner, row.screens), row.accessibility.topLeft()) << row.what;
    }
}

} // namespace
