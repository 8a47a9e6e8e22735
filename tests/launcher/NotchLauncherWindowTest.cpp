#include "LauncherTestFixture.h"

#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchLauncherView.h"

#include <QMouseEvent>
#include <QSignalSpy>

#include <stdexcept>

namespace {

const QPointF inLeftNotch(756, 970);
const QPointF belowLeftNotch(756, 938); // in the hover zone, under the notch
const QPointF farAway(700, 400);

class NotchLauncherWindowTest : public LauncherTest {};

// --- States of one panel ---

struct PanelStateRow {
    const char *name;
    std::function<void(LauncherTest &, NotchLauncherWindow &)> arrange;
    bool notchScreen;
    LauncherPresentation presentation;
    bool onScreen;
    double alpha;
    bool ignoresMouse;
    bool keyboardFocus;
};

TEST_F(NotchLauncherWindowTest, PanelStatesShowAsTheStateTableSays)
{
    const auto nothing = [](LauncherTest &, NotchLauncherWindow &) {};
    const std::vector<PanelStateRow> rows = {
        {"collapsed at a real notch", nothing, true, LauncherPresentation::notch, true, 0, true, false},
        {"collapsed without a notch", nothing, false, LauncherPresentation::notch, true, 1, false, false},
        {"collapsed compact window", nothing, true, LauncherPresentation::window, false, 0, true, false},
        {"expanded at a real notch", [](LauncherTest &, NotchLauncherWindow &w) { w.show(NotchLauncherListKind::clipboard); },
         true, LauncherPresentation::notch, true, 1, false, true},
        {"expanded compact window", [](LauncherTest &, NotchLauncherWindow &w) { w.show(NotchLauncherListKind::clipboard); },
         true, LauncherPresentation::window, true, 1, false, true},
        {"performing a selection",
         [](LauncherTest &t, NotchLauncherWindow &w) {
             // The target never comes back to the front, so the paste runs for its full 2 s.
             w.show(NotchLauncherListKind::clipboard);
             t.sim.workspace.activationDelay = -1;
             t.sim.workspace.bringToFront(t.sim.workspace.addApplication(QStringLiteral("org.example.other")));
             w.selectClipboardItem(t.textItem("x"));
         },
         false, LauncherPresentation::notch, false, 1, false, false},
        {"suspended for a desktop switch", [](LauncherTest &, NotchLauncherWindow &w) { w.suspendForDesktopSwitch(); },
         true, LauncherPresentation::notch, false, 0, true, false},
    };
    for (const PanelStateRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(row.notchScreen ? leftScreen() : rightScreen(), row.presentation);
        row.arrange(*this, *window);
        sim.clock.advance(0.5);
        EXPECT_EQ(window->panel()->isVisible(), row.onScreen);
        EXPECT_DOUBLE_EQ(window->panel()->opacity(), row.alpha);
        EXPECT_EQ(window->panel()->ignoresMouseEvents(), row.ignoresMouse);
        EXPECT_EQ(window->window()->allowsKeyboardFocus(), row.keyboardFocus);
        window->close();
    }
}

TEST_F(NotchLauncherWindowTest, PanelIsAStatusLevelLauncherOnEveryDesktop)
{
    auto notch = makeWindow(leftScreen());
    auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
    EXPECT_EQ(notch->panel()->level(), PanelLevel::Launcher);
    EXPECT_EQ(notch->panel()->desktopFlags(), PanelDesktop::OnAllDesktops | PanelDesktop::SkipTaskbar);
    EXPECT_FALSE(notch->panel()->hasShadow());
    EXPECT_TRUE(compact->panel()->hasShadow());
    EXPECT_FALSE(notch->viewModel()->isFloatingWindow());
    EXPECT_TRUE(compact->viewModel()->isFloatingWindow());
}

// --- Giving the keyboard back ---

struct KeyboardBackRow {
    const char *name;
    LauncherPresentation presentation;
    bool notchScreen;
    std::function<void(LauncherTest &, NotchLauncherWindow &)> leave;
};

TEST_F(NotchLauncherWindowTest, EveryWayOfLeavingGivesTheKeyboardBackToTheApplication)
{
    const std::vector<KeyboardBackRow> rows = {
        {"the pointer passing through", LauncherPresentation::notch, false,
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.movePointer(w.expandedFrame().center());
             w.handleHover(true);
             t.movePointer(farAway);
             w.handleHover(false);
             t.sim.clock.advance(2.5);
         }},
        {"the pointer passing through at a real notch", LauncherPresentation::notch, true,
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.movePointer(w.expandedFrame().center());
             t.sim.clock.advance(0.5);
             t.movePointer(farAway);
             t.sim.clock.advance(2.5);
         }},
        {"escape at the notch", LauncherPresentation::notch, false,
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.sim.eventMonitors.sendLocalKeyDown(KeyDownEvent{.key = Qt::Key_Escape, .window = w.panel()});
         }},
        {"a click in another application", LauncherPresentation::notch, false,
         [](LauncherTest &t, NotchLauncherWindow &) {
             t.sim.eventMonitors.sendGlobalMouseDown(MouseDownEvent{.location = farAway, .clickCount = 1});
             t.processEvents();
         }},
        {"collapse at once", LauncherPresentation::notch, false,
         [](LauncherTest &, NotchLauncherWindow &w) { w.collapseImmediately(); }},
        {"collapse by the service", LauncherPresentation::notch, false,
         [](LauncherTest &, NotchLauncherWindow &w) { w.expand(false, true); }},
        {"the gear opening the settings", LauncherPresentation::notch, false,
         [](LauncherTest &, NotchLauncherWindow &w) { w.view()->openSettings(); }},
        {"a selection", LauncherPresentation::notch, false,
         [](LauncherTest &t, NotchLauncherWindow &w) { w.selectClipboardItem(t.textItem("x")); }},
        {"close", LauncherPresentation::notch, false, [](LauncherTest &, NotchLauncherWindow &w) { w.close(); }},
        {"escape in the compact window", LauncherPresentation::window, false,
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.sim.eventMonitors.sendLocalKeyDown(KeyDownEvent{.key = Qt::Key_Escape, .window = w.panel()});
         }},
        {"a click outside the compact window", LauncherPresentation::window, false,
         [](LauncherTest &t, NotchLauncherWindow &) {
             t.movePointer(QPointF(1200, 200));
             t.sim.eventMonitors.sendLocalMouseDown(MouseDownEvent{.location = QPointF(1200, 200), .clickCount = 1});
         }},
    };
    for (const KeyboardBackRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(row.notchScreen ? leftScreen() : rightScreen(), row.presentation);
        const int returnsBefore = sim.panels.keyboardReturnCount();
        movePointer(farAway);
        window->show(NotchLauncherListKind::clipboard);
        ASSERT_TRUE(window->panel()->hasKeyboard());
        row.leave(*this, *window);
        EXPECT_TRUE(window->isClosed() || !window->isExpanded());
        EXPECT_FALSE(window->panel()->hasKeyboard());
        EXPECT_EQ(sim.panels.panelWithKeyboard(), nullptr);
        EXPECT_EQ(sim.panels.keyboardReturnCount(), returnsBefore + 1);
        window->close();
        sim.clock.advance(3);
    }
}

