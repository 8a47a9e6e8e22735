// Without a session bus there is no accessibility bus: every answer is empty at once, never a wait; and
// libatspi's noise about other programs stays off stderr.
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/linux/AtspiSession.h"
#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/XcbSession.h"

#include <QElapsedTimer>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

#include <glib.h>

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

// libatspi's warning about an application without an element cache stays off stderr; its other warnings
// still reach it.
TEST(LinuxAccessibilityTest, OnlyTheMissingCacheWarningIsDropped)
{
    AtspiSession::quietenMissingCaches();
    QTemporaryFile captured;
    ASSERT_TRUE(captured.open());
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(captured.handle(), STDERR_FILENO);
    g_log("dbind", G_LOG_LEVEL_WARNING, "AT-SPI: Error in GetItems, sender=:1.7, error=Object does not exist at path "
                                        "\"/org/a11y/atspi/cache\"");
    g_log("dbind", G_LOG_LEVEL_WARNING, "AT-SPI: Error retrieving accessibility bus address");
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    QFile written(captured.fileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray said = written.readAll();
    EXPECT_FALSE(said.contains("GetItems")) << said.constData();
    EXPECT_TRUE(said.contains("retrieving accessibility bus address")) << said.constData();
}
