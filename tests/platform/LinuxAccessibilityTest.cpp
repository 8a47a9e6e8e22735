// Without a session bus there is no accessibility bus: every answer is empty at once, never a wait.
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/XcbSession.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

TEST(LinuxAccessibilityTest, NoBusMeansUnavailableAtOnce)
{
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QElapsedTimer timer;
    timer.start();
    XcbSession x11;
    LinuxAccessibility accessibility(x11);
    EXPECT_FALSE(accessibility.isAvailable());
    EXPECT_TRUE(accessibility.elementAtPoint(QPointF(10, 10)).isNull());
    const AccessibilityElement app = accessibility.applicationElement(1);
    EXPECT_TRUE(app.isNull());
    EXPECT_TRUE(app.attribute(AccessibilityAttribute::focusedElement).isMissing());
    EXPECT_EQ(accessibility.callCount(), 0);
    EXPECT_LT(timer.elapsed(), 200);
}