// --- show ---

TEST_F(NotchLauncherWindowTest, ShowExpandsFocusesTheSearchAndLocksHoverOutForTwoSeconds)
{
    auto window = makeWindow(leftScreen());
    const double start = sim.clock.uptime();
    window->show(NotchLauncherListKind::clipboard);
    EXPECT_TRUE(window->isExpanded());
    EXPECT_TRUE(window->viewModel()->isExpanded());
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_EQ(window->viewModel()->clipboardSearchFocusRequest(), 1);
    EXPECT_TRUE(window->panel()->hasKeyboard());
    EXPECT_DOUBLE_EQ(window->hoverOutLockUntil(), start + 2.0);
    // The paste target was taken from the front application as the panel expanded.
    ASSERT_TRUE(window->clipboardPasteTarget());
    EXPECT_EQ(window->clipboardPasteTarget()->application.pid, editor.pid);
}

TEST_F(NotchLauncherWindowTest, ShowTwiceKeepsThePanelOpen)
{
    auto window = makeWindow(leftScreen());
    int expansions = 0;
    window->onWillExpand = [&](NotchLauncherWindow *) { ++expansions; };
    window->show(NotchLauncherListKind::clipboard);
    window->show(NotchLauncherListKind::clipboard);
    EXPECT_TRUE(window->isExpanded());
    EXPECT_EQ(expansions, 1);
}

TEST_F(NotchLauncherWindowTest, ShowWithTheClipboardListWinsOverTheRememberedRecentTab)
{
    auto window = makeWindow(leftScreen());
    handler.focusedField = true;
    window->show(NotchLauncherListKind::recent);
    window->selectList(NotchLauncherListKind::recent);
    ASSERT_TRUE(window->viewModel()->hasSelectedHistoryTab());
    window->collapseImmediately();

    // Later, without a focused field, the hot key must not open an empty recent list.
    handler.focusedField = false;
    window->show(NotchLauncherListKind::clipboard);
    EXPECT_EQ(window->viewModel()->selectedList(), NotchLauncherListKind::clipboard);
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_EQ(window->viewModel()->clipboardSearchFocusRequest(), 1);
}

TEST_F(NotchLauncherWindowTest, ShowWithRecentFallsBackToTheClipboardWithoutAFocusedField)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::recent);
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_FALSE(window->viewModel()->showsAIControls());
    EXPECT_EQ(window->viewModel()->clipboardSearchFocusRequest(), 1);
    EXPECT_EQ(handler.contextRequests, 0);
}

TEST_F(NotchLauncherWindowTest, ShowWithRecentAndAFocusedFieldAsksForTheFieldContext)
{
    auto window = makeWindow(leftScreen());
    handler.focusedField = true;
    window->show(NotchLauncherListKind::recent);
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::recent);
    EXPECT_TRUE(window->viewModel()->showsAIControls());
    EXPECT_EQ(handler.contextRequests, 1);
    EXPECT_EQ(window->viewModel()->clipboardSearchFocusRequest(), 0);
}

