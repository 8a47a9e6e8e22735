#include "LauncherTestFixture.h"

#include "fields/NotchDoubleClickTracker.h"
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "launcher/NotchExpansionCoordinator.h"

namespace {

class NotchLauncherServiceTest : public LauncherTest {};

// --- The expansion coordinator ---

class FakeList : public NotchListCollapsing {
public:
    ~FakeList() override { lifetime.end(); }
    int collapses = 0;
    void collapseImmediately() override { ++collapses; }
    Lifetime::Pointer<NotchListCollapsing> weakList() override { return {this, lifetime}; }
    Lifetime lifetime;
};

TEST(NotchExpansionCoordinator, ExpandingOneListCollapsesTheOtherAtOnce)
{
    NotchExpansionCoordinator coordinator;
    FakeList a;
    FakeList b;
    coordinator.willExpand(&a);
    EXPECT_EQ(coordinator.activeList(), &a);
    coordinator.willExpand(&a);
    EXPECT_EQ(a.collapses, 0);
    coordinator.willExpand(&b);
    EXPECT_EQ(a.collapses, 1);
    EXPECT_EQ(coordinator.activeList(), &b);
    {
        FakeList gone;
        coordinator.willExpand(&gone);
        EXPECT_EQ(b.collapses, 1);
    }
    EXPECT_EQ(coordinator.activeList(), nullptr);
    coordinator.willExpand(&a); // the vanished list is not touched
    EXPECT_EQ(coordinator.activeList(), &a);
}

// --- The double-click tracker ---

TEST(NotchDoubleClickTracker, ACommandDoubleClickThatBeganInOurWindowsOpensNothing)
{
    struct Row {
        const char *name;
        std::optional<double> ownClickAt;
        double at;
        int clickCount;
        bool command;
        bool proceeds;
    };
    const double interval = 0.5;
    const std::vector<Row> rows = {
        {"entirely elsewhere", std::nullopt, 10, 2, true, true},
        {"began in our window", 9.8, 10, 2, true, false},
        {"at the interval's end", 9.5, 10, 2, true, false},
        {"after the interval", 9.4, 10, 2, true, true},
        {"own click later than the event", 10.2, 10, 2, true, true},
        {"without Super", std::nullopt, 10, 2, false, false},
        {"a triple click", std::nullopt, 10, 3, true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        NotchDoubleClickTracker tracker;
        if (row.ownClickAt)
            tracker.recordOwnClick(*row.ownClickAt);
        EXPECT_EQ(tracker.shouldHandleForeignClick(row.at, row.clickCount, row.command, interval), row.proceeds);
    }

    // The first click of a double click made elsewhere resets the tracker.
    NotchDoubleClickTracker tracker;
    tracker.recordOwnClick(9.9);
    EXPECT_FALSE(tracker.shouldHandleForeignClick(10.0, 1, true, interval));
    EXPECT_FALSE(tracker.lastTavlenClickTimestamp);
    EXPECT_TRUE(tracker.shouldHandleForeignClick(10.2, 2, true, interval));
}

// --- The window sets ---

TEST_F(NotchLauncherServiceTest, OneLauncherPerScreenAndCompactWindowsOnlyWhileEnabled)
{
    updateSettings([](UserSettingsData &s) { s.fieldWindowEnabled = false; });
    NotchLauncherService &launchers = startService();
    EXPECT_EQ(launchers.windows().keys(), (QList<quint32>{leftNumber, rightNumber}));
    EXPECT_TRUE(launchers.fieldWindows().isEmpty());
    for (NotchLauncherWindow *window : launchers.windows()) {
        EXPECT_EQ(window->configuredPresentation(), LauncherPresentation::notch);
        EXPECT_TRUE(window->panel()->isVisible());
        EXPECT_FALSE(window->isExpanded());
    }

    updateSettings([](UserSettingsData &s) { s.fieldWindowEnabled = true; });
    processEvents();
    EXPECT_EQ(launchers.windows().size(), 2);
    EXPECT_EQ(launchers.fieldWindows().keys(), (QList<quint32>{leftNumber, rightNumber}));
    for (NotchLauncherWindow *window : launchers.fieldWindows()) {
        EXPECT_EQ(window->configuredPresentation(), LauncherPresentation::window);
        EXPECT_FALSE(window->panel()->isVisible());
    }
}

TEST_F(NotchLauncherServiceTest, AnySettingChangeRebuildsEveryWindowCollapsedOnce)
{
    NotchLauncherService &launchers = startService();
    QPointer<NotchLauncherWindow> before = launchers.windows().value(leftNumber);
    before->show(NotchLauncherListKind::clipboard);
    ASSERT_TRUE(before->isExpanded());
    const int rebuilds = launchers.refreshCount();

    updateSettings([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 3; });
    updateSettings([](UserSettingsData &s) { s.pasteAsPlainText = true; });
    EXPECT_EQ(launchers.refreshCount(), rebuilds); // never inside the notification itself
    processEvents();
    EXPECT_EQ(launchers.refreshCount(), rebuilds + 1);
    processEvents();
    EXPECT_TRUE(!before || before->isClosed());
    NotchLauncherWindow *after = launchers.windows().value(leftNumber);
    ASSERT_TRUE(after);
    EXPECT_NE(after, before.data());
    EXPECT_FALSE(after->isExpanded());

    // Observation goes on after a rebuild.
    updateSettings([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 5; });
    processEvents();
    EXPECT_EQ(launchers.refreshCount(), rebuilds + 2);
}

TEST_F(NotchLauncherServiceTest, UnpluggingAScreenClosesEveryWindowAndBuildsOnlyForTheRest)
{
    NotchLauncherService &launchers = startService();
    QPointer<NotchLauncherWindow> right = launchers.windows().value(rightNumber);
    QPointer<NotchLauncherWindow> left = launchers.windows().value(leftNumber);
    left->show(NotchLauncherListKind::clipboard);

    sim.screens.setScreens({leftScreen()});
    processEvents();
    EXPECT_EQ(launchers.windows().keys(), QList<quint32>{leftNumber});
    EXPECT_EQ(launchers.fieldWindows().keys(), QList<quint32>{leftNumber});
    EXPECT_TRUE(!right || right->isClosed());
    EXPECT_TRUE(!left || left->isClosed());
    EXPECT_FALSE(launchers.windows().value(leftNumber)->isExpanded());
}

TEST_F(NotchLauncherServiceTest, AScreenRepeatingANumberReplacesTheEarlierWindowAndClosesIt)
{
    ScreenInfo twin = rightScreen();
    twin.number = leftNumber;
    sim.screens.setScreens({leftScreen(), twin});
    NotchLauncherService &launchers = startService();
    ASSERT_EQ(launchers.windows().size(), 1);
    EXPECT_EQ(launchers.windows().value(leftNumber)->screen().frame, twin.frame);
    // Every launcher panel still open belongs to a window of the service.
    int open = 0;
    for (SimPanel *panel : sim.panels.panels())
        open += panel->isClosed() ? 0 : 1;
    EXPECT_EQ(open, launchers.windows().size() + launchers.fieldWindows().size());
}

TEST_F(NotchLauncherServiceTest, ScreensWithoutANumberGetNoWindow)
{
    ScreenInfo anonymous = rightScreen();
    anonymous.number.reset();
    sim.screens.setScreens({anonymous});
    NotchLauncherService &launchers = startService();
    EXPECT_TRUE(launchers.windows().isEmpty());
    EXPECT_EQ(launchers.window(QPointF(2000, 500), launchers.windows()), nullptr);
    launchers.openLauncher(NotchLauncherListKind::clipboard, std::nullopt, std::nullopt, std::nullopt);
    EXPECT_FALSE(launchers.presentDemo({}, std::nullopt));
}

TEST_F(NotchLauncherServiceTest, WindowContainingAPointFindsTheScreenUnderIt)
{
    NotchLauncherService &launchers = startService();
    NotchLauncherWindow *left = launchers.windows().value(leftNumber);
    NotchLauncherWindow *right = launchers.windows().value(rightNumber);
    struct Row {
        const char *name;
        QPointF point;
        NotchLauncherWindow *expected;
    };
    const std::vector<Row> rows = {
        {"left screen", QPointF(10, 10), left},
        {"right screen", QPointF(2000, 10), right},
        {"the right screen's first column", QPointF(1512, 500), right},
        {"nowhere: the primary screen", QPointF(-50, 5000), left},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(launchers.window(row.point, launchers.windows()), row.expected);
    }
    NotchLauncherService::WindowMap onlyRight{{rightNumber, right}};
    EXPECT_EQ(launchers.window(QPointF(10, 10), onlyRight), right);
    EXPECT_EQ(launchers.window(QPointF(10, 10), {}), nullptr);
}

TEST_F(NotchLauncherServiceTest, ARebuildDuringADesktopSwitchSuspendsNewLaunchersButNeverCompactWindows)
{
    NotchLauncherService &launchers = startService();
    sim.desktopSwitchSignals.currentDesktopChanged();
    ASSERT_TRUE(launchers.desktopSwitchMonitor().state().isSuspended);
    EXPECT_TRUE(launchers.windows().value(leftNumber)->viewModel()->isDesktopSwitchSuspended())
        << "the switch hides the launchers already up";
    launchers.refreshWindows();
    EXPECT_TRUE(launchers.windows().value(leftNumber)->viewModel()->isDesktopSwitchSuspended());
    // No real notch on the right screen: nothing to hide there.
    EXPECT_FALSE(launchers.windows().value(rightNumber)->viewModel()->isDesktopSwitchSuspended());
    for (NotchLauncherWindow *field : launchers.fieldWindows())
        EXPECT_FALSE(field->viewModel()->isDesktopSwitchSuspended());

    sim.clock.advance(0.65);
    EXPECT_FALSE(launchers.windows().value(leftNumber)->viewModel()->isDesktopSwitchSuspended());
    EXPECT_TRUE(launchers.windows().value(leftNumber)->panel()->isVisible());
}

// --- Opening ---

TEST_F(NotchLauncherServiceTest, TheLauncherUnderThePointerOpensAndTheOtherCollapsesAtOnce)
{
    NotchLauncherService &launchers = startService();
    NotchLauncherWindow *left = launchers.windows().value(leftNumber);
    NotchLauncherWindow *right = launchers.windows().value(rightNumber);
    movePointer(QPointF(300, 300));
    launchers.openLauncher(NotchLauncherListKind::clipboard, std::nullopt, std::nullopt, std::nullopt);
    ASSERT_TRUE(left->isExpanded());

    movePointer(QPointF(2500, 300));
    launchers.openLauncher(NotchLauncherListKind::clipboard, std::nullopt, std::nullopt, std::nullopt);
    EXPECT_TRUE(right->isExpanded());
    EXPECT_FALSE(left->isExpanded());
    EXPECT_FALSE(left->panel()->isAnimatingFrame());

    // A compact window expanding collapses the launcher too.
    NotchLauncherWindow *compact = launchers.fieldWindows().value(leftNumber);
    launchers.openLauncher(NotchLauncherListKind::clipboard, QPointF(400, 400), std::nullopt,
                           ClipboardPasteTarget{editor, std::nullopt});
    EXPECT_TRUE(compact->isExpanded());
    EXPECT_FALSE(right->isExpanded());
    EXPECT_EQ(compact->fieldWindowAnchor(), QRectF(400, 400, 0, 0));
}

TEST_F(NotchLauncherServiceTest, TheHotKeyOpensTheNotchLauncherNeverTheCompactWindow)
{
    NotchLauncherService &launchers = startService();
    ASSERT_FALSE(launchers.fieldWindows().isEmpty());
    launchers.prepareDesktopSwitchMonitor();
    launchers.showClipboardLauncher(QPointF(2000, 300));
    EXPECT_TRUE(launchers.windows().value(rightNumber)->isExpanded());
    for (NotchLauncherWindow *field : launchers.fieldWindows())
        EXPECT_FALSE(field->isExpanded());
    // Pressed again: stays open.
    launchers.showClipboardLauncher(QPointF(2000, 300));
    EXPECT_TRUE(launchers.windows().value(rightNumber)->isExpanded());
}

TEST_F(NotchLauncherServiceTest, OpeningAtAPointWithoutCompactWindowsUsesTheLauncherThere)
{
    updateSettings([](UserSettingsData &s) { s.fieldWindowEnabled = false; });
    NotchLauncherService &launchers = startService();
    launchers.openLauncher(NotchLauncherListKind::clipboard, QPointF(2000, 100), std::nullopt, std::nullopt);
    EXPECT_TRUE(launchers.windows().value(rightNumber)->isExpanded());
    EXPECT_FALSE(launchers.windows().value(leftNumber)->isExpanded());
}

TEST_F(NotchLauncherServiceTest, CollapseAllExpandedAndClearAIContexts)
{
    NotchLauncherService &launchers = startService();
    NotchLauncherWindow *left = launchers.windows().value(leftNumber);
    NotchLauncherWindow *right = launchers.windows().value(rightNumber);
    right->show(NotchLauncherListKind::clipboard);
    launchers.clearAIContexts();
    EXPECT_TRUE(right->isExpanded()); // no field context: left as it is

    left->openForPasteTarget(contextWith(2, 1), NotchLauncherListKind::recent, std::nullopt);
    left->viewModel()->setAISearchQuery(QStringLiteral("ma"));
    launchers.clearAIContexts();
    EXPECT_FALSE(left->isExpanded());
    EXPECT_FALSE(left->viewModel()->aiContext());
    EXPECT_TRUE(left->viewModel()->aiSearchQuery().isEmpty());
    EXPECT_FALSE(left->viewModel()->selectedAISuggestionID());

    right->show(NotchLauncherListKind::clipboard);
    launchers.collapseAllExpanded();
    EXPECT_FALSE(right->isExpanded());
}

TEST_F(NotchLauncherServiceTest, WindowCallbacksReachTheFieldValueEngine)
{
    NotchLauncherService &launchers = startService();
    NotchLauncherWindow *left = launchers.windows().value(leftNumber);

    handler.focusedField = true;
    EXPECT_TRUE(left->hasFocusedField());
    left->onAIContextRequest(NotchLauncherListKind::recent);
    EXPECT_EQ(handler.lastRequestedList, NotchLauncherListKind::recent);

    const FocusedFieldSuggestion suggestion{.value = QStringLiteral("v")};
    left->onAISuggestionSelect(suggestion);
    EXPECT_TRUE(handler.insertedSuggestions.isEmpty());
    EXPECT_EQ(handler.clearedTargets, 1); // no usable target: the engine forgets it
    handler.notchTarget = NotchAIActionHandling::NotchTarget{
        editor, FocusedFieldTarget{sim.accessibility.application(1)->addChild(AccessibilityRole::textField)->element(), {}},
        QRectF(10, 10, 200, 24)};
    left->onAISuggestionSelect(suggestion);
    EXPECT_EQ(handler.insertedSuggestions, QList<QUuid>{suggestion.id});

    handler.acceptsClipboardItems = true;
    EXPECT_TRUE(left->onFocusedFieldClipboardItemSelect(textItem("t"), ClipboardPasteTarget{editor, std::nullopt}).result().value_or(false));
}

TEST_F(NotchLauncherServiceTest, WithoutAFieldValueEngineCallbacksDoNothing)
{
    NotchLauncherService &launchers = startService();
    launchers.setAIActionHandler(nullptr);
    NotchLauncherWindow *left = launchers.windows().value(leftNumber);
    EXPECT_FALSE(left->hasFocusedField());
    left->onAIContextRequest(NotchLauncherListKind::recent);
    left->onAISuggestionSelect(FocusedFieldSuggestion{});
    EXPECT_FALSE(left->onFocusedFieldClipboardItemSelect(textItem("t"), ClipboardPasteTarget{editor, std::nullopt}).result().value_or(true));
    EXPECT_EQ(handler.contextRequests, 0);
    EXPECT_EQ(handler.clearedTargets, 0);

    // A handler that goes away is dropped as well.
    auto transient = std::make_unique<FakeAIHandler>();
    transient->focusedField = true;
    launchers.setAIActionHandler(transient.get());
    EXPECT_TRUE(left->hasFocusedField());
    transient.reset();
    EXPECT_FALSE(left->hasFocusedField());
}

TEST_F(NotchLauncherServiceTest, NoWindowsWithoutTheRootStateOrTheHistory)
{
    history.reset();
    NotchLauncherService &launchers = startService();
    EXPECT_TRUE(launchers.windows().isEmpty());
    EXPECT_EQ(launchers.refreshCount(), 0);
}

TEST_F(NotchLauncherServiceTest, ARebuildDuringAPasteLetsThePasteFinish)
{
    NotchLauncherService &launchers = startService();
    QPointer<NotchLauncherWindow> left = launchers.windows().value(leftNumber);
    left->show(NotchLauncherListKind::clipboard);
    left->selectClipboardItem(textItem("keep going"));
    sim.clock.advance(0.1); // the paste is under way
    ASSERT_TRUE(clipboardService->isPasting());
    launchers.refreshWindows();
    processEvents();
    ASSERT_TRUE(left); // kept until its paste has finished
    sim.clock.advance(1);
    EXPECT_FALSE(clipboardService->isPasting());
    EXPECT_EQ(pasteCount(), 1);
    processEvents();
    EXPECT_FALSE(left);
}

// --- The onboarding demo ---

TEST_F(NotchLauncherServiceTest, TheDemoWindowAnswersTheHotKeyOnAnyScreen)
{
    NotchLauncherService &launchers = startService();
    QList<NotchLauncherListKind> listSelections;
    NotchLauncherDemoConfiguration demo;
    demo.clipboardItems = {textItem("sample")};
    demo.onListKindSelect = [&](NotchLauncherListKind list) { listSelections.append(list); };
    ASSERT_TRUE(launchers.presentDemo(demo, rightNumber));
    NotchLauncherWindow *right = launchers.windows().value(rightNumber);
    EXPECT_EQ(launchers.demoWindow(), right);

    movePointer(QPointF(100, 100)); // on the left screen
    launchers.openLauncher(NotchLauncherListKind::clipboard, std::nullopt, std::nullopt, std::nullopt);
    EXPECT_TRUE(right->isExpanded());
    EXPECT_FALSE(launchers.windows().value(leftNumber)->isExpanded());
    EXPECT_EQ(listSelections, QList<NotchLauncherListKind>{NotchLauncherListKind::clipboard});

    launchers.setDemoHighlights({NotchDemoHighlight::search});
    EXPECT_EQ(right->viewModel()->demoHighlights(), NotchDemoHighlights{NotchDemoHighlight::search});
    EXPECT_EQ(right->hoverOutLockUntil(), NotchLauncherWindow::lockedForGood);
    launchers.updateDemoHighlights({});
    EXPECT_TRUE(right->viewModel()->demoHighlights().isEmpty());

    launchers.closeDemoPreview();
    EXPECT_FALSE(right->isExpanded());
    launchers.finishDemo();
    EXPECT_EQ(launchers.demoWindow(), nullptr);
    EXPECT_FALSE(right->showsDemoItems());
}

TEST_F(NotchLauncherServiceTest, StopClosesEveryWindow)
{
    NotchLauncherService &launchers = startService();
    QList<QPointer<NotchLauncherWindow>> windows;
    for (NotchLauncherWindow *w : launchers.windows().values() + launchers.fieldWindows().values())
        windows.append(w);
    launchers.stop();
    EXPECT_TRUE(launchers.windows().isEmpty());
    EXPECT_TRUE(launchers.fieldWindows().isEmpty());
    for (const auto &w : windows)
        EXPECT_TRUE(!w || w->isClosed());
    // Screen changes no longer rebuild.
    sim.screens.setScreens({leftScreen()});
    processEvents();
    EXPECT_TRUE(launchers.windows().isEmpty());
}

} // namespace
