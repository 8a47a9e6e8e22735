// Text actions in the item preview on the simulated model and clock: when the menu is offered, the
// running mark, the result sheet and the alert "AI Action Failed", the keys while a sheet is up, and
// snapshots of the action menu and the result sheet over the preview.
#include "PreviewTestItems.h"

#include "DesktopTest.h"

#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIError.h"
#include "intelligence/ClipboardAIResultView.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"
#include "preview/ClipboardPreviewActionMenu.h"
#include "state/AppState.h"
#include "ui/AlertView.h"
#include "preview/ClipboardPreviewModel.h"
#include "preview/ClipboardPreviewSheet.h"
#include "preview/ClipboardPreviewWindow.h"
#include "preview/ClipboardPreviewWindowView.h"
#include "ui/PushButton.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>

#include <gtest/gtest.h>

using namespace PreviewTestItems;

namespace {

struct Preview {
    explicit Preview(QList<ClipboardItem> list = {text(QStringLiteral("Call Ana about the offsite. Book the venue by "
                                                                      "Friday and ask IT for two laptops."))},
                     bool withState = true)
        : items(std::move(list))
    {
        sim.screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1512, 982), 0)});
        appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
        sim.languageModel.answerer = [](const LanguageModelRequest &) {
            return LanguageModelResponse::completedWith(QStringLiteral("- [ ] Call Ana\n- [ ] Book the venue"));
        };
        sim.languageModel.responseDelay = 1;
        auto model = std::make_unique<ClipboardPreviewModel>(items, items.first().id(), nullptr);
        window = new ClipboardPreviewWindow(sim.platform(), withState ? &appState : nullptr, std::move(model));
        window->onClose = [this] { ++closes; };
        window->onPaste = [this](const ClipboardItem &) { ++pastes; };
        window->show(std::nullopt);
        view()->resize(1100, 760);
    }
    ~Preview() { delete window.data(); }

    ClipboardPreviewWindowView *view() const { return window->view(); }
    bool menuOffered() const { return !view()->actionMenu()->isHidden(); }
    EventDisposition press(Qt::Key key)
    {
        return sim.eventMonitors.sendLocalKeyDown(sim.eventMonitors.keyDown(key, {}, {}, &window->window()->panel()));
    }
    ClipboardAIResultView *resultSheet() const { return qobject_cast<ClipboardAIResultView *>(view()->sheet()->content()); }
    AlertView *alert() const { return qobject_cast<AlertView *>(view()->sheet()->content()); }

    SimPlatform sim;
    AppState appState{sim.platform()};
    QList<ClipboardItem> items;
    QPointer<ClipboardPreviewWindow> window;
    int closes = 0;
    int pastes = 0;
};

TEST(ClipboardPreviewAIActionsTest, TheMenuIsOfferedForTextWhileLocalIntelligenceIsOn)
{
    struct Row {
        const char *what;
        ClipboardItem item;
        bool aiEnabled;
        bool offered;
    };
    const QList<Row> rows{
        {"a text", text(QStringLiteral("Some words")), true, true},
        {"a link", link(QStringLiteral("https://example.com/a")), true, true},
        {"local intelligence off", text(QStringLiteral("Some words")), false, false},
        {"only spaces", text(QStringLiteral("  \n ")), true, false},
        {"files", files({QStringLiteral("/tmp/a.txt")}), true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Preview preview({row.item});
        preview.appState.settings()->update([&](UserSettingsData &s) { s.aiEnabled = row.aiEnabled; });
        EXPECT_EQ(preview.menuOffered(), row.offered);
    }
    // It follows the setting as it changes.
    Preview preview;
    preview.appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = false; });
    EXPECT_FALSE(preview.menuOffered());
    preview.appState.settings()->update([](UserSettingsData &s) { s.aiEnabled = true; });
    EXPECT_TRUE(preview.menuOffered());
    Preview stateless({text(QStringLiteral("words"))}, false);
    EXPECT_FALSE(stateless.menuOffered());
}

// Without a compositor the open list takes its rounded outline's shape, so its corners show the desktop
// rather than black; with one, the window stays whole and its corners are transparent.
TEST(ClipboardPreviewAIActionsTest, TheOpenListIsShapedToItsOutlineOnlyWithoutACompositor)
{
    for (const bool compositor : {false, true}) {
        SCOPED_TRACE(compositor);
        Preview preview;
        preview.sim.appearance.setSupportsTranslucency(compositor);
        ClipboardPreviewActionMenu *menu = preview.view()->actionMenu();
        menu->openMenu();
        ASSERT_NE(menu->menu(), nullptr);
        const QRegion shape = menu->menu()->mask();
        EXPECT_EQ(shape.isEmpty(), compositor);
        if (!compositor) {
            EXPECT_FALSE(shape.contains(QPoint(0, 0)));
            EXPECT_FALSE(shape.contains(QPoint(menu->menu()->width() - 1, menu->menu()->height() - 1)));
            EXPECT_TRUE(shape.contains(menu->menu()->rect().center()));
            EXPECT_TRUE(shape.contains(QPoint(menu->menu()->width() / 2, 0)));
        }
        menu->closeMenu();
    }
}