TEST_F(NotchLauncherWindowTest, OpeningIsRefusedWhileTheWindowCannotInteract)
{
    struct Row {
        const char *name;
        std::function<void(LauncherTest &, NotchLauncherWindow &)> arrange;
    };
    const std::vector<Row> rows = {
        {"closed", [](LauncherTest &, NotchLauncherWindow &w) { w.close(); }},
        {"suspended", [](LauncherTest &, NotchLauncherWindow &w) { w.suspendForDesktopSwitch(); }},
        {"selecting",
         [](LauncherTest &t, NotchLauncherWindow &w) {
             w.show(NotchLauncherListKind::clipboard);
             w.selectClipboardItem(t.textItem("x"));
         }},
        {"pasting",
         [](LauncherTest &t, NotchLauncherWindow &) {
             // A paste that waits for its target application to come back.
             t.sim.workspace.activationDelay = -1;
             t.sim.workspace.bringToFront(t.sim.workspace.addApplication(QStringLiteral("org.example.other")));
             t.clipboardService->paste(t.textItem("y"), ClipboardPasteTarget{t.editor, std::nullopt});
             ASSERT_TRUE(t.clipboardService->isPasting());
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(leftScreen());
        row.arrange(*this, *window);
        EXPECT_FALSE(window->canInteract());
        window->show(NotchLauncherListKind::clipboard);
        EXPECT_FALSE(window->isExpanded());
        EXPECT_FALSE(window->openForPasteTarget(contextWith(1, 1), NotchLauncherListKind::recent, std::nullopt));
        EXPECT_FALSE(window->viewModel()->aiContext());
        window->close();
        sim.clock.advance(3);
        sim.workspace.activationDelay = 0;
        sim.workspace.bringToFront(editor);
    }
}

// --- expand and collapse ---

TEST_F(NotchLauncherWindowTest, ExpandingAnExpandedPanelAndCollapsingACollapsedOneDoNothing)
{
    auto window = makeWindow(leftScreen());
    int expansions = 0;
    window->onWillExpand = [&](NotchLauncherWindow *) { ++expansions; };
    window->expand(true, true);
    const double lock = window->hoverOutLockUntil();
    sim.clock.advance(0.1);
    window->expand(true, true);
    EXPECT_EQ(expansions, 1);
    EXPECT_DOUBLE_EQ(window->hoverOutLockUntil(), lock);

    window->expand(false, true);
    window->viewModel()->setSelectedList(NotchLauncherListKind::recent);
    sim.clock.advance(1);
    window->expand(false, true); // no second reset may start
    sim.clock.advance(4.0);
    EXPECT_EQ(window->viewModel()->selectedList(), NotchLauncherListKind::clipboard);
}

TEST_F(NotchLauncherWindowTest, ExpandingAnimatesOverAQuarterSecondAndCollapsingInTwoPhases)
{
    sim.appearance.setSupportsTranslucency(true);
    auto window = makeWindow(rightScreen());
    auto *panel = static_cast<SimPanel *>(window->panel());
    const QRectF collapsed = panel->frame();
    window->expand(true, true);
    ASSERT_TRUE(panel->runningAnimation());
    EXPECT_DOUBLE_EQ(panel->runningAnimation()->duration, 0.24);
    sim.clock.advance(0.25);
    const QRectF expanded = panel->frame();
    EXPECT_EQ(expanded, window->expandedFrame());

    window->expand(false, true);
    ASSERT_TRUE(panel->runningAnimation());
    const QRectF interim = panel->runningAnimation()->to;
    // 96 % of the collapsed size, hanging from the same top edge, centred the same way.
    EXPECT_NEAR(interim.width(), collapsed.width() * 0.96, 0.5);
    EXPECT_NEAR(interim.y() + interim.height(), collapsed.y() + collapsed.height(), 0.5);
    EXPECT_NEAR(interim.center().x(), collapsed.center().x(), 0.5);
    sim.clock.advance(0.25);
    ASSERT_TRUE(panel->runningAnimation());
    EXPECT_DOUBLE_EQ(panel->runningAnimation()->duration, 0.1);
    sim.clock.advance(0.11);
    EXPECT_EQ(panel->frame(), collapsed);

    // A copy lays the collapsed panel out again without moving it: it must not shrink and come back.
    window->applyFrame(true);
    EXPECT_FALSE(panel->runningAnimation());
    EXPECT_EQ(panel->frame(), collapsed);

    // Without a compositor the shrinking black panel would flash over the desktop: it collapses at once.
    sim.appearance.setSupportsTranslucency(false);
    window->expand(true, true);
    sim.clock.advance(0.25);
    window->expand(false, true);
    EXPECT_FALSE(panel->runningAnimation());
    EXPECT_EQ(panel->frame(), collapsed);
}

TEST_F(NotchLauncherWindowTest, CollapseImmediatelyOrdersTheNotchPanelBackInWithoutAnimation)
{
    auto window = makeWindow(rightScreen());
    window->show(NotchLauncherListKind::clipboard);
    sim.clock.advance(0.3);
    window->collapseImmediately();
    EXPECT_FALSE(window->isExpanded());
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_FALSE(window->panel()->isAnimatingFrame());
    EXPECT_EQ(window->panel()->frame(), window->collapsedFrame());
}

// --- hover-out locks and the pointer ---

struct LockRow {
    const char *name;
    std::function<void(NotchLauncherWindow &)> open;
    double lock; // seconds; negative: never runs out
};

TEST_F(NotchLauncherWindowTest, PointerLeavingCollapsesOnlyAfterTheHoverOutLock)
{
    const std::vector<LockRow> rows = {
        {"hot key", [](NotchLauncherWindow &w) { w.show(NotchLauncherListKind::clipboard); }, -1},
        {"hover", [](NotchLauncherWindow &w) { w.handleHover(true); }, 0.28},
        {"list change",
         [](NotchLauncherWindow &w) {
             w.handleHover(true);
             w.selectList(NotchLauncherListKind::recent);
         },
         0.35},
        {"demo",
         [](NotchLauncherWindow &w) {
             w.applyDemoConfiguration({});
             w.show(NotchLauncherListKind::clipboard);
         },
         -1},
    };
    for (const LockRow &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(leftScreen());
        movePointer(inLeftNotch);
        row.open(*window);
        ASSERT_TRUE(window->isExpanded());
        movePointer(farAway);
        window->handleHover(false);
        if (row.lock < 0) {
            sim.clock.advance(30);
            EXPECT_TRUE(window->isExpanded());
        } else {
            // Ticks of the exit poll fall every 0.12 s after the expansion.
            sim.clock.advance(row.lock - 0.01);
            EXPECT_TRUE(window->isExpanded());
            sim.clock.advance(0.01 + 0.12);
            EXPECT_FALSE(window->isExpanded());
        }
        window->close();
    }
}

TEST_F(NotchLauncherWindowTest, ALauncherHoldingTheKeyboardStaysUntilThePointerComesInAndLeaves)
{
    // The pointer rests on the document while the person types into the launcher, however long they pause;
    // only the pointer coming in and leaving again lets it collapse.
    struct Row {
        const char *name;
        std::function<void(LauncherTest &, NotchLauncherWindow &)> open;
    };
    const std::vector<Row> rows = {
        {"hot key", [](LauncherTest &, NotchLauncherWindow &w) { w.show(NotchLauncherListKind::clipboard); }},
        {"a click into the search field of a hovered launcher",
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.movePointer(inLeftNotch);
             w.handleHover(true);
             t.sim.clock.advance(0.3);
             QWidget *field = w.view()->searchField();
             QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), field->mapToGlobal(QPointF(4, 4)),
                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(field, &press);
             EXPECT_TRUE(w.panel()->hasKeyboard()) << "the click gave the panel no keyboard";
             // Resting where it clicked is no visit: the pointer has yet to come in from outside and leave.
             t.sim.clock.advance(0.3);
         }},
        {"typing into a hovered launcher that took the keyboard for its list",
         [](LauncherTest &t, NotchLauncherWindow &w) {
             t.movePointer(inLeftNotch);
             w.handleHover(true);
             t.sim.clock.advance(0.3);
             w.view()->clipboardRowHoverChanged(t.textItem(QStringLiteral("row")), true);
             EXPECT_TRUE(w.panel()->hasKeyboard()) << "the row gave the panel no keyboard";
             KeyDownEvent typed{.key = Qt::Key_A, .window = w.panel()};
             t.sim.eventMonitors.sendLocalKeyDown(typed);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(leftScreen());
        movePointer(farAway);
        row.open(*this, *window);
        ASSERT_TRUE(window->isExpanded());
        movePointer(farAway);
        window->handleHover(false);
        KeyDownEvent typed{.key = Qt::Key_A, .window = window->panel()};
        sim.eventMonitors.sendLocalKeyDown(typed);
        sim.clock.advance(30);
        EXPECT_TRUE(window->isExpanded());
        EXPECT_TRUE(window->panel()->hasKeyboard());

        movePointer(window->expandedFrame().center());
        window->handleHover(true);
        sim.clock.advance(0.2);
        movePointer(farAway);
        window->handleHover(false);
        sim.clock.advance(NotchLauncherWindow::showLock + 0.2);
        EXPECT_FALSE(window->isExpanded());
        window->close();
    }
}

TEST_F(NotchLauncherWindowTest, HoverOutAfterTheLockCollapsesWithinATickOfTheExitPoll)
{
    auto window = makeWindow(rightScreen());
    movePointer(QPointF(2472, 1070));
    window->handleHover(true);
    sim.clock.advance(0.3);
    movePointer(QPointF(2472, 300));
    window->handleHover(false);
    sim.clock.advance(0.11);
    // The pointer-exit poll may have collapsed it already; in either case within 0.12 s.
    sim.clock.advance(0.01);
    EXPECT_FALSE(window->isExpanded());
}

TEST_F(NotchLauncherWindowTest, HoverOutTaskLeavesThePanelOpenWhenThePointerCameBack)
{
    auto window = makeWindow(rightScreen());
    window->handleHover(true);
    sim.clock.advance(0.3);
    movePointer(QPointF(2472, 300));
    window->handleHover(false);
    movePointer(QPointF(2472, 1070));
    // Only the hover-out task may run here: the exit poll would see the pointer inside too.
    sim.clock.advance(0.12);
    EXPECT_TRUE(window->isExpanded());
}

TEST_F(NotchLauncherWindowTest, AFieldContextKeepsTheNotchPanelOpenUntilAClickOutside)
{
    auto window = makeWindow(leftScreen());
    ASSERT_TRUE(window->openForPasteTarget(contextWith(1, 1), NotchLauncherListKind::recent, std::nullopt));
    movePointer(farAway);
    window->handleHover(false);
    sim.clock.advance(5);
    EXPECT_TRUE(window->isExpanded());

    // A double click's second click does not count.
    sim.eventMonitors.sendLocalMouseDown(MouseDownEvent{.location = farAway, .clickCount = 2});
    EXPECT_TRUE(window->isExpanded());
    sim.eventMonitors.sendGlobalMouseDown(MouseDownEvent{.location = farAway, .clickCount = 1});
    processEvents();
    EXPECT_FALSE(window->isExpanded());
    EXPECT_FALSE(window->viewModel()->aiContext());
}

TEST_F(NotchLauncherWindowTest, HardwareNotchHoverPollFollowsTheExpandOnHoverSetting)
{
    struct Row {
        const char *name;
        std::optional<bool> setting;
        bool pollOpens;
        bool clickOpens;
        bool viewHoverOpens;
    };
    const std::vector<Row> rows = {
        {"on", true, true, false, true},
        {"off", false, false, true, false},
        {"absent", std::nullopt, false, false, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        updateSettings([&](UserSettingsData &s) { s.notchExpandOnHover = row.setting; });
        movePointer(belowLeftNotch);
        {
            auto window = makeWindow(leftScreen());
            sim.clock.advance(0.06);
            EXPECT_EQ(window->isExpanded(), row.pollOpens);
            window->close();
        }
        {
            auto window = makeWindow(leftScreen());
            sim.eventMonitors.sendGlobalMouseDown(MouseDownEvent{.location = belowLeftNotch, .clickCount = 1});
            processEvents();
            EXPECT_EQ(window->isExpanded(), row.clickOpens);
            window->close();
        }
        {
            auto window = makeWindow(leftScreen());
            window->handleHover(true);
            EXPECT_EQ(window->isExpanded(), row.viewHoverOpens);
            window->close();
        }
        movePointer(farAway);
    }
}

TEST_F(NotchLauncherWindowTest, AnIdleWindowWakesOnlyWhereItsHoverPollCanAct)
{
    struct Row {
        const char *name;
        bool notchScreen;
        LauncherPresentation presentation;
        std::optional<bool> expandOnHover;
        bool polls;
    };
    const std::vector<Row> rows = {
        {"real notch, hover on", true, LauncherPresentation::notch, true, true},
        {"real notch, hover off", true, LauncherPresentation::notch, false, false},
        {"real notch, hover unset", true, LauncherPresentation::notch, std::nullopt, false},
        {"no notch, hover on", false, LauncherPresentation::notch, true, false},
        {"compact window, hover on", true, LauncherPresentation::window, true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        updateSettings([&](UserSettingsData &s) { s.notchExpandOnHover = row.expandOnHover; });
        auto window = makeWindow(row.notchScreen ? leftScreen() : rightScreen(), row.presentation);
        sim.clock.advance(10);
        // A running poll always has its next tick pending; an idle window has nothing at all.
        EXPECT_EQ(sim.clock.pendingTimers(), row.polls ? 1 : 0);
        window->close();
        sim.clock.advance(1);
        EXPECT_EQ(sim.clock.pendingTimers(), 0);
    }
}

TEST_F(NotchLauncherWindowTest, TurningHoverExpansionOnStartsThePollAndOffEndsIt)
{
    updateSettings([](UserSettingsData &s) { s.notchExpandOnHover = false; });
    auto window = makeWindow(leftScreen());
    sim.clock.advance(1);
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
    updateSettings([](UserSettingsData &s) { s.notchExpandOnHover = true; });
    movePointer(belowLeftNotch);
    sim.clock.advance(0.06);
    EXPECT_TRUE(window->isExpanded());
    window->collapseImmediately();
    movePointer(farAway);
    updateSettings([](UserSettingsData &s) { s.notchExpandOnHover = false; });
    // The collapsed-state reset runs its course; then nothing is left to wake for.
    sim.clock.advance(NotchLauncherWindow::collapsedStateResetDelay + 1);
    EXPECT_EQ(sim.clock.pendingTimers(), 0);
}

TEST_F(NotchLauncherWindowTest, AfterADesktopSwitchThePointerMustLeaveTheNotchBeforeItOpensAgain)
{
    auto window = makeWindow(leftScreen());
    window->suspendForDesktopSwitch();
    ASSERT_TRUE(window->viewModel()->isDesktopSwitchSuspended());
    movePointer(belowLeftNotch);
    window->resumeAfterDesktopSwitch(true);
    EXPECT_TRUE(window->requiresPointerExitAfterDesktopSwitch());
    EXPECT_TRUE(window->panel()->isVisible());
    sim.clock.advance(1);
    EXPECT_FALSE(window->isExpanded());
    window->handleHover(true);
    EXPECT_FALSE(window->isExpanded());

    movePointer(farAway);
    sim.clock.advance(0.06);
    EXPECT_FALSE(window->requiresPointerExitAfterDesktopSwitch());
    movePointer(belowLeftNotch);
    sim.clock.advance(0.06);
    EXPECT_TRUE(window->isExpanded());
}

TEST_F(NotchLauncherWindowTest, OnlyCollapsedNotchPanelsAtARealNotchSuspend)
{
    auto expanded = makeWindow(leftScreen());
    expanded->show(NotchLauncherListKind::clipboard);
    expanded->suspendForDesktopSwitch();
    EXPECT_FALSE(expanded->viewModel()->isDesktopSwitchSuspended());

    auto plain = makeWindow(rightScreen());
    plain->suspendForDesktopSwitch();
    EXPECT_FALSE(plain->viewModel()->isDesktopSwitchSuspended());

    auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
    compact->suspendForDesktopSwitch();
    EXPECT_FALSE(compact->viewModel()->isDesktopSwitchSuspended());
}

TEST_F(NotchLauncherWindowTest, ResumeAfterADesktopChangeDropsTheFieldContextOfTheSuspendedPanel)
{
    auto window = makeWindow(leftScreen());
    window->viewModel()->setSelectedList(NotchLauncherListKind::recent);
    window->viewModel()->setShowsAIControls(true);
    window->suspendForDesktopSwitch();
    window->resumeAfterDesktopSwitch(true);
    EXPECT_FALSE(window->viewModel()->showsAIControls());
    EXPECT_FALSE(window->viewModel()->isDesktopSwitchSuspended());
}

// --- window presentation ---

TEST_F(NotchLauncherWindowTest, EscapeClosesThePreviewThenTheLauncherItOwns)
{
    history->handleItemInserted(textItem("previewed"));
    for (LauncherPresentation presentation : {LauncherPresentation::window, LauncherPresentation::notch}) {
        SCOPED_TRACE(presentation == LauncherPresentation::window ? "compact window" : "notch");
        auto window = makeWindow(leftScreen(), presentation);
        window->updateFieldContext(std::nullopt, QPointF(400, 400), std::nullopt);
        window->show(NotchLauncherListKind::clipboard);
        ASSERT_TRUE(window->isExpanded());
        const KeyDownEvent elsewhere{.key = Qt::Key_Escape, .window = nullptr};
        EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(elsewhere), EventDisposition::Pass);
        EXPECT_TRUE(window->isExpanded());

        for (int i = 0; i < 20 && window->view()->displayedClipboardItems().isEmpty(); ++i) {
            history->searchIndex().waitForIdle();
            processEvents();
            sim.clock.runDue();
        }
        ASSERT_FALSE(window->view()->displayedClipboardItems().isEmpty());
        window->view()->showPreview(window->view()->displayedClipboardItems().first());
        ASSERT_TRUE(window->view()->isPreviewOpen());
        const KeyDownEvent ours{.key = Qt::Key_Escape, .window = window->panel()};
        EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(ours), EventDisposition::Consume);
        EXPECT_FALSE(window->view()->isPreviewOpen());
        EXPECT_TRUE(window->isExpanded());

        EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(ours), EventDisposition::Consume);
        EXPECT_FALSE(window->isExpanded());
        sim.clock.advance(0.5);
        EXPECT_FALSE(window->panel()->hasKeyboard());
        window->close();
    }
}

// The collapsing compact window stays on screen, passing the pointer and the keyboard on, until it has
// shrunk to its top-trailing corner (or, with reduce motion, faded out where it stands); then it leaves.
TEST_F(NotchLauncherWindowTest, TheCollapsedCompactWindowShrinksToItsCornerBeforeItLeaves)
{
    struct Row {
        const char *name;
        bool reduceMotion;
        double midway, gone;
        double midwayMinScale, midwayMaxScale;
    };
    for (const Row row : {Row{"spring", false, 0.06, 0.6, 0.05, 0.9}, Row{"reduce motion", true, 0.08, 0.17, 1, 1}}) {
        SCOPED_TRACE(row.name);
        sim.appearance.setReduceMotion(row.reduceMotion);
        auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
        compact->updateFieldContext(std::nullopt, QPointF(400, 400), std::nullopt);
        compact->show(NotchLauncherListKind::clipboard);
        sim.clock.advance(1);
        const QRectF whole = compact->panel()->shape().boundingRect();
        ASSERT_FALSE(whole.isEmpty());
        compact->expand(false, true);
        EXPECT_TRUE(compact->panel()->isVisible());
        EXPECT_DOUBLE_EQ(compact->panel()->opacity(), 1);
        EXPECT_TRUE(compact->panel()->ignoresMouseEvents());
        EXPECT_FALSE(compact->panel()->hasKeyboard());
        sim.clock.advance(row.midway);
        const NotchFloatingPresence &presence = compact->view()->floatingPresence();
        const double scale = presence.scale(sim.clock.uptime());
        EXPECT_GE(scale, row.midwayMinScale);
        EXPECT_LE(scale, row.midwayMaxScale);
        EXPECT_GT(presence.opacity(sim.clock.uptime()), 0);
        EXPECT_LT(presence.opacity(sim.clock.uptime()), 1);
        // The outline shrinks with it towards the top-trailing corner.
        const QRectF shown = compact->panel()->shape().boundingRect();
        EXPECT_NEAR(shown.right(), whole.right(), 0.5);
        EXPECT_NEAR(shown.top(), whole.top(), 0.5);
        EXPECT_GE(shown.width(), whole.width() * row.midwayMinScale - 0.5);
        EXPECT_LE(shown.width(), whole.width() * row.midwayMaxScale + 0.5);
        EXPECT_TRUE(compact->panel()->isVisible());
        sim.clock.advance(row.gone - row.midway);
        EXPECT_FALSE(compact->panel()->isVisible());
        // Opened again while shrinking, it stays open.
        compact->show(NotchLauncherListKind::clipboard);
        compact->expand(false, true);
        sim.clock.advance(row.midway);
        compact->show(NotchLauncherListKind::clipboard);
        sim.clock.advance(1);
        EXPECT_TRUE(compact->panel()->isVisible());
        EXPECT_NEAR(compact->panel()->shape().boundingRect().width(), whole.width(), 0.5);
        compact->close();
    }
}

TEST_F(NotchLauncherWindowTest, ASingleClickOutsideTheCompactWindowCollapsesItAndReachesTheApplication)
{
    auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
    compact->updateFieldContext(QRectF(400, 400, 200, 24), QPointF(), std::nullopt);
    compact->openForPasteTarget(contextWith(2, 1), NotchLauncherListKind::clipboard, std::nullopt);
    ASSERT_TRUE(compact->isExpanded());
    EXPECT_EQ(compact->viewModel()->displayedList(), NotchLauncherListKind::recent);
    EXPECT_FALSE(compact->panel()->hasKeyboard());

    const QPointF inside = compact->expandedFrame().center();
    movePointer(inside);
    sim.eventMonitors.sendLocalMouseDown(MouseDownEvent{.location = inside, .clickCount = 1});
    EXPECT_TRUE(compact->isExpanded());

    movePointer(QPointF(1200, 200));
    const EventDisposition local =
        sim.eventMonitors.sendLocalMouseDown(MouseDownEvent{.location = QPointF(1200, 200), .clickCount = 1});
    EXPECT_EQ(local, EventDisposition::Pass);
    EXPECT_FALSE(compact->isExpanded());
    EXPECT_FALSE(compact->viewModel()->aiContext());
}

TEST_F(NotchLauncherWindowTest, UpdateFieldContextIsForCompactWindowsOnly)
{
    auto notch = makeWindow(leftScreen());
    notch->updateFieldContext(QRectF(10, 10, 5, 5), QPointF(), ClipboardPasteTarget{editor, std::nullopt});
    EXPECT_FALSE(notch->fieldWindowAnchor());
    EXPECT_FALSE(notch->clipboardPasteTarget());

    auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
    compact->updateFieldContext(std::nullopt, QPointF(300, 200), ClipboardPasteTarget{editor, std::nullopt});
    EXPECT_EQ(compact->fieldWindowAnchor(), QRectF(300, 200, 0, 0));
    EXPECT_TRUE(compact->clipboardPasteTarget());
}

// Typing goes on in the other application while a field's values show there, until the pointer comes to the
// compact window.
TEST_F(NotchLauncherWindowTest, FieldValuesLeaveTheKeyboardWithTheOtherApplication)
{
    struct Row {
        const char *name;
        LauncherPresentation presentation;
        NotchLauncherListKind list;
        int history;
        int random;
        bool takesKeyboard;
        bool takesKeyboardWhenPointedAt;
    };
    const std::vector<Row> rows = {
        {"notch with suggestions", LauncherPresentation::notch, NotchLauncherListKind::recent, 1, 0, false, false},
        {"notch without suggestions", LauncherPresentation::notch, NotchLauncherListKind::recent, 0, 0, true, true},
        {"notch clipboard list", LauncherPresentation::notch, NotchLauncherListKind::clipboard, 2, 2, true, true},
        {"compact window", LauncherPresentation::window, NotchLauncherListKind::recent, 3, 3, false, true},
        {"compact window without values", LauncherPresentation::window, NotchLauncherListKind::recent, 0, 0, false,
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(leftScreen(), row.presentation);
        EXPECT_TRUE(window->openForPasteTarget(contextWith(row.history, row.random), row.list, std::nullopt));
        EXPECT_EQ(window->panel()->hasKeyboard(), row.takesKeyboard);
        movePointer(window->expandedFrame().center());
        window->handleHover(true);
        EXPECT_EQ(window->panel()->hasKeyboard(), row.takesKeyboardWhenPointedAt);
        window->close();
    }
}

TEST_F(NotchLauncherWindowTest, TheCompactWindowKeepsAShortContext)
{
    auto compact = makeWindow(leftScreen(), LauncherPresentation::window);
    NotchAIContext context = contextWith(6, 4);
    context.searchableHistorySuggestions = context.historySuggestions;
    compact->openForPasteTarget(context, NotchLauncherListKind::recent, std::nullopt);
    const auto &shown = compact->viewModel()->aiContext();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->historySuggestions.size(), 2);
    EXPECT_EQ(shown->randomSuggestions.size(), 1);
    EXPECT_FALSE(shown->searchableHistorySuggestions);
}

// --- the timed tasks ---

TEST_F(NotchLauncherWindowTest, TheListSettlesAQuarterSecondAfterExpanding)
{
    auto window = makeWindow(rightScreen());
    window->show(NotchLauncherListKind::clipboard);
    sim.clock.advance(0.235);
    EXPECT_FALSE(window->viewModel()->isListSettled());
    sim.clock.advance(0.01);
    EXPECT_TRUE(window->viewModel()->isListSettled());
}

TEST_F(NotchLauncherWindowTest, FiveSecondsAfterACollapseTheListsAndSelectionReset)
{
    auto window = makeWindow(rightScreen());
    handler.focusedField = true;
    window->show(NotchLauncherListKind::recent);
    window->viewModel()->setSelectedClipboardItemID(QUuid::createUuid());
    window->expand(false, true);
    sim.clock.advance(4.99);
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::recent);
    sim.clock.advance(0.02);
    EXPECT_EQ(window->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_FALSE(window->viewModel()->selectedClipboardItemID());
    EXPECT_FALSE(window->viewModel()->showsAIControls());
}

TEST_F(NotchLauncherWindowTest, ThePointerReopeningWithinFiveSecondsFindsTheListWhereItWasLeft)
{
    // Thirteen rows down from the search field, then closed. Opened again by the pointer within 5 s, the
    // list keeps its place and selection; after the reset, after a copy, or by the hot key (which starts a
    // fresh search) it opens at its top.
    struct Row {
        const char *name;
        double after;
        bool hotKey;
        bool copy;
        bool keepsPlace;
        bool newestMarked;
    };
    const Row rows[] = {
        {"the pointer within 5 s", 3, false, false, true, false},
        {"the pointer after 5 s", 6, false, false, false, false},
        {"the pointer after a copy", 3, false, true, false, true},
        {"the hot key within 5 s", 3, true, false, false, false},
        // The copy's row arrives after the hot key has cleared the selection.
        {"the hot key after a copy", 3, true, true, false, false},
    };
    const auto settle = [this] {
        for (int i = 0; i < 10; ++i) {
            history->searchIndex().waitForIdle();
            processEvents();
            sim.clock.advance(0.1);
        }
    };
    for (int i = 0; i < 30; ++i)
        history->handleItemInserted(textItem(QStringLiteral("item %1").arg(i)));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto window = makeWindow(rightScreen());
        window->show(NotchLauncherListKind::clipboard);
        movePointer(window->expandedFrame().center());
        settle();
        NotchLauncherView *view = window->view();
        ASSERT_TRUE(view);
        for (int i = 0; i < 13; ++i)
            view->handleSearchFieldArrowDown();
        settle();
        const std::optional<QUuid> left = view->activeClipboardItemID();
        const double offset = view->clipboardList()->scrollOffset();
        ASSERT_GT(offset, 0);
        window->expand(false, true);
        sim.clock.advance(row.after);
        if (row.copy)
            history->handleItemInserted(textItem(QStringLiteral("copied meanwhile")));
        if (row.hotKey)
            window->show(NotchLauncherListKind::clipboard);
        else
            window->expand(true, true);
        settle();
        ASSERT_TRUE(window->isExpanded());
        if (row.keepsPlace) {
            EXPECT_EQ(view->clipboardList()->scrollOffset(), offset);
            EXPECT_EQ(view->activeClipboardItemID(), left);
        } else {
            EXPECT_EQ(view->clipboardList()->scrollOffset(), 0);
            const std::optional<QUuid> newest = view->displayedClipboardItems().first().id();
            EXPECT_EQ(view->activeClipboardItemID(), row.newestMarked ? newest : std::nullopt);
        }
    }
}

