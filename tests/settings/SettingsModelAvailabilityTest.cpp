// The settings window says in words whether the local language model can be used, and reads it again each
// time the window opens.
#include "DesktopTest.h"

#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIService.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "state/SystemStatus.h"

#include <QDir>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(SettingsModelAvailability, ShownInWordsAndReadAgainOnEachOpening)
{
    SimPlatform sim;
    SettingsStore settings{sim.preferences};
    FilterManager filters{sim.preferences};
    ClipboardAIService service{sim.languageModel};
    ClipboardAIController ai{service, sim.clock};
    SystemStatus status{&sim.notifications};
    SettingsWindow window{settings, filters, sim.platform(), &ai, &status};

    sim.languageModel.currentAvailability = LanguageModelAvailability::modelNotReady;
    window.show();
    EXPECT_EQ(sim.languageModel.availabilityChecks(), 1);
    const QLabel *line = window.view()->page(QStringLiteral("Intelligence"))->findChild<QLabel *>(QStringLiteral("modelAvailability"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("The local model server is not answering, or its model is not loaded yet."));

    window.view()->showPage(QStringLiteral("Intelligence"));
    window.view()->resize(SettingsWindow::defaultSize);
    window.view()->grab().save(QDir(DesktopTest::snapshotDirectory()).filePath(QStringLiteral("settings-model-availability.png")));

    // A server started meanwhile shows when the window opens again.
    sim.languageModel.currentAvailability = LanguageModelAvailability::available;
    window.show();
    EXPECT_EQ(sim.languageModel.availabilityChecks(), 2);
    EXPECT_EQ(line->text(), QStringLiteral("The local language model is ready."));

    sim.languageModel.currentAvailability = LanguageModelAvailability::notEnabled;
    window.show();
    EXPECT_EQ(line->text(), QStringLiteral("No local model server is configured (TAVLEN_MODEL_ENDPOINT is off)."));

    // Another user's program at the model's address: one line says why nothing is sent, none contradicts it.
    sim.languageModel.currentAvailability = LanguageModelAvailability::modelNotReady;
    status.setModelAddressTaken(QStringLiteral("127.0.0.1:8080 (user nobody)"));
    window.show();
    EXPECT_TRUE(line->isHidden());
    const QLabel *location = window.view()->page(QStringLiteral("Intelligence"))->findChild<QLabel *>(QStringLiteral("modelLocation"));
    ASSERT_NE(location, nullptr);
    EXPECT_TRUE(location->text().contains(QStringLiteral("another user's program listens at 127.0.0.1:8080")));
    status.setModelAddressTaken({});
    EXPECT_FALSE(line->isHidden());
}

} // namespace
