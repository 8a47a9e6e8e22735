// Converting the desktop's y-down pixels to the y-up global space: every pixel of a monitor must land
// inside that monitor's half-open frame, so the pointer is never attributed to the wrong screen.
#include "platform/Screens.h"
#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

namespace {

// The test desktop: a 1512 x 982 primary at the origin and a 1920 x 1080 monitor to its right.
const QRectF primaryTopDown(0, 0, 1512, 982);
const QRectF secondaryTopDown(1512, 0, 1920, 1080);

TEST(ScreenSpace, MonitorFramesBecomeYUp)
{
    EXPECT_EQ(ScreenSpace::rectFromTopDown(primaryTopDown, primaryTopDown), QRectF(0, 0, 1512, 982));
    EXPECT_EQ(ScreenSpace::rectFromTopDown(secondaryTopDown, primaryTopDown), QRectF(1512, -98, 1920, 1080));
    // Round trip, also with a primary that is not at the origin of the desktop.
    const QRectF shiftedPrimary(1920, 100, 1512, 982);
    const QRectF window(2000, 150, 300, 200);
    const QRectF up = ScreenSpace::rectFromTopDown(window, shiftedPrimary);
    EXPECT_EQ(up, QRectF(80, 732, 300, 200));
    EXPECT_EQ(ScreenSpace::rectToTopDown(up, shiftedPrimary), window);
    const QPointF point(2100.5, 400.25);
    EXPECT_EQ(ScreenSpace::pointToTopDown(ScreenSpace::pointFromTopDown(point, shiftedPrimary), shiftedPrimary),
              point);
}

TEST(ScreenSpace, EveryPixelLiesInItsOwnMonitor)
{
    const QRectF primary = ScreenSpace::rectFromTopDown(primaryTopDown, primaryTopDown);
    const QRectF secondary = ScreenSpace::rectFromTopDown(secondaryTopDown, primaryTopDown);
    struct Case {
        const char *name;
        QPoint pixel;
        bool inPrimary;
    };
    const Case cases[] = {
        {"primary top-left", {0, 0}, true},
        {"primary bottom-right", {1511, 981}, true},
        {"primary top-right", {1511, 0}, true},
        {"secondary top row", {2000, 0}, false},
        {"secondary top-left", {1512, 0}, false},
        {"secondary bottom row", {3431, 1079}, false},
        {"secondary below the primary's bottom", {1600, 1000}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QPointF p = ScreenSpace::pixelFromTopDown(c.pixel, primaryTopDown);
        EXPECT_EQ(ScreenSpace::containsHalfOpen(primary, p), c.inPrimary);
        EXPECT_EQ(ScreenSpace::containsHalfOpen(secondary, p), !c.inPrimary);
    }
    // Exhaustively along the seams: the top rows, the bottom rows and the shared edge.
    for (int x = 0; x < 3432; ++x) {
        for (int y : {0, 981, 1079}) {
            if (x < 1512 && y > 981)
                continue;
            const QPointF p = ScreenSpace::pixelFromTopDown(QPoint(x, y), primaryTopDown);
            ASSERT_EQ(ScreenSpace::containsHalfOpen(x < 1512 ? primary : secondary, p), true) << x << "," << y;
        }
    }
}

TEST(ScreenSpace, ScreenUnderAPointUsesTheHalfOpenTest)
{
    SimScreens screens;
    screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1512, 982)),
                        SimScreens::makeScreen(2, QRectF(1512, -98, 1920, 1080))});
    // The top pixel row of the secondary monitor, as the pointer reports it.
    const QPointF top = ScreenSpace::pixelFromTopDown(QPoint(2000, 0), primaryTopDown);
    ASSERT_TRUE(screens.screen(top).has_value());
    EXPECT_EQ(screens.screen(top)->number, 2u);
    EXPECT_EQ(screens.screen(QPointF(1512, 0))->number, 2u) << "the shared edge belongs to the right monitor";
    EXPECT_FALSE(screens.screen(QPointF(100, 982)).has_value()) << "the top edge itself is outside";
    EXPECT_EQ(screens.screen(2u)->frame, QRectF(1512, -98, 1920, 1080));
    EXPECT_FALSE(screens.screen(3u).has_value());
}

} // namespace