// --- the selection hand-off ---

TEST_F(NotchLauncherWindowTest, ReturnPastesIntoTheFrontApplicationAfterFourHundredthsOfASecond)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    const ClipboardItem item = textItem("hello");
    window->selectClipboardItem(item);
    // The panel leaves the screen and collapses at once.
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_FALSE(window->isExpanded());
    EXPECT_FALSE(window->clipboardPasteTarget());
    EXPECT_TRUE(window->isPerformingSelection());
    sim.clock.advance(0.0395);
    EXPECT_EQ(pasteCount(), 0);
    sim.clock.advance(0.001);
    EXPECT_EQ(pasteCount(), 1);
    sim.clock.advance(1);
    EXPECT_FALSE(window->isPerformingSelection());
    EXPECT_TRUE(window->panel()->isVisible());
    EXPECT_FALSE(window->isExpanded());
    ASSERT_FALSE(history->items().isEmpty());
    EXPECT_EQ(history->items().first().id(), item.id());
}

TEST_F(NotchLauncherWindowTest, TwoReturnsGiveOnePaste)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(textItem("one"));
    window->selectClipboardItem(textItem("two"));
    sim.clock.advance(0.02);
    window->selectClipboardItem(textItem("three"));
    sim.clock.advance(2);
    EXPECT_EQ(pasteCount(), 1);
    ASSERT_FALSE(history->items().isEmpty());
    EXPECT_EQ(history->items().first().text(), QStringLiteral("one"));
}

