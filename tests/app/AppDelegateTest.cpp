// The composition root wires capture, history, settings and paste together; these tests run the whole
// road of a copy on the simulated platform.

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/RuntimeState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

LaunchOptions testMode()
{
    LaunchOptions options;
    options.testMode = true;
    return options;
}

} // namespace

TEST(AppDelegate, CopiesReachTheHistoryAndSurviveARestart)
{
    SimPlatform sim;
    {
        AppDelegate delegate(sim.platform(), testMode());
        sim.pasteboard.copyText(QStringLiteral("first copy"));
        delegate.start();
        sim.clock.advance(0.2);
        QTRY_COMPARE(delegate.history().items().size(), 1);

        sim.pasteboard.copyText(QStringLiteral("second copy"));
        sim.clock.advance(0.2);
        QTRY_COMPARE(delegate.history().items().size(), 2);
        EXPECT_EQ(delegate.history().items().first().text(), QStringLiteral("second copy"));
        EXPECT_EQ(delegate.appState().runtime()->clipboardPulseToken(), 2);
        delegate.stop();
    }
    AppDelegate restarted(sim.platform(), testMode());
    restarted.start();
    sim.clock.advance(0.2);
    // The current clipboard equals the newest item, so the start-up capture adds nothing.
    QTRY_COMPARE(restarted.history().items().size(), 2);
    EXPECT_EQ(restarted.history().items().first().text(), QStringLiteral("second copy"));
}

TEST(AppDelegate, TestModeMarksThePermissionAsAskedAndPromptsForNothing)
{
    SimPlatform sim;
    AppDelegate delegate(sim.platform(), testMode());
    delegate.start();
    EXPECT_TRUE(delegate.appState().settings()->settings().hasRequestedEventPostingPermission);
}

TEST(AppDelegate, LaunchOptionsRecogniseTestMode)
{
    EXPECT_TRUE(AppDelegate::launchOptions({QStringLiteral("tavlen"), QStringLiteral("--uitesting")}).testMode);
    EXPECT_FALSE(AppDelegate::launchOptions({QStringLiteral("tavlen")}).testMode);
}
