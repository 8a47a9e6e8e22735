// The road from the header's gear to the settings window and back to the launchers: the runtime state's
// request opens the one settings window, and a setting changed there rebuilds every launcher window.
#include "../launcher/LauncherTestFixture.h"

#include "app/AppDelegate.h"
#include "settings/SettingsSwitch.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "state/RuntimeState.h"

#include <gtest/gtest.h>

namespace {

SettingsSwitch *switchNamed(SettingsView &view, const QString &page, const QString &title)
{
    for (SettingsSwitch *control : view.page(page)->findChildren<SettingsSwitch *>())
        if (control->accessibleName() == title)
            return control;
    return nullptr;
}

TEST(SettingsPresentation, EachRequestShowsTheOneSettingsWindow)
{
    SimPlatform sim;
    LaunchOptions options;
    options.testMode = true;
    AppDelegate delegate(sim.platform(), options);
    delegate.start();
    EXPECT_FALSE(delegate.settingsWindow().isOpen()) << "not shown at launch";
    delegate.appState().runtime()->requestSettingsPresentation();
    ASSERT_TRUE(delegate.settingsWindow().isOpen());
    SettingsView *view = delegate.settingsWindow().view();
    EXPECT_EQ(view->size(), SettingsWindow::defaultSize);
    view->close();
    delegate.appState().runtime()->requestSettingsPresentation();
    view = delegate.settingsWindow().view();
    delegate.appState().runtime()->requestSettingsPresentation();
    EXPECT_TRUE(delegate.settingsWindow().isOpen());
    EXPECT_EQ(delegate.settingsWindow().view(), view);
    delegate.stop();
}

class SettingsRebuildTest : public LauncherTest {};

TEST_F(SettingsRebuildTest, ASettingChangedInTheWindowRebuildsTheLaunchers)
{
    NotchLauncherService &launchers = startService();
    SettingsWindow settingsWindow(*appState->settings(), *appState->filters(), sim.platform());
    settingsWindow.show();
    const int rebuilds = launchers.refreshCount();
    ASSERT_EQ(launchers.fieldWindows().size(), 2);

    SettingsSwitch *compact
        = switchNamed(*settingsWindow.view(), QStringLiteral("Launcher"), QStringLiteral("Compact window beside the pointer"));
    ASSERT_NE(compact, nullptr);
    compact->click();
    processEvents();
    EXPECT_EQ(launchers.refreshCount(), rebuilds + 1);
    EXPECT_TRUE(launchers.fieldWindows().isEmpty()) << "the compact windows went with the setting";

    switchNamed(*settingsWindow.view(), QStringLiteral("General"), QStringLiteral("Paste as plain text"))->click();
    processEvents();
    EXPECT_EQ(launchers.refreshCount(), rebuilds + 2);
}

} // namespace