TEST_F(NotchLauncherWindowTest, ClosingDuringTheWaitPastesNothing)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(textItem("never"));
    sim.clock.advance(0.02);
    window->close();
    sim.clock.advance(2);
    EXPECT_EQ(pasteCount(), 0);
    EXPECT_FALSE(window->isPerformingSelection());
    EXPECT_FALSE(window->panel()->isVisible());
}

TEST_F(NotchLauncherWindowTest, NoLauncherOpensUntilThePasteHasFinished)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(textItem("slow"));
    // After the wait the paste runs: Control+V is posted, then the target gets 0.15 s to read.
    sim.clock.advance(0.1);
    ASSERT_TRUE(clipboardService->isPasting());
    window->show(NotchLauncherListKind::clipboard);
    EXPECT_FALSE(window->isExpanded());
    sim.clock.advance(2);
    EXPECT_EQ(pasteCount(), 1);
    window->show(NotchLauncherListKind::clipboard);
    EXPECT_TRUE(window->isExpanded());
}

TEST_F(NotchLauncherWindowTest, AFieldTargetTakesTheItemThroughTheFieldValueEngine)
{
    auto window = makeWindow(leftScreen());
    handler.acceptsClipboardItems = true;
    window->show(NotchLauncherListKind::clipboard);
    window->updateFieldContext(std::nullopt, QPointF(), std::nullopt); // ignored at the notch
    const ClipboardItem item = textItem("typed");
    window->selectClipboardItem(item);
    sim.clock.advance(1);
    EXPECT_EQ(handler.typedItems, QList<QUuid>{item.id()});
    EXPECT_EQ(pasteCount(), 0);
    ASSERT_FALSE(history->items().isEmpty());
    EXPECT_EQ(history->items().first().id(), item.id());

    // Refused by the engine: the paste service takes over.
    handler.acceptsClipboardItems = false;
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(textItem("pasted"));
    sim.clock.advance(1);
    EXPECT_EQ(pasteCount(), 1);
}

