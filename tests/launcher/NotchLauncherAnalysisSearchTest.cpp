// The panel's search finds what was copied whether local intelligence is on or not: an analysed item by its
// own text, an image by the text recognised in it.
#include "LauncherTestFixture.h"

#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/panel/NotchLauncherView.h"

namespace {

struct NotchLauncherAnalysisSearchTest : LauncherTest {
    void settle()
    {
        for (int i = 0; i < 20; ++i) {
            history->searchIndex().waitForIdle();
            QCoreApplication::processEvents();
            sim.clock.runDue();
        }
    }
    NotchLauncherViewModel model;
};

TEST_F(NotchLauncherAnalysisSearchTest, FindsItemsByWhatWasCopiedWhateverTheIntelligenceSetting)
{
    ClipboardItem screenshot(QUuid::createUuid());
    screenshot.setTypeRawValue(QStringLiteral("image"));
    screenshot.setImageData(QByteArray("png"));
    screenshot.setAiExtractedText(QStringLiteral("Invoice 2024-117"));
    screenshot.setTags({QStringLiteral("finance"), QStringLiteral("invoice")});
    screenshot.setAiAnalyzedAt(sim.clock.now());
    screenshot.setAiAnalysisVersion(ClipboardItem::currentAnalysisVersion);
    history->handleItemInserted(screenshot);
    ClipboardItem note(QUuid::createUuid());
    note.setTypeRawValue(QStringLiteral("text"));
    note.setText(QStringLiteral("lunch at noon"));
    note.setAiTitle(QStringLiteral("Meal plan"));
    note.setAiAnalyzedAt(sim.clock.now());
    note.setAiAnalysisVersion(ClipboardItem::currentAnalysisVersion);
    history->handleItemInserted(note);

    NotchLauncherView view(sim.platform(), model, appState.get(), history.get(), {});
    view.resize(552, 420);
    model.setIsExpanded(true);
    model.setIsListSettled(true);
    settle();

    struct Row {
        bool aiEnabled;
        QString query;
        int found;
    };
    const Row rows[] = {
        {false, QStringLiteral("2024-117"), 1},
        {true, QStringLiteral("2024-117"), 1},
        {true, QStringLiteral("finance"), 0},
        {true, QStringLiteral("meal"), 0},
        {true, QStringLiteral("lunch"), 1},
        {false, QStringLiteral("lunch"), 1},
    };
    for (const Row &row : rows) {
        appState->settings()->update([&](UserSettingsData &s) { s.aiEnabled = row.aiEnabled; });
        view.setClipboardSearchQuery(QString());
        settle();
        view.setClipboardSearchQuery(row.query);
        settle();
        EXPECT_EQ(view.displayedClipboardItems().size(), row.found) << row.query.toStdString() << " " << row.aiEnabled;
    }
}

} // namespace
