// The composition root wires capture, history, settings and paste together; these tests run the whole
// road of a copy on the simulated platform.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "fields/FocusedFieldAutoPasteService.h"
#include "launcher/NotchLauncherService.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardService.h"
#include "intelligence/SpellingServiceProvider.h"
#include "fields/FieldValueAssociationService.h"
#include "model/SettingsStore.h"
#include "model/MainStoreContainer.h"
#include "platform/sim/SimAccessibilityNode.h"
#include "platform/sim/SimPlatform.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"
#include "state/SystemStatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSqlQuery>

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
        TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);

        sim.pasteboard.copyText(QStringLiteral("second copy"));
        sim.clock.advance(0.2);
        TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 2, 10000);
        EXPECT_EQ(delegate.history().items().first().text(), QStringLiteral("second copy"));
        EXPECT_EQ(delegate.appState().runtime()->clipboardPulseToken(), 2);
        delegate.stop();
    }
    AppDelegate restarted(sim.platform(), testMode());
    restarted.start();
    sim.clock.advance(0.2);
    // The current clipboard equals the newest item, so the start-up capture adds nothing.
    TAVLEN_WAIT_UNTIL(restarted.history().items().size() == 2, 10000);
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
    EXPECT_TRUE(AppDelegate::launchOptions({QStringLiteral("tavlen"), QStringLiteral("--test-mode")}).testMode);
    EXPECT_FALSE(AppDelegate::launchOptions({QStringLiteral("tavlen")}).testMode);
}

TEST(AppDelegate, StartsTheLauncherAndHotKeyAndStopsThemInOrder)
{
    SimPlatform sim;
    sim.screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1512, 982), 24, 2),
                            SimScreens::makeScreen(2, QRectF(1512, -98, 1920, 1080))});
    AppDelegate delegate(sim.platform(), LaunchOptions{});
    // The program starts the stores first and the rest on its event loop's first turn.
    delegate.startStores();
    EXPECT_EQ(delegate.launcherService(), nullptr);
    EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
    delegate.start();
    ASSERT_NE(delegate.launcherService(), nullptr);
    EXPECT_EQ(delegate.launcherService()->windows().size(), 2);
    ASSERT_EQ(sim.hotKeys.registrations().size(), 1);
    EXPECT_EQ(sim.hotKeys.registrations().first().id, 1u);
    // Super+Shift and the key that types "1".
    EXPECT_EQ(sim.hotKeys.registrations().first().keysym, 0x31u);
    EXPECT_EQ(sim.hotKeys.registrations().first().modifiers,
              Qt::KeyboardModifiers(Qt::MetaModifier | Qt::ShiftModifier));
    // The auto-paste service watches left clicks everywhere and answers the launchers' field requests.
    ASSERT_NE(delegate.autoPasteService(), nullptr);
    EXPECT_EQ(delegate.launcherService()->aiActionHandler(), delegate.autoPasteService());
    EXPECT_TRUE(delegate.autoPasteService()->isMonitoring());
    // Other applications' selections reach the spelling check.
    ASSERT_NE(delegate.spellingService(), nullptr);
    EXPECT_TRUE(sim.textServices.isOfferingSpellingService());

    delegate.stop();
    EXPECT_FALSE(sim.textServices.isOfferingSpellingService());
    EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
    EXPECT_TRUE(delegate.launcherService()->windows().isEmpty());
    EXPECT_FALSE(delegate.autoPasteService()->isMonitoring());
    EXPECT_EQ(sim.eventMonitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown), 0);
    // A second stop (the destructor's) is harmless.
    delegate.stop();
}

TEST(AppDelegate, TestModeInstallsNothingGlobal)
{
    SimPlatform sim;
    AppDelegate delegate(sim.platform(), testMode());
    delegate.start();
    EXPECT_EQ(delegate.launcherService(), nullptr);
    EXPECT_EQ(delegate.autoPasteService(), nullptr);
    EXPECT_EQ(delegate.spellingService(), nullptr);
    EXPECT_FALSE(sim.textServices.isOfferingSpellingService());
    EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
}

TEST(AppDelegate, AShorterRetentionPrunesAtOnce)
{
    SimPlatform sim;
    AppDelegate delegate(sim.platform(), testMode());
    delegate.start();
    sim.pasteboard.copyText(QStringLiteral("three days old"));
    sim.clock.advance(0.2);
    TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);

    sim.clock.setWallClock(sim.clock.now().addDays(3));
    delegate.appState().settings()->update([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 2; });
    EXPECT_TRUE(delegate.history().items().isEmpty());
}