TEST(ClipboardPreviewAIActionsTest, AnActionIsMarkedWhileItRunsAndItsResultOpensTheSheet)
{
    Preview preview;
    ClipboardPreviewActionMenu *menu = preview.view()->actionMenu();
    menu->openMenu();
    ASSERT_NE(menu->menu(), nullptr);
    menu->choose(ClipboardAIAction::extractTasks);
    EXPECT_EQ(menu->menu(), nullptr);
    EXPECT_EQ(preview.view()->runningAIAction(), ClipboardAIAction::extractTasks);
    EXPECT_EQ(menu->runningAction(), ClipboardAIAction::extractTasks);
    EXPECT_FALSE(menu->isEnabled());
    EXPECT_EQ(menu->accessibleName(), QStringLiteral("Extract Tasks…"));
    // One at a time.
    preview.view()->runAIAction(ClipboardAIAction::summarize);
    EXPECT_EQ(preview.sim.languageModel.requests().size(), 1);
    EXPECT_TRUE(preview.sim.languageModel.requests().first().prompt.startsWith(requestText(ClipboardAIAction::extractTasks)));

    preview.sim.clock.advance(1);
    EXPECT_FALSE(preview.view()->runningAIAction());
    EXPECT_TRUE(menu->isEnabled());
    ASSERT_TRUE(preview.view()->aiActionResult());
    EXPECT_EQ(preview.view()->aiActionResult()->action, ClipboardAIAction::extractTasks);
    EXPECT_EQ(preview.view()->aiActionResult()->text, QStringLiteral("- [ ] Call Ana\n- [ ] Book the venue"));
    ClipboardAIResultView *sheet = preview.resultSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->headerTitle(), QStringLiteral("Extract Tasks"));
    EXPECT_EQ(sheet->text(), preview.view()->aiActionResult()->text);

    // Every result is a sheet of its own.
    const QUuid first = preview.view()->aiActionResult()->id;
    sheet->done();
    EXPECT_FALSE(preview.view()->aiActionResult());
    EXPECT_FALSE(preview.view()->sheet()->isPresented());
    preview.view()->runAIAction(ClipboardAIAction::extractTasks);
    preview.sim.clock.advance(1);
    ASSERT_TRUE(preview.view()->aiActionResult());
    EXPECT_NE(preview.view()->aiActionResult()->id, first);
}

TEST(ClipboardPreviewAIActionsTest, AFailureShowsTheAlertAndACancellationShowsNothing)
{
    struct Row {
        const char *what;
        std::function<void(Preview &)> setUp;
        QString message;
    };
    const QList<Row> rows{
        {"no model", [](Preview &p) { p.sim.languageModel.currentAvailability = LanguageModelAvailability::notEnabled; },
         ClipboardAIError::unavailable().localizedDescription()},
        {"an answer cut short",
         [](Preview &p) {
             p.sim.languageModel.queueResponse(LanguageModelResponse::failedWith(LanguageModelResponse::Status::truncated,
                                                                                 QStringLiteral("Cut off.")),
                                               1);
         },
         QStringLiteral("Cut off.")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Preview preview;
        row.setUp(preview);
        preview.view()->runAIAction(ClipboardAIAction::summarize);
        preview.sim.clock.advance(1);
        EXPECT_FALSE(preview.view()->aiActionResult());
        EXPECT_EQ(preview.view()->aiActionError(), row.message);
        AlertView *alert = preview.alert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), QStringLiteral("AI Action Failed"));
        EXPECT_EQ(alert->message(), row.message);
        alert->okButton()->click();
        EXPECT_FALSE(preview.view()->aiActionError());
        EXPECT_FALSE(preview.view()->sheet()->isPresented());
    }

    // A spelling check of a long item is refused by its own rule, before the model.
    Preview longItem({text(QString(1600, QLatin1Char('a')))});
    longItem.view()->runAIAction(ClipboardAIAction::checkSpelling);
    longItem.sim.clock.advance(1);
    EXPECT_EQ(longItem.view()->aiActionError(), ClipboardAIError::selectionTooLong().localizedDescription());
    EXPECT_TRUE(longItem.sim.languageModel.requests().isEmpty());

    // The preview goes while the action runs: the request is cancelled and nothing is shown anywhere.
    Preview closing;
    closing.view()->runAIAction(ClipboardAIAction::summarize);
    delete closing.window.data();
    closing.sim.clock.advance(1);
    EXPECT_EQ(closing.sim.languageModel.cancelledRequests(), 1);
    EXPECT_EQ(closing.appState.ai()->activeRequestCount(), 0);
}

