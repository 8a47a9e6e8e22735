// An accessibility bus launcher that hangs (it owns org.a11y.Bus but answers nothing): trust, read at
// start with a short wait, catches up by itself once the launcher answers again; and the field reader
// waits for it once, at its first request, then asks again in the background at later ones and finds
// the bus as soon as it answers.

#include "DesktopTest.h"

#include "platform/linux/AtspiSession.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/XcbSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>


namespace {

// The test desktop's accessibility bus launcher, stopped until resumed or destroyed.
class HungLauncher : public DesktopTest::HungBusService {
public:
    HungLauncher()
        : HungBusService(QStringLiteral("org.a11y.Bus"))
    {
    }
};

TEST(HungAccessibilityBus, TrustCatchesUpByItselfOnceTheLauncherAnswers)
{
    TAVLEN_REQUIRE_DESKTOP();
    HungLauncher launcher;
    ASSERT_TRUE(launcher.isStopped());
    XcbSession x11;
    LinuxPermissions permissions(x11);
    EXPECT_FALSE(permissions.isTrusted()) << "nothing answered at start";
    QSignalSpy changed(&permissions, &Permissions::changed);
    launcher.resume();
    // Nobody asks for trust here: the question left open at start brings the answer.
    TAVLEN_WAIT_UNTIL(permissions.isTrusted(), 5000);
    EXPECT_EQ(changed.count(), 1);
}

TEST(HungAccessibilityBus, FieldReadsWaitForItOnceThenAskInTheBackground)
{
    TAVLEN_REQUIRE_DESKTOP();
    HungLauncher launcher;
    ASSERT_TRUE(launcher.isStopped());
    qint64 nowMs = 0;
    AtspiSession session([&nowMs] { return nowMs; });
    EXPECT_FALSE(session.isAvailable());
    EXPECT_EQ(session.busWaits(), 1);
    // Requests seconds apart: each finds the answer stale and has it asked again, none waits for it.
    for (int request = 0; request < 4; ++request) {
        nowMs += AtspiSession::availabilityRecheckMs;
        EXPECT_FALSE(session.isAvailable());
    }
    EXPECT_EQ(session.busWaits(), 1);

    launcher.resume();
    TAVLEN_WAIT_UNTIL(
        [&] {
            nowMs += AtspiSession::availabilityRecheckMs;
            return session.isAvailable();
        }(),
        5000);
    EXPECT_EQ(session.busWaits(), 1);
}

} // namespace