TEST(AppDelegate, AnInMemoryStoreKeepsNothingAcrossARestart)
{
    SimPlatform sim;
    LaunchOptions options = testMode();
    options.inMemoryStore = true;
    {
        AppDelegate delegate(sim.platform(), options);
        sim.pasteboard.copyText(QStringLiteral("kept in memory"));
        delegate.start();
        sim.clock.advance(0.2);
        TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);
    }
    sim.pasteboard.clear();
    AppDelegate restarted(sim.platform(), options);
    restarted.start();
    sim.clock.advance(0.2);
    EXPECT_TRUE(restarted.history().items().isEmpty());
    EXPECT_FALSE(QFile::exists(sim.storage.dataFolder() + QStringLiteral("/default.store")));
}

TEST(AppDelegate, TextPastedIntoAFieldIsRememberedAcrossARestart)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("org.example.crm"));
    FocusedFieldDescriptor phone;
    phone.applicationId = QStringLiteral("org.example.crm");
    phone.title = QStringLiteral("Phone");
    phone.role = QStringLiteral("AXTextField");
    phone.fieldType = QStringLiteral("Phone");
    const FocusedFieldTarget field{
        sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField)->element(), phone};
    {
        AppDelegate delegate(sim.platform(), testMode());
        delegate.start();
        // Linked again, the service still records a paste once.
        AppDelegate::linkClipboardService(delegate.clipboardService(), &delegate.appState(), &delegate.history());
        ClipboardItem item(QUuid::createUuid());
        item.setText(QStringLiteral("+48 600 200 200"));
        item.setTypeRawValue(rawValue(ClipboardItemType::text));
        sim.workspace.bringToFront(editor);
        Task<bool> pasted = delegate.clipboardService().paste(item, ClipboardPasteTarget{editor, field});
        sim.clock.advance(1);
        ASSERT_EQ(pasted.result(), std::optional<bool>(true));
        TAVLEN_WAIT_UNTIL(delegate.appState().fieldValueAssociations()->pendingOperations() == 0, 5000);
        ASSERT_EQ(delegate.appState().fieldValueAssociations()->associations().size(), 1);
        EXPECT_EQ(delegate.appState().fieldValueAssociations()->associations().first().pasteCount, 1);
        delegate.stop();
    }
    AppDelegate restarted(sim.platform(), testMode());
    restarted.start();
    const QList<FocusedFieldSuggestion> suggestions
        = DesktopTest::finish(restarted.appState().fieldValueAssociations()->suggestions(phone, 10, false))
              .value_or(QList<FocusedFieldSuggestion>());
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_EQ(suggestions.first().value, QStringLiteral("+48 600 200 200"));
    EXPECT_EQ(suggestions.first().title, QStringLiteral("Latest"));
}

TEST(AppDelegate, TextCopiedOutOfAFieldIsRememberedForIt)
{
    using A = AccessibilityAttribute;
    struct Row {
        const char *name;
        bool onTheClipboardAtStart;
        qsizetype remembered;
    };
    // What the clipboard held when Tavlen started enters the history, but was copied before anyone watched
    // which field had the caret.
    for (const Row row : {Row{"copied while Tavlen runs", false, 1}, Row{"on the clipboard at start", true, 0}}) {
        SCOPED_TRACE(row.name);
        SimPlatform sim;
        const RunningApplication browser = sim.workspace.addApplication(QStringLiteral("firefox"), QStringLiteral("Firefox"));
        const auto page = sim.accessibility.application(browser.pid)
                              ->addChild(AccessibilityRole::window)
                              ->addChild(AccessibilityRole::webArea);
        page->set(A::url, "https://shop.example.com/login");
        const auto login = page->addChild(AccessibilityRole::textField);
        login->set(A::title, "Username").set(A::selectedText, "jan.kowalski").set(A::selectedTextRange, AccessibilityTextRange{0, 12});
        login->setFocused();
        sim.workspace.bringToFront(browser);

        AppDelegate delegate(sim.platform(), testMode());
        if (row.onTheClipboardAtStart)
            sim.pasteboard.copyText(QStringLiteral("jan.kowalski"));
        delegate.start();
        if (!row.onTheClipboardAtStart)
            sim.pasteboard.copyText(QStringLiteral("jan.kowalski"));
        sim.clock.advance(0.2);
        TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 1, 10000);
        const FieldValueAssociationService &values = *delegate.appState().fieldValueAssociations();
        TAVLEN_WAIT_UNTIL(values.pendingOperations() == 0, 5000);
        ASSERT_EQ(values.associations().size(), row.remembered);
        if (row.remembered == 0)
            continue;
        EXPECT_EQ(values.associations().first().fieldType, QStringLiteral("Login"));
        EXPECT_EQ(values.associations().first().webOrigin, QStringLiteral("https://shop.example.com"));

        // A copy that is not the field's selection belongs to no field.
        sim.pasteboard.copyText(QStringLiteral("something else"));
        sim.clock.advance(0.2);
        TAVLEN_WAIT_UNTIL(delegate.history().items().size() == 2, 10000);
        EXPECT_EQ(values.associations().size(), 1);
    }
}