TEST_F(NotchLauncherWindowTest, ASuggestionGoesToTheWindowCallbackAfterTheWait)
{
    auto window = makeWindow(leftScreen());
    QList<QUuid> chosen;
    window->onAISuggestionSelect = [&](const FocusedFieldSuggestion &s) { chosen.append(s.id); };
    window->openForPasteTarget(contextWith(1, 0), NotchLauncherListKind::recent, std::nullopt);
    const FocusedFieldSuggestion suggestion{.value = QStringLiteral("me@example.org")};
    window->selectAISuggestion(suggestion);
    EXPECT_TRUE(chosen.isEmpty());
    sim.clock.advance(0.04);
    EXPECT_EQ(chosen, QList<QUuid>{suggestion.id});
}

TEST_F(NotchLauncherWindowTest, ASelectionWithoutTheRootStateDoesNothing)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    appState.reset();
    window->selectClipboardItem(textItem("lost"));
    EXPECT_FALSE(window->isPerformingSelection());
    EXPECT_TRUE(window->isExpanded());
}

TEST_F(NotchLauncherWindowTest, DemoSelectionsGoToTheDemoAndNeverPaste)
{
    auto window = makeWindow(leftScreen());
    QList<QUuid> selected;
    NotchLauncherDemoConfiguration demo;
    demo.clipboardItems = {textItem("sample")};
    demo.onClipboardItemSelect = [&](const ClipboardItem &item) { selected.append(item.id()); };
    window->applyDemoConfiguration(demo);
    EXPECT_TRUE(window->showsDemoItems());
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(demo.clipboardItems.first());
    sim.clock.advance(1);
    EXPECT_EQ(selected.size(), 1);
    EXPECT_EQ(pasteCount(), 0);
    EXPECT_TRUE(window->isExpanded());
    EXPECT_EQ(window->hoverOutLockUntil(), NotchLauncherWindow::lockedForGood);

    window->clearDemoConfiguration();
    EXPECT_FALSE(window->showsDemoItems());
    EXPECT_FALSE(window->isExpanded());
}