TEST(ClipboardPreviewAIActionsTest, WhileASheetIsUpItsKeysAreItsOwn)
{
    Preview preview({text(QStringLiteral("one")), text(QStringLiteral("two"))});
    preview.view()->runAIAction(ClipboardAIAction::summarize);
    preview.sim.clock.advance(1);
    ASSERT_TRUE(preview.view()->sheet()->isPresented());
    EXPECT_EQ(preview.press(Qt::Key_Return), EventDisposition::Pass) << "Return belongs to the editor";
    EXPECT_EQ(preview.press(Qt::Key_Down), EventDisposition::Pass);
    EXPECT_EQ(preview.pastes, 0);
    EXPECT_EQ(preview.window->model().selectedIndex(), 0) << "no paging behind the sheet";
    EXPECT_EQ(preview.press(Qt::Key_Escape), EventDisposition::Consume);
    EXPECT_FALSE(preview.view()->sheet()->isPresented());
    EXPECT_EQ(preview.closes, 0) << "Escape closed the sheet, not the preview";

    // The alert answers Escape the same way; then the preview has its keys back.
    preview.view()->setAIActionError(QStringLiteral("Something failed."));
    EXPECT_EQ(preview.press(Qt::Key_Escape), EventDisposition::Consume);
    EXPECT_FALSE(preview.view()->aiActionError());
    EXPECT_EQ(preview.press(Qt::Key_Down), EventDisposition::Consume);
    EXPECT_EQ(preview.window->model().selectedIndex(), 1);
    EXPECT_EQ(preview.press(Qt::Key_Escape), EventDisposition::Consume);
    EXPECT_EQ(preview.closes, 1);
}

TEST(ClipboardPreviewAIActionsTest, PastingTheResultClosesTheSheetAndLeavesThePreview)
{
    Preview preview;
    preview.view()->runAIAction(ClipboardAIAction::summarize);
    preview.sim.clock.advance(1);
    ClipboardAIResultView *sheet = preview.resultSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->editor()->setPlainText(QStringLiteral("Edited"));
    sheet->pasteButton()->click();
    EXPECT_FALSE(preview.view()->aiActionResult());
    EXPECT_FALSE(preview.view()->sheet()->isPresented());
    EXPECT_FALSE(preview.window->isClosing());
}

QImage grab(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(ClipboardPreviewAIActionsTest, Snapshots)
{
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        const QString suffix = scheme == ColorScheme::dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        Preview preview;
        preview.sim.appearance.setColorScheme(scheme);
        // On screen (offscreen), as a person would see it: scroll bars and the like settle only there.
        preview.view()->window()->show();
        QCoreApplication::processEvents();
        ClipboardPreviewActionMenu *menu = preview.view()->actionMenu();
        menu->openMenu();
        QCoreApplication::processEvents();
        ASSERT_NE(menu->menu(), nullptr);
        // The open menu drawn where it opens over the preview: under the button, right edges aligned (the
        // offscreen screen is too small to place the real window there).
        QImage image = grab(*preview.view());
        {
            QPainter painter(&image);
            const QPoint at = menu->mapTo(preview.view(), QPoint(menu->width() - ClipboardPreviewActionMenu::menuWidth,
                                                                 ClipboardPreviewActionMenu::height + 6));
            painter.drawImage(at, grab(*menu->menu()));
        }
        DesktopTest::saveSnapshot(image, QStringLiteral("preview-action-menu") + suffix);
        menu->closeMenu();

        preview.view()->runAIAction(ClipboardAIAction::summarize);
        QCoreApplication::processEvents();
        DesktopTest::saveSnapshot(grab(*preview.view()).copy(0, 0, 1100, 90), QStringLiteral("preview-action-running") + suffix);
        preview.sim.clock.advance(1);
        QCoreApplication::processEvents();
        DesktopTest::saveSnapshot(grab(*preview.view()), QStringLiteral("preview-result-sheet") + suffix);
        preview.view()->setAIActionError(ClipboardAIError::unavailable().localizedDescription());
        QCoreApplication::processEvents();
        DesktopTest::saveSnapshot(grab(*preview.view()), QStringLiteral("preview-action-failed") + suffix);
    }
}

} // namespace