TEST(AppDelegate, ThePasteTargetCarriesTheFrontmostApplicationsFocusedField)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("gedit"), QStringLiteral("Editor"));
    const auto field = sim.accessibility.application(editor.pid)->addChild(AccessibilityRole::textField);
    field->set(AccessibilityAttribute::title, "Username");
    field->setFocused();
    sim.workspace.bringToFront(editor);
    AppDelegate delegate(sim.platform(), testMode());
    delegate.start();

    const std::optional<ClipboardPasteTarget> target = delegate.clipboardService().focusedFieldTarget();
    ASSERT_TRUE(target && target->field);
    EXPECT_EQ(target->field->element, field->element());
    EXPECT_EQ(target->field->descriptor.fieldType, QStringLiteral("Login"));
}

TEST(AppDelegate, AStoreMovedAsideAndAModelElsewhereAreToldOnceAndShownInTheSettings)
{
    SimPlatform sim;
    // A store whose header and tables read, with a damaged page that only the integrity check reads
    // (it runs while the history loads).
    qint64 rootPageOffset = 0;
    {
        MainStoreContainer store(sim.storage.dataFolder());
        QSqlQuery query(store.database());
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO ClipboardItem (id, text, date, typeRawValue)"
                                                  " VALUES ('%1', '%2', %1, 'text')").arg(i).arg(QString(300, u'x'))));
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT (rootpage - 1) * (SELECT page_size FROM pragma_page_size)"
                                              " FROM sqlite_master WHERE name = 'ClipboardItem'")) && query.next());
        rootPageOffset = query.value(0).toLongLong();
    }
    QFile damaged(sim.storage.dataFolder() + QStringLiteral("/default.store"));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite) && damaged.seek(rootPageOffset));
    damaged.write(QByteArray(1, '\xff')); // no kind of page
    damaged.close();
    // The remembered field values' list is not a database at all.
    QFile values(sim.storage.dataFolder() + QStringLiteral("/focused-field-associations.store"));
    ASSERT_TRUE(values.open(QIODevice::WriteOnly));
    values.write(QByteArray(8192, 'x'));
    values.close();
    sim.languageModel.remote = QStringLiteral("http://10.0.0.7:8080");

    AppDelegate delegate(sim.platform(), testMode());
    delegate.start();
    QStringList summaries;
    // The list is opened on the field values' own thread: it is told once that has happened.
    TAVLEN_WAIT_UNTIL(sim.notifications.posted.size() == 3, 10000);
    for (const SimNotifications::Posted &posted : std::as_const(sim.notifications.posted))
        summaries.append(posted.summary);
    EXPECT_EQ(summaries, QStringList({QStringLiteral("Tavlen started a new history"),
                                      QStringLiteral("Copied text leaves this computer"),
                                      QStringLiteral("Tavlen started a new list of remembered field values")}));
    EXPECT_TRUE(delegate.systemStatus().historyDescription().contains(delegate.mainStore().status().movedTo));
    EXPECT_TRUE(QFileInfo::exists(delegate.mainStore().status().movedTo));

    // Opening the settings reads the model's address again; back on this computer, the window says so.
    sim.languageModel.remote.clear();
    delegate.settingsWindow().show();
    const QLabel *model = delegate.settingsWindow().view()->page(QStringLiteral("Intelligence"))->findChild<QLabel *>(
        QStringLiteral("modelLocation"));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->text(), QStringLiteral("Text given to the language model stays on this computer."));
    const QLabel *history = delegate.settingsWindow().view()->page(QStringLiteral("General"))->findChild<QLabel *>(
        QStringLiteral("historyState"));
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->text(), delegate.systemStatus().historyDescription());
    EXPECT_EQ(sim.notifications.posted.size(), 3);
    delegate.stop();
}