// A selection gates the window (and isPasting gates every window): both are cleared however it ends.
TEST_F(NotchLauncherWindowTest, ASelectionGivesTheWindowBackHoweverItEnds)
{
    struct Row {
        const char *name;
        std::function<Task<>(LauncherTest &)> action;
        bool closeDuringAction;
    };
    const std::vector<Row> rows = {
        {"done", [](LauncherTest &) -> Task<> { co_return; }, false},
        {"throws at once", [](LauncherTest &) -> Task<> { throw std::runtime_error("no action"); }, false},
        {"throws while it runs",
         [](LauncherTest &t) -> Task<> {
             const bool awake = co_await t.sim.clock.sleep(0.5);
             if (awake)
                 throw std::runtime_error("failed half way");
         },
         false},
        {"a paste that never reaches its target",
         [](LauncherTest &t) -> Task<> {
             t.sim.workspace.activationDelay = -1;
             Task<bool> paste = t.clipboardService->paste(t.textItem("x"),
                                                          ClipboardPasteTarget{t.editor, std::nullopt});
             co_await paste;
         },
         false},
        {"the window closes during a paste",
         [](LauncherTest &t) -> Task<> {
             t.sim.workspace.activationDelay = -1;
             Task<bool> paste = t.clipboardService->paste(t.textItem("x"),
                                                          ClipboardPasteTarget{t.editor, std::nullopt});
             co_await paste;
         },
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        sim.workspace.activationDelay = 0;
        sim.workspace.bringToFront(sim.workspace.addApplication(QStringLiteral("org.example.other")));
        auto window = makeWindow(rightScreen());
        window->show(NotchLauncherListKind::clipboard);
        int finished = 0;
        QObject::connect(window.get(), &NotchLauncherWindow::selectionFinished, [&] { ++finished; });
        LauncherTest &fixture = *this;
        ASSERT_TRUE(window->performSelection([&fixture, &row] { return row.action(fixture); }).has_value());
        sim.clock.advance(0.1);
        if (row.closeDuringAction)
            window->close();
        sim.clock.advance(3);
        EXPECT_FALSE(window->isPerformingSelection());
        EXPECT_FALSE(clipboardService->isPasting());
        EXPECT_EQ(finished, 1);
        EXPECT_EQ(window->canInteract(), !row.closeDuringAction);
        window->close();
    }
}

TEST_F(NotchLauncherWindowTest, AWindowDestroyedDuringAPasteHearsNothingMore)
{
    sim.workspace.activationDelay = -1;
    sim.workspace.bringToFront(sim.workspace.addApplication(QStringLiteral("org.example.other")));
    auto window = makeWindow(rightScreen());
    window->show(NotchLauncherListKind::clipboard);
    window->selectClipboardItem(textItem("x"));
    sim.clock.advance(0.1);
    ASSERT_TRUE(clipboardService->isPasting());
    int finished = 0;
    QObject::connect(window.get(), &NotchLauncherWindow::selectionFinished, [&] { ++finished; });
    // Destroying the window cancels its selection task: the task must not finish into the window.
    window.reset();
    EXPECT_EQ(finished, 0);
    sim.clock.advance(3);
    EXPECT_FALSE(clipboardService->isPasting());
}

TEST_F(NotchLauncherWindowTest, CloseIsFinal)
{
    auto window = makeWindow(leftScreen());
    window->show(NotchLauncherListKind::clipboard);
    window->close();
    EXPECT_TRUE(window->isClosed());
    EXPECT_TRUE(window->panel()->isClosed());
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_EQ(window->panel()->contentWidget(), nullptr);
    window->expand(true, true);
    window->show(NotchLauncherListKind::clipboard);
    sim.clock.advance(10);
    EXPECT_TRUE(window->isClosed());
    EXPECT_FALSE(window->panel()->isVisible());
}

} // namespace
