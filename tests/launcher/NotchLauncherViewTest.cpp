// The launcher panel's view on the simulated desktop: geometry, header, pulse, search, keyboard, hover,
// rows and swipes, each rule table as one table of cases.
#include "LauncherTestFixture.h"

#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/NotchLauncherGeometry.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchHeaderEntrance.h"
#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchLauncherView.h"
#include "state/RuntimeState.h"
#include "ui/NotchListSearchBar.h"
#include "model/FilterManager.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMap>

namespace {

struct NotchLauncherViewTest : LauncherTest {
    NotchLauncherViewModel model;
    QStringList calls;
    QList<ClipboardItem> selected;
    QList<ClipboardItem> previewed;
    bool ownsKeys = true;
    std::unique_ptr<NotchLauncherView> view;

    void connect(NotchLauncherView &v)
    {
        v.setHost({[this](const KeyDownEvent &) { return ownsKeys; }, {}});
        QObject::connect(&v, &NotchLauncherView::hoverChanged, [this](bool inside) { calls << (inside ? "hover-in" : "hover-out"); });
        QObject::connect(&v, &NotchLauncherView::collapsedTapped, [this] { calls << "collapsed-tap"; });
        QObject::connect(&v, &NotchLauncherView::clipboardListFocusRequested, [this] { calls << "list-focus"; });
        QObject::connect(&v, &NotchLauncherView::clipboardItemSelected, [this](const ClipboardItem &item) { selected << item; });
        QObject::connect(&v, &NotchLauncherView::clipboardPreviewOpening, [this](const ClipboardItem &item) { previewed << item; });
        QObject::connect(&v, &NotchLauncherView::searched, [this](const QString &query) { calls << "search:" + query; });
        QObject::connect(&v, &NotchLauncherView::contentLayoutChanged, [this] { calls << "layout"; });
        QObject::connect(&v, &NotchLauncherView::keyboardActivity, [this] { calls << "key"; });
    }

    NotchLauncherView &makeView(int width = 552, int height = 420)
    {
        view = std::make_unique<NotchLauncherView>(sim.platform(), model, appState.get(), history.get());
        connect(*view);
        view->resize(width, height);
        view->show();
        settle();
        return *view;
    }

    // Lets searches on the index's thread finish and their results arrive.
    void settle()
    {
        for (int i = 0; i < 20; ++i) {
            history->searchIndex().waitForIdle();
            QCoreApplication::processEvents();
            sim.clock.runDue();
        }
    }

    QList<ClipboardItem> addItems(int count)
    {
        QList<ClipboardItem> items;
        for (int i = 0; i < count; ++i) {
            ClipboardItem item = textItem(QStringLiteral("item %1").arg(i));
            history->handleItemInserted(item);
            items.prepend(history->items().first());
        }
        settle();
        return items; // newest first, as the list shows them
    }

    // Expanded and settled; `after` seconds later (by then the list has come in).
    void expand(double after = 1)
    {
        model.setIsExpanded(true);
        model.setIsListSettled(true);
        sim.clock.advance(after);
        settle();
    }

    EventDisposition key(Qt::Key code, Qt::KeyboardModifiers modifiers = {}, const QString &text = {})
    {
        KeyDownEvent event;
        event.key = code;
        event.modifiers = modifiers;
        event.text = text;
        return sim.eventMonitors.sendLocalKeyDown(event);
    }

    // Letters (Shift for capitals) and spaces, one key each, as the keyboard reports them.
    void type(const QString &text)
    {
        for (QChar c : text)
            key(Qt::Key(c.toUpper().unicode()), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
    }
};

TEST(NotchPanelGeometry, BandsRevealsAndChromeFollowTheFrameAndState)
{
    struct Row {
        const char *name;
        NotchPanelGeometry::Input in;
        double topBand, topGap, headerReveal, topInset, contentHeight, bottomRadius, shoulder;
    };
    const auto input = [](double w, double h, bool expanded, bool notch, bool floating, bool settled, double bar) {
        NotchPanelGeometry::Input in;
        in.width = w;
        in.height = h;
        in.isExpanded = expanded;
        in.hasRealNotch = notch;
        in.isFloatingWindow = floating;
        in.isListSettled = settled;
        in.realNotchBarHeight = bar;
        in.realNotchBottomCornerRadius = 12.58;
        return in;
    };
    const Row rows[] = {
        // Collapsed without a notch: clamp(H − 4, 20, 30), radius 34 % and shoulders 23 % of the bar.
        {"collapsed plain", input(180, 32, false, false, false, false, 32), 28, 2, 0, 30, 2, 32 * 0.34, 32 * 0.23},
        {"collapsed low", input(180, 18, false, false, false, false, 18), 20, 2, 0, 22, 0, 18 * 0.34, 18 * 0.23},
        // A bar of 2 points still gets corners and shoulders of one point.
        {"collapsed thin bar", input(180, 2, false, false, false, false, 2), 20, 2, 0, 22, 0, 1, 1},
        // Collapsed at a real notch: the notch's own radius, no shoulders.
        {"collapsed notch", input(180, 37, false, true, false, false, 37), 37, 0, 0, 37, 0, 12.58, 0},
        // Expanding: the reveals grow with the frame, the list jumps to 1 once settled.
        {"expanding plain", input(441.688, 70, true, false, false, false, 24), 30, 8, 0.5, 38, 32, 20, 21.344},
        {"expanded plain", input(441.688, 240, true, false, false, true, 24), 30, 8, 1, 38, 202, 20, 21.344},
        {"expanded notch", input(552.688, 300, true, true, false, false, 37), 37, 0, 1, 37, 263, 20, 21.344},
        {"floating", input(399, 280, true, false, true, false, 24), 30, 8, 1, 0, 280, 20, 0},
        // A frame smaller than its bands: nothing left for the list.
        {"tiny", input(100, 20, true, false, false, false, 24), 30, 8, 0, 38, 0, 20, 21.344},
    };
    for (const Row &row : rows) {
        const NotchPanelGeometry g = NotchPanelGeometry::compute(row.in);
        EXPECT_DOUBLE_EQ(g.topBand, row.topBand) << row.name;
        EXPECT_DOUBLE_EQ(g.topGap, row.topGap) << row.name;
        EXPECT_NEAR(g.headerReveal, row.headerReveal, 1e-9) << row.name;
        EXPECT_DOUBLE_EQ(g.topInset, row.topInset) << row.name;
        EXPECT_DOUBLE_EQ(g.contentHeight, row.contentHeight) << row.name;
        EXPECT_NEAR(g.listReveal, row.in.isExpanded ? (row.in.isFloatingWindow || row.in.isListSettled ? 1 : std::min(row.contentHeight / 64, 1.0)) : 0, 1e-9) << row.name;
        EXPECT_NEAR(g.chrome.bottomCornerRadius, row.bottomRadius, 1e-9) << row.name;
        EXPECT_NEAR(g.chrome.shoulderDepth, row.shoulder, 1e-9) << row.name;
        EXPECT_GE(g.innerWidth, 1) << row.name;
    }
}

// The shoulders never reach below half the frame's height nor in from a side by more than a fifth of its width:
// the body's side stands where the clamped depth puts it (no bottom radius here, so the side is straight).
TEST(NotchChromeShape, ShouldersAreClampedToTheFrame)
{
    struct Row {
        const char *name;
        double width, height, depth;
        double side; // where the body's left side stands
    };
    const Row rows[] = {
        {"room enough", 400, 100, 21.344, 21.344},
        {"low frame", 400, 20, 21.344, 10},
        {"narrow frame", 40, 100, 21.344, 8},
        {"negative depth", 400, 100, -5, 0},
    };
    for (const Row &row : rows) {
        NotchChromeShape shape;
        shape.shoulderDepth = row.depth;
        shape.shoulderCurveFactor = 0.06;
        const QRectF frame(0, 0, row.width, row.height);
        const QPainterPath path = shape.path(frame);
        EXPECT_TRUE(frame.contains(path.boundingRect())) << row.name;
        const double y = (row.side + row.height) / 2; // below the shoulder, above the bottom edge
        EXPECT_FALSE(path.contains(QPointF(row.side - 0.5, y))) << row.name;
        EXPECT_TRUE(path.contains(QPointF(row.side + 0.5, y))) << row.name;
    }
}

TEST(NotchPanelGeometry, ListAreaRevealValues)
{
    NotchPanelGeometry::Input in;
    in.width = 441.688;
    in.height = 70;
    in.isExpanded = true;
    NotchPanelGeometry g = NotchPanelGeometry::compute(in);
    EXPECT_NEAR(g.listOpacity, 0.5, 1e-9);
    EXPECT_NEAR(g.listOffsetY, -5, 1e-9);
    EXPECT_NEAR(g.listScaleY, 0.985, 1e-9);
    EXPECT_FALSE(g.listTakesInput);
    in.isExpanded = false;
    g = NotchPanelGeometry::compute(in);
    EXPECT_EQ(g.listOpacity, 0);
    EXPECT_EQ(g.listOffsetY, -18); // collapsed: lifted and invisible
    in.isExpanded = true;
    in.isListSettled = true;
    in.isListContentVisible = false;
    g = NotchPanelGeometry::compute(in);
    EXPECT_EQ(g.listOpacity, 0);
    EXPECT_FALSE(g.listTakesInput);
}

TEST(NotchHeaderLayout, VisibilityMatrix)
{
    struct Row {
        const char *name;
        bool expanded, notch;
        NotchLauncherListKind list;
        bool aiControls, historyTab, context, demo;
        bool notchLayout, recentTab, toggle;
        NotchHeaderLayout::Search search;
    };
    using K = NotchLauncherListKind;
    using S = NotchHeaderLayout::Search;
    const Row rows[] = {
        {"plain clipboard", true, false, K::clipboard, false, false, false, false, false, false, true, S::clipboard},
        {"notch clipboard", true, true, K::clipboard, false, false, false, false, true, false, true, S::clipboard},
        {"recent without context", true, false, K::recent, true, true, false, false, false, true, false, S::none},
        {"recent with context", true, true, K::recent, true, false, true, false, true, true, false, S::fieldHistory},
        {"tab remembered", true, false, K::clipboard, false, true, false, false, false, true, true, S::clipboard},
        {"demo", true, false, K::clipboard, true, false, false, true, false, true, false, S::clipboard},
        {"collapsed", false, true, K::clipboard, false, false, false, false, false, false, false, S::none},
    };
    for (const Row &row : rows) {
        NotchHeaderLayout::Input in;
        in.isExpanded = row.expanded;
        in.hasRealNotch = row.notch;
        in.selectedList = row.list;
        in.showsAIControls = row.aiControls;
        in.hasSelectedHistoryTab = row.historyTab;
        in.hasAIContext = row.context;
        in.hasDemoItems = row.demo;
        in.width = 400;
        const NotchHeaderLayout out = NotchHeaderLayout::compute(in);
        EXPECT_EQ(out.isNotchLayout, row.notchLayout) << row.name;
        EXPECT_EQ(out.showsRecentTab, row.recentTab) << row.name;
        EXPECT_EQ(out.showsFiltersToggle, row.toggle) << row.name;
        EXPECT_EQ(out.search, row.search) << row.name;
        EXPECT_EQ(out.recentTab.isEmpty(), !row.recentTab) << row.name;
    }
}

TEST(NotchHeaderLayout, SearchWidthAroundTheNotchAndInAPlainRow)
{
    struct Row {
        bool notch;
        double rail;
        double width;
    };
    for (const Row row : {Row{false, 140, 182}, Row{true, 140, 94}, Row{true, 46, 0}, Row{true, 30, 0}, Row{true, 300, 124}}) {
        NotchHeaderLayout::Input in;
        in.isExpanded = true;
        in.hasRealNotch = row.notch;
        in.realNotchSideRailWidth = row.rail;
        in.width = 500;
        EXPECT_DOUBLE_EQ(NotchHeaderLayout::compute(in).searchWidth, row.width) << row.rail;
    }
    // The plain row ends with the settings button at its trailing edge, the search area beside it.
    NotchHeaderLayout::Input in;
    in.isExpanded = true;
    in.width = 400;
    const NotchHeaderLayout plain = NotchHeaderLayout::compute(in);
    EXPECT_DOUBLE_EQ(plain.settingsButton.right(), 400);
    EXPECT_DOUBLE_EQ(plain.searchArea.right() + 10, plain.settingsButton.left());
    // Around the notch the trailing group starts after the rail and the notch gap.
    in.hasRealNotch = true;
    in.realNotchBarWidth = 180;
    in.realNotchSideRailWidth = 140;
    const NotchHeaderLayout notch = NotchHeaderLayout::compute(in);
    EXPECT_DOUBLE_EQ(notch.searchArea.left(), 140 + 198);
}

TEST(NotchHeaderEntrance, LooksBeforeAndAfterComingOnScreen)
{
    struct Row {
        bool enabled, spins, visible, reduceMotion;
        double saturation, rotation, offset, opacity;
    };
    const Row rows[] = {
        {true, true, false, false, 0, 0, 30, 0},
        {true, true, true, false, 1, -360, 0, 1},
        {true, false, true, false, 1, 0, 0, 1},
        {true, true, false, true, 0, 0, 0, 0},   // reduce motion: only a fade
        {true, true, true, true, 1, 0, 0, 1},
        {false, true, false, false, 1, 0, 0, 1}, // disabled: shows at once
    };
    for (const Row &row : rows) {
        const NotchHeaderEntrance::Look look = NotchHeaderEntrance{row.enabled, row.spins}.look(row.visible, row.reduceMotion);
        EXPECT_EQ(look.saturation, row.saturation);
        EXPECT_EQ(look.rotationDegrees, row.rotation);
        EXPECT_EQ(look.offsetX, row.offset);
        EXPECT_EQ(look.opacity, row.opacity);
    }
    EXPECT_EQ(NotchHeaderEntrance::animation(true).kind, Animation::Kind::timed);
    EXPECT_DOUBLE_EQ(NotchHeaderEntrance::animation(true).duration, 0.16);
    EXPECT_EQ(NotchHeaderEntrance::animation(false).kind, Animation::Kind::spring);
}

TEST(NotchHeaderEntrances, EachElementEntersWhenItComesOnScreenAndStartsOverWhenItLeaves)
{
    using E = NotchHeaderEntrances::Element;
    using P = NotchHeaderEntrances::Presence;
    struct Step {
        const char *name;
        double at;
        std::optional<P> presence; // shown from this moment on, when given
        bool reduceMotion;
        E element;
        double opacity, offset, rotation;
    };
    const P expanded{true, false, true, true, true};
    const P withRecent{true, true, true, true, true};
    const P recentList{true, true, false, false, true}; // the Recently used list without a field context
    const Step steps[] = {
        {"the panel expands: the Clipboard tab simply shows", 0, expanded, false, E::clipboardTab, 1, 0, 0},
        {"the settings button starts grey, clear and 30 to the right", 0, std::nullopt, false, E::settingsButton, 0, 30, 0},
        {"the search area too", 0, std::nullopt, false, E::searchArea, 0, 30, 0},
        {"the settings button has turned once into place", 3, std::nullopt, false, E::settingsButton, 1, 0, -360},
        {"the search area slides in without turning", 3, std::nullopt, false, E::searchArea, 1, 0, 0},
        {"the Recently used tab is not there yet", 3, std::nullopt, false, E::recentTab, 0, 30, 0},
        {"field suggestions appear: only the new tab enters", 3, withRecent, false, E::recentTab, 0, 30, 0},
        {"while the others stay in place", 3, std::nullopt, false, E::settingsButton, 1, 0, -360},
        {"the new tab is in place", 6, std::nullopt, false, E::recentTab, 1, 0, -360},
        {"the Recently used list hides the filters toggle", 6, recentList, false, E::filtersToggle, 0, 30, 0},
        {"back on the clipboard it enters again", 7, withRecent, false, E::filtersToggle, 0, 30, 0},
        {"and settles", 10, std::nullopt, false, E::filtersToggle, 1, 0, -360},
        {"the panel collapses: everything is gone", 11, P{}, true, E::settingsButton, 0, 0, 0},
        {"with reduce motion it only fades", 12, expanded, true, E::settingsButton, 0, 0, 0},
        {"over 0.16 s, with no turn", 12.16, std::nullopt, true, E::settingsButton, 1, 0, 0},
    };
    NotchHeaderEntrances entrances;
    for (const Step &step : steps) {
        if (step.presence)
            entrances.update(*step.presence, step.at, step.reduceMotion);
        const NotchHeaderEntrance::Look look = entrances.look(step.element, step.at, step.reduceMotion);
        EXPECT_NEAR(look.opacity, step.opacity, 1e-3) << step.name;
        EXPECT_NEAR(look.offsetX, step.offset, 1e-3) << step.name;
        EXPECT_NEAR(look.rotationDegrees, step.rotation, 1e-3) << step.name;
    }
    // Half way through a reduced-motion entrance (ease-out): more than half faded in, still in place.
    NotchHeaderEntrances reduced;
    reduced.update(expanded, 0, true);
    const NotchHeaderEntrance::Look half = reduced.look(E::searchArea, 0.08, true);
    EXPECT_GT(half.opacity, 0.5);
    EXPECT_LT(half.opacity, 1);
    EXPECT_EQ(half.offsetX, 0);
}

TEST_F(NotchLauncherViewTest, TheHeaderEntersElementByElementAndTheSearchBarWithIt)
{
    model.setExpandedHeaderWidth(552 - 42.688);
    makeView();
    expand(0);
    const NotchHeaderEntrances &entrances = view->headerEntrances();
    using E = NotchHeaderEntrances::Element;
    // Right after expanding, the search bar is still to the right of its place and transparent.
    const QRectF place = view->headerLayout().searchArea;
    EXPECT_NEAR(view->searchBar()->geometry().left(), place.left() + 30, 1.5);
    EXPECT_LT(entrances.look(E::searchArea, sim.clock.uptime(), false).opacity, 0.2);
    sim.clock.advance(3);
    settle();
    EXPECT_NEAR(view->searchBar()->geometry().left(), place.left(), 1);
    EXPECT_NEAR(entrances.look(E::settingsButton, sim.clock.uptime(), false).opacity, 1, 1e-3);
    // The Recently used tab, shown later, enters on its own.
    model.setShowsAIControls(true);
    EXPECT_LT(entrances.look(E::recentTab, sim.clock.uptime(), false).opacity, 0.2);
    EXPECT_NEAR(entrances.look(E::settingsButton, sim.clock.uptime(), false).opacity, 1, 1e-3);
}

TEST(NotchClipboardList, TheRevealingListFadesAndUnsqueezesFromItsTop)
{
    // The list's hairlines at a reveal: the first one lies along the first row's bottom, moved up
    // by the squeeze and as faint as the list is.
    SimPlatform sim;
    NotchClipboardList list(sim.platform(), [] { return NotchRowPaintContext{}; }, {});
    QList<ClipboardItem> items;
    for (int i = 0; i < 3; ++i) {
        ClipboardItem item(QUuid::createUuid());
        item.setTypeRawValue("text");
        item.setText(QStringLiteral("row %1").arg(i));
        items.append(item);
    }
    list.setItems(items);
    list.resize(300, 220);
    struct Row {
        double opacity, scaleY;
    };
    for (const Row row : {Row{1, 1}, Row{0.5, 0.985}, Row{0.1, 0.973}}) {
        list.setReveal(row.opacity, row.scaleY);
        QImage image(600, 440, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        list.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // Down the left margin, where only the hairlines draw (a hairline fills the row's last point).
        int first = -1, alpha = 0;
        for (int y = 0; y < image.height() && first < 0; ++y) {
            if (image.pixelColor(8, y).alpha() > 0)
                first = y;
        }
        ASSERT_GE(first, 0) << row.scaleY;
        for (int y = first; y < first + 4; ++y)
            alpha = std::max(alpha, image.pixelColor(8, y).alpha());
        EXPECT_NEAR(first / 2.0, 63 * row.scaleY, 0.75) << row.scaleY;
        EXPECT_NEAR(alpha, 0.2 * 255 * row.opacity, 6) << row.scaleY;
    }
}

// The list trails its reveal: at the notch on its own spring (0.34 s), in the compact window at once,
// with reduce motion on an ease-out of 0.16 s.
TEST_F(NotchLauncherViewTest, TheListComesInOnItsSpringExceptInTheCompactWindow)
{
    struct Row {
        const char *name;
        bool floating, reduceMotion;
        double at; // seconds after expanding
        double minOpacity, maxOpacity;
        double minLift; // points the list stands above its place
    };
    const Row rows[] = {
        {"at the notch it is still faint and lifted", false, false, 0.03, 0.02, 0.3, 6},
        {"the compact window shows it at once", true, false, 0, 1, 1, 0},
        {"with reduce motion it eases out, without the spring", false, true, 0.1, 0.75, 0.95, 0},
    };
    addItems(3);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        sim.appearance.setReduceMotion(row.reduceMotion);
        model.setIsFloatingWindow(row.floating);
        makeView();
        expand(row.at);
        const NotchClipboardList &list = *view->clipboardList();
        EXPECT_GE(list.revealOpacity(), row.minOpacity);
        EXPECT_LE(list.revealOpacity(), row.maxOpacity);
        if (row.minLift > 0) {
            EXPECT_LE(list.geometry().top(), view->geometry().listArea().top() - row.minLift);
        }
        EXPECT_TRUE(view->geometry().listTakesInput); // clicks go by the reveal the frame gives
        model.setIsExpanded(false);
        model.setIsListSettled(false);
    }
}

TEST_F(NotchLauncherViewTest, TwoCopiesHalfASecondApartKeepTheLogoLitAndTurnItTwice)
{
    makeView();
    RuntimeState &runtime = *appState->runtime();
    runtime.raiseClipboardPulse();
    EXPECT_TRUE(view->isClipboardPulseActive());
    sim.clock.advance(0.5);
    runtime.raiseClipboardPulse();
    sim.clock.advance(0.8); // 1.3 s after the first, 0.8 after the second
    EXPECT_TRUE(view->isClipboardPulseActive());
    EXPECT_NEAR(view->logo().scale, 1.14, 0.02);
    sim.clock.advance(0.06);
    EXPECT_FALSE(view->isClipboardPulseActive());
    EXPECT_DOUBLE_EQ(view->clipboardLogoRotation(), 720);
    sim.clock.advance(2);
    EXPECT_NEAR(view->logo().scale, 1.0, 1e-3);
    EXPECT_NEAR(view->logo().saturation, 0, 1e-3); // grey at rest
}

TEST_F(NotchLauncherViewTest, WithReduceMotionAPulseLightsButNeitherScalesNorTurns)
{
    sim.appearance.setReduceMotion(true);
    makeView();
    appState->runtime()->raiseClipboardPulse();
    sim.clock.advance(0.3);
    EXPECT_TRUE(view->isClipboardPulseActive());
    EXPECT_NEAR(view->logo().saturation, 1, 1e-3);
    EXPECT_DOUBLE_EQ(view->logo().scale, 1);
    EXPECT_DOUBLE_EQ(view->clipboardLogoRotation(), 0);
    EXPECT_GT(view->logo().shadowColor.alpha(), 0);
    model.setIsExpanded(true);
    sim.clock.advance(1);
    EXPECT_DOUBLE_EQ(view->logo().rotationDegrees, 0); // no expansion turn either
}

TEST_F(NotchLauncherViewTest, ExpandingSlidesTheLogoOntoTheClipboardTab)
{
    makeView(); // 552 wide: the body is 552 − 2 × 21.344
    const double body = 552 - 2 * NotchPanelGeometry::expandedShoulderDepth;
    struct Row {
        double headerWidth;
        double offset;
    };
    // The header width the window writes, one too small to move, and a stale one wider than the body.
    for (const Row row : {Row{399, -(399 / 2.0 - 30)}, Row{60, 0}, Row{600, -(body / 2 - 30)}}) {
        model.setExpandedHeaderWidth(row.headerWidth);
        model.setIsExpanded(true);
        sim.clock.advance(3);
        EXPECT_NEAR(view->logo().offset.x(), row.offset, 1e-3) << row.headerWidth;
        if (row.offset != 0) {
            EXPECT_NEAR(552 / 2.0 + view->logo().offset.x(), view->headerLayout().clipboardTab.center().x(), 1e-3);
        }
        model.setIsExpanded(false);
        sim.clock.advance(3);
        EXPECT_NEAR(view->logo().offset.x(), 0, 1e-3);
    }
}

// The tutorial's outlines fade in and out over 0.2 s: about half orange at 0.1 s, whole at 0.2 s, gone
// 0.2 s after the tutorial moves on.
TEST_F(NotchLauncherViewTest, TutorialOutlinesFadeInAndOut)
{
    struct Row {
        const char *name;
        NotchDemoHighlight highlight;
        std::function<QPointF(NotchLauncherView &)> onOutline;
    };
    const Row rows[] = {
        {"settings button", NotchDemoHighlight::settings,
         [](NotchLauncherView &v) { return QPointF(v.headerLayout().settingsButton.left() + 0.7, v.headerLayout().settingsButton.center().y()); }},
        {"first clipboard row", NotchDemoHighlight::clipboardItem,
         [](NotchLauncherView &v) { return v.clipboardList()->mapTo(&v, v.clipboardList()->rowRect(0).topLeft()) + QPointF(0.7, 32); }},
    };
    addItems(3);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        makeView();
        expand();
        sim.clock.advance(3);
        settle();
        auto orange = [&] {
            QImage image(view->size() * 2, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::black);
            view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            const QPointF at = row.onOutline(*view) * 2;
            const QColor c = image.pixelColor(at.toPoint());
            return c.red() - c.blue();
        };
        const int before = orange();
        model.setDemoHighlights({row.highlight});
        orange(); // the fade starts with the first frame that shows it
        sim.clock.advance(0.1);
        const int half = orange();
        sim.clock.advance(0.1);
        const int whole = orange();
        EXPECT_GT(whole - before, 100);
        EXPECT_GT(half - before, (whole - before) / 4);
        EXPECT_LT(half - before, (whole - before) * 3 / 4);
        model.setDemoHighlights({});
        orange();
        sim.clock.advance(0.2);
        EXPECT_LT(std::abs(orange() - before), 10);
        view.reset();
    }
}

TEST_F(NotchLauncherViewTest, WithoutANotchNoHeaderControlNorTheLogoIsClipped)
{
    // Screens without a notch from 400 to 3840 points wide, the header width the window writes for each
    // (and a stale one as wide as the window), with and without the Recently used tab, while the header
    // fades in and once it is fully shown.
    struct Row {
        double screenWidth;
        bool staleHeaderWidth;
        bool recentTab;
    };
    const Row rows[] = {{400, false, false}, {1000, false, true}, {1920, false, false}, {3840, false, true},
                        {1000, true, false},  {2560, true, true}};
    for (const Row &row : rows) {
        const double width = NotchLauncherGeometry::expandedPanelWidth(false, 180, row.screenWidth);
        model.setHasRealNotch(false);
        model.setRealNotchBarHeight(24);
        model.setExpandedHeaderWidth(row.staleHeaderWidth ? width : width - NotchLauncherGeometry::notchHeaderSideInset);
        model.setShowsAIControls(row.recentTab);
        makeView(int(width), 300);
        expand();
        sim.clock.advance(3);
        for (const int height : {38 + 16, 38 + 64, 300}) {
            view->resize(int(width), height);
            settle();
            const std::string name = std::to_string(row.screenWidth) + (row.staleHeaderWidth ? " stale " : " ")
                + std::to_string(height);
            const NotchPanelGeometry g = view->geometry();
            const NotchHeaderLayout header = view->headerLayout();
            ASSERT_GT(g.headerReveal, 0) << name;
            // The band the header is clipped to, and the outline of the whole panel.
            const QRectF band(0, g.topGap, view->width(), g.topBand);
            const QPainterPath chrome = view->chromePath();
            const double logoSide = TavlenLogo::size * 1.14; // as large as a pulse makes it
            const QPointF logoCentre(view->width() / 2.0 + view->logo().offset.x(), g.topGap + g.topBand / 2);
            QList<std::pair<const char *, QRectF>> controls = {
                {"clipboard tab", header.clipboardTab},
                {"filters toggle", header.filtersToggle},
                {"search area", header.searchArea},
                {"search bar", QRectF(view->searchBar()->geometry())},
                {"settings", header.settingsButton},
                {"logo", QRectF(logoCentre - QPointF(logoSide / 2, logoSide / 2), QSizeF(logoSide, logoSide))},
            };
            if (row.recentTab)
                controls.append({"recent tab", header.recentTab});
            for (const auto &[control, rect] : controls) {
                ASSERT_FALSE(rect.isEmpty()) << name << " " << control;
                EXPECT_TRUE(band.contains(rect)) << name << " " << control;
                EXPECT_TRUE(chrome.contains(rect)) << name << " " << control;
            }
            // Side by side, never on top of each other.
            for (qsizetype i = 0; i + 1 < controls.size(); ++i) {
                for (qsizetype j = i + 1; j < controls.size(); ++j) {
                    if (QString(controls[i].first).startsWith("search") && QString(controls[j].first).startsWith("search"))
                        continue;
                    const bool logoOnTab = QString(controls[i].first) == "clipboard tab" && QString(controls[j].first) == "logo";
                    if (!logoOnTab) {
                        EXPECT_FALSE(controls[i].second.intersects(controls[j].second))
                            << name << " " << controls[i].first << " / " << controls[j].first;
                    }
                }
            }
        }
        view.reset();
    }
}

// The header's painted buttons as a screen reader finds them: none while collapsed, then each named by its
// tooltip, and a press on each does what a click does; the field history's painted empty state as text.
TEST_F(NotchLauncherViewTest, AScreenReaderFindsAndPressesTheHeaderButtons)
{
    model.setShowsAIControls(true);
    makeView();
    QObject::connect(view.get(), &NotchLauncherView::settingsOpened, [this] { calls << "settings"; });
    QObject::connect(view.get(), &NotchLauncherView::listKindSelected,
                     [this](NotchLauncherListKind kind) { calls << (kind == NotchLauncherListKind::recent ? "recent" : "clipboard"); });
    QAccessibleInterface *panel = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(panel);
    auto buttons = [&] {
        QMap<QString, QAccessibleInterface *> found;
        for (int i = 0; i < panel->childCount(); ++i) {
            QAccessibleInterface *child = panel->child(i);
            if (child && !child->object() && child->role() == QAccessible::Button) {
                EXPECT_EQ(panel->indexOfChild(child), i);
                // Named as its tooltip, where a pointer finds it.
                EXPECT_EQ(view->headerToolTip(view->mapFromGlobal(child->rect().center())), child->text(QAccessible::Name));
                found.insert(child->text(QAccessible::Name), child);
            }
        }
        return found;
    };
    auto press = [&](const QString &name) {
        QAccessibleInterface *button = buttons().value(name);
        ASSERT_TRUE(button && button->actionInterface()) << name.toStdString();
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        settle();
    };
    EXPECT_TRUE(buttons().isEmpty());
    // Collapsed, the panel itself is pressed to open it, whatever opens it for the pointer.
    ASSERT_TRUE(panel->actionInterface());
    EXPECT_TRUE(panel->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    panel->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(calls.contains("collapsed-tap")) << calls.join(' ').toStdString();
    expand();
    EXPECT_FALSE(panel->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    sim.clock.advance(3);
    settle();
    EXPECT_EQ(buttons().keys(), (QStringList{"Clipboard", "Recently used", "Show Filters", "Tavlen settings"}));
    calls.clear();
    press(QStringLiteral("Show Filters"));
    EXPECT_TRUE(model.areClipboardFiltersVisible());
    EXPECT_TRUE(buttons().contains(QStringLiteral("Hide Filters")));
    press(QStringLiteral("Tavlen settings"));
    press(QStringLiteral("Recently used"));
    EXPECT_TRUE(calls.contains("settings")) << calls.join(' ').toStdString();
    EXPECT_TRUE(calls.contains("recent")) << calls.join(' ').toStdString();
    // On the Recently used tab without a field, the painted empty state is read as text.
    model.setSelectedList(NotchLauncherListKind::recent);
    model.setDisplayedList(NotchLauncherListKind::recent);
    settle();
    QStringList texts;
    for (int i = 0; i < panel->childCount(); ++i) {
        QAccessibleInterface *child = panel->child(i);
        if (child && !child->object() && child->role() == QAccessible::StaticText) {
            EXPECT_EQ(panel->indexOfChild(child), i);
            texts << child->text(QAccessible::Name) + " / " + child->text(QAccessible::Description);
        }
    }
    EXPECT_EQ(texts, QStringList{"No field selected / Select a text field to view its history."});
    // The compact window draws no header, and has none of its buttons.
    model.setSelectedList(NotchLauncherListKind::clipboard);
    model.setDisplayedList(NotchLauncherListKind::clipboard);
    model.setIsFloatingWindow(true);
    settle();
    EXPECT_TRUE(buttons().isEmpty());
}

// A row as a screen reader reads it: its title without line feeds at its end and cut to 200 characters, or
// for an image or a file that has nothing to show but "Clipboard item" its kind and size; described by its
// kind and time in words.
TEST_F(NotchLauncherViewTest, AScreenReaderReadsEachRowByItsTitleKindAndTime)
{
    const int year = QDate::currentDate().year();
    struct Row {
        const char *what;
        ClipboardItemType type;
        QString text;
        qint64 size;
        QDate day;
        QString name;
        QString description;
    };
    const QString lines(300, QLatin1Char('x'));
    // Copied one after another, as the history keeps them.
    const Row rows[] = {
        {"an image without a title", ClipboardItemType::image, {}, 34500, QDate(year - 1, 12, 7),
         QStringLiteral("Image, 34.5 kB"), QStringLiteral("Image, copied 7 December %1, 21:50").arg(year - 1)},
        {"a long text", ClipboardItemType::text, lines, 0, QDate(year, 3, 1), lines.left(200) + QChar(0x2026),
         QStringLiteral("Text, copied 1 March, 21:50")},
        {"line feeds at its end", ClipboardItemType::text, QStringLiteral("Flight to Oslo\n\n\n"), 0, QDate(year, 12, 6),
         QStringLiteral("Flight to Oslo"), QStringLiteral("Text, copied 6 December, 21:50")},
        {"a file without a name", ClipboardItemType::file, {}, 2100000, QDate(year, 12, 7), QStringLiteral("File, 2.1 MB"),
         QStringLiteral("File, copied 7 December, 21:50")},
    };
    makeView();
    expand();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ClipboardItem item(QUuid::createUuid());
        item.setTypeRawValue(rawValue(row.type));
        item.setText(row.text);
        if (row.type == ClipboardItemType::image)
            item.setImageData(QByteArray(row.size, 'x'));
        if (row.type == ClipboardItemType::file) {
            item.setFilePath(QStringLiteral("/tmp/a"));
            item.setFileSize(row.size);
        }
        sim.clock.setWallClock(QDateTime(row.day, QTime(21, 50)));
        item.setDate(QDateTime(row.day, QTime(21, 50)));
        history->handleItemInserted(item);
        settle();
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view->clipboardList());
        EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Clipboard history"));
        QAccessibleInterface *newest = list->child(0);
        ASSERT_TRUE(newest);
        EXPECT_EQ(newest->text(QAccessible::Name).toStdString(), row.name.toStdString());
        EXPECT_EQ(newest->text(QAccessible::Description).toStdString(), row.description.toStdString());
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view->searchField())->text(QAccessible::Name),
              QStringLiteral("Search the clipboard history"));
}

// One element has the reader's focus: the search field while it is typed in, the active row once the
// arrows have gone into the list or the field has let the keyboard go.
TEST_F(NotchLauncherViewTest, AScreenReaderFindsOneFocusedElement)
{
    const QList<ClipboardItem> items = addItems(3);
    makeView();
    expand();
    QApplication::setActiveWindow(view.get());
    auto focused = [&] {
        QStringList names;
        QAccessibleInterface *field = QAccessible::queryAccessibleInterface(view->searchField());
        if (field->state().focused)
            names << QStringLiteral("field");
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view->clipboardList());
        for (int i = 0; i < list->childCount(); ++i)
            if (list->child(i)->state().focused)
                names << list->child(i)->text(QAccessible::Name);
        return names.join(QLatin1Char(' ')).toStdString();
    };
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    model.setSelectedClipboardItemID(items.at(1).id());
    settle();
    ASSERT_TRUE(view->isClipboardSearchFocused());
    ASSERT_TRUE(view->activeClipboardItemID().has_value());
    EXPECT_EQ(focused(), "field");
    // Down from the field: the field keeps the keys for typing, the reader goes to the row.
    view->searchField()->onArrowDown();
    settle();
    ASSERT_TRUE(view->searchField()->hasFocus());
    EXPECT_EQ(focused(), "item 2");
    view->setClipboardSearchFocused(false);
    processEvents();
    EXPECT_EQ(focused(), "item 2");
}

TEST_F(NotchLauncherViewTest, CopiesMadeWhileCollapsedPutTheNewestFirstInLine)
{
    // Collapsed, the selection follows the newest copy (the list is caught up when the panel opens);
    // open, it stays where the person put it.
    struct Row {
        const char *name;
        bool expanded;
        bool newestSelected;
    };
    for (const Row row : {Row{"collapsed", false, true}, Row{"expanded", true, false}}) {
        history->deleteItems(history->items());
        const QList<ClipboardItem> first = addItems(2);
        makeView();
        if (row.expanded)
            expand();
        model.setSelectedClipboardItemID(first.at(1).id()); // the older one
        settle();
        for (int i = 0; i < 3; ++i)
            history->handleItemInserted(textItem(QStringLiteral("later %1").arg(i)));
        settle();
        if (!row.expanded)
            expand();
        ASSERT_EQ(view->displayedClipboardItems().size(), 5) << row.name;
        const QUuid newest = view->displayedClipboardItems().first().id();
        EXPECT_EQ(view->activeClipboardItemID() == newest, row.newestSelected) << row.name;
        if (!row.newestSelected) {
            EXPECT_EQ(view->activeClipboardItemID(), first.at(1).id()) << row.name;
        }
        view.reset();
        model.setIsExpanded(false);
    }
}

TEST_F(NotchLauncherViewTest, KeyTable)
{
    const QList<ClipboardItem> items = addItems(3);
    makeView();
    QApplication::setActiveWindow(view.get());
    expand();
    ASSERT_EQ(view->displayedClipboardItems().size(), 3);
    // On the list the row `activeBefore` is active; in the search field a focus request has just given it
    // the caret. `before` are pressed first, then `code`.
    enum Where { list, field };
    struct Row {
        const char *name;
        Qt::Key code;
        Qt::KeyboardModifiers modifiers;
        std::optional<int> activeBefore;
        EventDisposition disposition;
        std::optional<int> activeAfter;
        int pastes;
        Where where = list;
        QList<Qt::Key> before = {};
    };
    using D = EventDisposition;
    const std::nullopt_t none = std::nullopt;
    const Row rows[] = {
        {"Down with none selects the second", Qt::Key_Down, {}, none, D::Consume, 1, 0},
        {"Up with none selects the first", Qt::Key_Up, {}, none, D::Consume, 0, 0},
        {"Up on the first stays", Qt::Key_Up, {}, 0, D::Consume, 0, 0},
        {"Down on the last stays", Qt::Key_Down, {}, 2, D::Consume, 2, 0},
        {"Return pastes the active", Qt::Key_Return, {}, 1, D::Consume, 1, 1},
        {"keypad Enter as Return", Qt::Key_Enter, {}, 2, D::Consume, 2, 1},
        {"a layout group switch does not count", Qt::Key_Return, Qt::GroupSwitchModifier, 0, D::Consume, 0, 1},
        {"numeric pad flag does not count", Qt::Key_Down, Qt::KeypadModifier, 0, D::Consume, 1, 0},
        {"Shift passes", Qt::Key_Return, Qt::ShiftModifier, 1, D::Pass, 1, 0},
        {"Control passes", Qt::Key_Down, Qt::ControlModifier, 1, D::Pass, 1, 0},
        {"Super passes", Qt::Key_Space, Qt::MetaModifier, 1, D::Pass, 1, 0},
        {"Return without an active item passes", Qt::Key_Return, {}, none, D::Pass, none, 0},
        {"other keys pass", Qt::Key_A, {}, 1, D::Pass, 1, 0},
        {"Tab stays on the list", Qt::Key_Tab, {}, 1, D::Consume, 1, 0},
        {"Shift+Tab goes back to the search field", Qt::Key_Tab, Qt::ShiftModifier, 1, D::Consume, 1, 0},
        // The field has the keys: it gets them past the list's handling.
        {"Up from the field with nothing marked does nothing", Qt::Key_Up, {}, none, D::Pass, none, 0, field},
        {"Down from the field selects the first", Qt::Key_Down, {}, none, D::Pass, 0, 0, field},
        {"a second Down the second, which Return pastes", Qt::Key_Return, {}, none, D::Pass, 1, 1, field,
         {Qt::Key_Down, Qt::Key_Down}},
        {"Up from the first back to the field, nothing marked", Qt::Key_Up, {}, none, D::Pass, none, 0, field,
         {Qt::Key_Down}},
        {"Return with nothing marked pastes the top", Qt::Key_Return, {}, none, D::Pass, 0, 1, field},
        // Typed "1": "item 1" alone is left, which was selected.
        {"typing clears the selection", Qt::Key_1, {}, none, D::Pass, none, 0, field, {Qt::Key_Down, Qt::Key_Down}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.where == field) {
            model.requestClipboardSearchFocus();
            sim.clock.advance(0.1);
            processEvents();
            ASSERT_TRUE(view->searchField()->hasFocus());
            EXPECT_EQ(view->activeClipboardItemID(), std::nullopt);
        } else {
            model.setSelectedClipboardItemID(row.activeBefore ? std::optional<QUuid>(items.at(*row.activeBefore).id()) : none);
            model.setHighlightedClipboardItemID(none);
        }
        selected.clear();
        // As the application delivers a key: past its key monitor to the widget with the keyboard.
        const auto press = [&](Qt::Key code, Qt::KeyboardModifiers modifiers) {
            const QString text = code == Qt::Key_1 ? QStringLiteral("1") : QString();
            const EventDisposition disposition = key(code, modifiers, text);
            if (disposition == D::Pass && view->searchField()->hasFocus()) {
                QKeyEvent event(QEvent::KeyPress, code, modifiers, text);
                QCoreApplication::sendEvent(view->searchField(), &event);
            }
            return disposition;
        };
        for (const Qt::Key code : row.before)
            press(code, {});
        EXPECT_EQ(press(row.code, row.modifiers), row.disposition);
        settle();
        const std::optional<QUuid> expected = row.activeAfter ? std::optional<QUuid>(items.at(*row.activeAfter).id()) : none;
        EXPECT_EQ(view->activeClipboardItemID(), expected);
        EXPECT_EQ(selected.size(), row.pastes);
        if (row.pastes == 1) {
            EXPECT_EQ(selected.first().id(), expected);
        }
        if (row.code == Qt::Key_Tab) {
            EXPECT_EQ(view->isClipboardSearchFocused(), row.modifiers == Qt::ShiftModifier);
        }
        if (row.where == field) {
            processEvents();
            EXPECT_TRUE(view->searchField()->hasFocus()); // the caret stays in the field
        }
    }
}

TEST_F(NotchLauncherViewTest, KeysPassWhenThePanelCannotActOnThem)
{
    addItems(2);
    makeView();
    // Collapsed, another window's key, the demo: nothing is handled and the lock is not renewed.
    EXPECT_EQ(key(Qt::Key_Down), EventDisposition::Pass);
    expand();
    ownsKeys = false;
    EXPECT_EQ(key(Qt::Key_Down), EventDisposition::Pass);
    EXPECT_FALSE(calls.contains("key"));
    ownsKeys = true;
    EXPECT_EQ(key(Qt::Key_Down), EventDisposition::Consume);
    EXPECT_TRUE(calls.contains("key"));
    // The search field handles its own keys.
    view->setClipboardSearchFocused(true);
    EXPECT_EQ(key(Qt::Key_Down), EventDisposition::Pass);
    view->setClipboardSearchFocused(false);
    model.setDemoClipboardItems(QList<ClipboardItem>{textItem("demo")});
    EXPECT_EQ(key(Qt::Key_Down), EventDisposition::Pass);
}

// A search the test answers by hand.
struct ManualSearch {
    struct Pending {
        QString query;
        std::shared_ptr<std::optional<QList<ClipboardItem>>> answer = std::make_shared<std::optional<QList<ClipboardItem>>>();
        std::shared_ptr<bool> done = std::make_shared<bool>(false);
    };
    QList<Pending> pending;
    Clock *clock = nullptr;

    NotchLauncherView::SearchFunction function()
    {
        return [this](std::optional<ClipboardFilter>, QString query) { return run(query); };
    }
    Task<std::optional<QList<ClipboardItem>>> run(QString query)
    {
        Pending p;
        p.query = query;
        pending.append(p);
        while (!*p.done) {
            const bool awake = co_await clock->sleep(0.01);
            if (!awake)
                co_return std::nullopt;
        }
        co_return *p.answer;
    }
    // None: the search failed.
    void answer(int index, const std::optional<QList<ClipboardItem>> &items)
    {
        if (items)
            pending[index].answer->emplace(*items);
        else
            pending[index].answer->reset();
        *pending[index].done = true;
    }
};

TEST_F(NotchLauncherViewTest, ReturnDuringARunningSearchPastesFromItsResults)
{
    const QList<ClipboardItem> items = addItems(3);
    makeView();
    ManualSearch search;
    search.clock = &sim.clock;
    view->setSearchFunction(search.function());
    expand();
    view->setClipboardSearchFocused(true);
    view->setClipboardSearchQuery(QStringLiteral("item 1"));
    ASSERT_TRUE(view->isSearchRunning());
    view->submitActiveClipboardItem(); // Return in the field
    EXPECT_TRUE(view->hasPendingSubmission());
    EXPECT_TRUE(selected.isEmpty());
    search.answer(search.pending.size() - 1, QList<ClipboardItem>{items[1]});
    sim.clock.advance(0.02);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].id(), items[1].id());
    EXPECT_TRUE(calls.contains("search:item 1"));
}

TEST_F(NotchLauncherViewTest, AFailedSearchDoesNotKeepReturnWaitingForever)
{
    const QList<ClipboardItem> items = addItems(2);
    makeView();
    ManualSearch search;
    search.clock = &sim.clock;
    view->setSearchFunction(search.function());
    expand();
    view->setClipboardSearchQuery(QStringLiteral("item"));
    search.answer(search.pending.size() - 1, std::nullopt); // the search failed
    sim.clock.advance(0.02);
    EXPECT_FALSE(view->isSearchRunning());
    view->submitActiveClipboardItem();
    ASSERT_EQ(selected.size(), 1); // Return pastes from the list that stayed
    EXPECT_EQ(selected[0].id(), items[0].id());
}

TEST_F(NotchLauncherViewTest, TypingCancelsEarlierQueriesAndBlankQueriesReportNothing)
{
    addItems(3);
    makeView();
    ManualSearch search;
    search.clock = &sim.clock;
    view->setSearchFunction(search.function());
    expand();
    view->setClipboardSearchQuery(QStringLiteral("i"));
    view->setClipboardSearchQuery(QStringLiteral("it"));
    view->setClipboardSearchQuery(QStringLiteral("   "));
    EXPECT_FALSE(calls.contains("search:   "));
    // The stale answer for "i" arrives late: it is dropped.
    search.answer(0, QList<ClipboardItem>{textItem("stale")});
    sim.clock.advance(0.02);
    EXPECT_EQ(view->displayedClipboardItems().size(), 3);
}

TEST_F(NotchLauncherViewTest, AFilterThatIsGoneSearchesAsNoFilter)
{
    addItems(3);
    makeView();
    expand();
    model.setSelectedClipboardFilterID(QUuid::createUuid());
    settle();
    EXPECT_EQ(view->displayedClipboardItems().size(), 3);
}

TEST_F(NotchLauncherViewTest, HoverSelectsOnlyWhenItMay)
{
    const QList<ClipboardItem> items = addItems(3);
    makeView();
    NotchClipboardList &list = *view->clipboardList();
    struct Row {
        const char *name;
        bool expanded;
        bool demo;
        bool preview;
        bool selects;
    };
    const Row rows[] = {
        {"expanded", true, false, false, true},
        {"collapsed", false, false, false, false},
        {"in the demo", true, true, false, false},
        {"with the preview open", true, false, true, false},
    };
    for (const Row &row : rows) {
        model.setIsExpanded(row.expanded);
        model.setSelectedClipboardItemID(std::nullopt);
        model.setHighlightedClipboardItemID(std::nullopt);
        view->setPreviewPresenter({});
        model.setDemoClipboardItems(row.demo ? std::optional<QList<ClipboardItem>>(items) : std::nullopt);
        if (row.preview) {
            view->setPreviewPresenter({[this](const NotchLauncherView::PreviewRequest &) { return static_cast<QObject *>(appState.get()); },
                                       [](QObject *) {}});
            view->showPreview(items[0]);
        }
        view->clipboardRowHoverChanged(items[1], true);
        EXPECT_EQ(model.selectedClipboardItemID() == items[1].id(), row.selects) << row.name;
        view->closePreviewWindow();
        (void)list;
    }
    model.setDemoClipboardItems(std::nullopt);
    // Leaving clears the highlight but keeps the selection.
    model.setIsExpanded(true);
    view->clipboardRowHoverChanged(items[2], true);
    view->clipboardRowHoverChanged(items[2], false);
    EXPECT_EQ(model.highlightedClipboardItemID(), std::nullopt);
    EXPECT_EQ(model.selectedClipboardItemID(), items[2].id());
}

TEST_F(NotchLauncherViewTest, ScrollingUnderARestingPointerSelectsNothing)
{
    const QList<ClipboardItem> items = addItems(30);
    makeView(552, 600);
    expand();
    NotchClipboardList &list = *view->clipboardList();
    ASSERT_TRUE(list.isVisible());
    list.pointerMoved(QPointF(200, 64 + 32)); // over the second row
    ASSERT_EQ(model.selectedClipboardItemID(), items[1].id());
    list.wheelScrolled(-64 * 5); // the content moves five rows under the resting pointer
    EXPECT_EQ(model.selectedClipboardItemID(), items[1].id());
    list.pointerMoved(QPointF(201, 64 + 32)); // a real movement selects what lies under it now
    EXPECT_EQ(model.selectedClipboardItemID(), items[6].id());
}

TEST_F(NotchLauncherViewTest, OnlyTheRowsOnScreenAreBuilt)
{
    addItems(300);
    makeView(552, 600);
    expand();
    NotchClipboardList &list = *view->clipboardList();
    EXPECT_EQ(list.items().size(), 300);
    EXPECT_LE(list.liveRowCount(), 10);
    list.scrollTo(64 * 150, false);
    EXPECT_LE(list.liveRowCount(), 10);
    EXPECT_EQ(list.visibleRange().first, 150);
}

TEST_F(NotchLauncherViewTest, APanelAsTallAsItsRowsShowsThemAllWithoutAScrollBar)
{
    addItems(3);
    // The height the launcher gives a panel of three rows: the header band, its gap and padding, the rows.
    makeView(552, int(30 + 8 + 10 + 3 * NotchClipboardList::rowHeight));
    expand();
    const NotchClipboardList &list = *view->clipboardList();
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(list.maximumScrollOffset(), 0);
    EXPECT_LE(list.rowRect(2).bottom(), list.height());
}

TEST_F(NotchLauncherViewTest, EmptyHistoryShowsOnlyThePlaceholderText)
{
    makeView();
    expand();
    EXPECT_TRUE(view->displayedClipboardItems().isEmpty());
    EXPECT_EQ(model.visibleClipboardItemCount(), 0);
    EXPECT_EQ(view->clipboardList()->liveRowCount(), 0);
    // A screen reader reads the placeholder too.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view->clipboardList())->text(QAccessible::Description),
              NotchClipboardList::emptyText);
}

TEST_F(NotchLauncherViewTest, CollapsedTapOnlyWhenHoverExpansionIsExplicitlyOff)
{
    makeView(180, 32);
    struct Row {
        std::optional<bool> setting;
        bool expanded;
        bool taps;
    };
    for (const Row row : {Row{std::nullopt, false, false}, Row{true, false, false}, Row{false, false, true}, Row{false, true, false}}) {
        updateSettings([&](UserSettingsData &s) { s.notchExpandOnHover = row.setting; });
        model.setIsExpanded(row.expanded);
        calls.clear();
        view->pointerClicked(QPointF(90, 10));
        EXPECT_EQ(calls.contains("collapsed-tap"), row.taps);
    }
}

TEST_F(NotchLauncherViewTest, HoverIsReportedOncePerChangeAndNotDuringTheDemo)
{
    makeView();
    view->pointerExited(); // whatever the offscreen pointer did when the view showed
    calls.clear();
    view->pointerEntered();
    view->pointerEntered();
    view->pointerExited();
    view->pointerExited();
    EXPECT_EQ(calls, (QStringList{"hover-in", "hover-out"}));
    model.setDemoClipboardItems(QList<ClipboardItem>{});
    view->pointerEntered();
    EXPECT_EQ(calls.size(), 2);
}

TEST_F(NotchLauncherViewTest, FocusRequestClearsTheQueryAndFocusesAfterTheDelayOnlyWhenItMay)
{
    addItems(2);
    makeView();
    expand();
    view->setClipboardSearchQuery(QStringLiteral("old"));
    model.requestClipboardSearchFocus();
    EXPECT_TRUE(view->clipboardSearchQuery().isEmpty());
    sim.clock.advance(0.05);
    EXPECT_FALSE(view->isClipboardSearchFocused());
    sim.clock.advance(0.02);
    EXPECT_TRUE(view->isClipboardSearchFocused());
    // Suspended for a desktop switch: the request does nothing at all.
    view->setClipboardSearchFocused(false);
    view->setClipboardSearchQuery(QStringLiteral("kept"));
    model.setIsDesktopSwitchSuspended(true);
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    EXPECT_EQ(view->clipboardSearchQuery(), QStringLiteral("kept"));
    EXPECT_FALSE(view->isClipboardSearchFocused());
    // Collapsed: the query is cleared but the field is not focused.
    model.setIsDesktopSwitchSuspended(false);
    model.setIsExpanded(false);
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    EXPECT_TRUE(view->clipboardSearchQuery().isEmpty());
    EXPECT_FALSE(view->isClipboardSearchFocused());
    // Given and taken back before the field could act on it: the field does not take the keyboard later.
    model.setIsExpanded(true);
    QApplication::setActiveWindow(view.get());
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    ASSERT_TRUE(view->isClipboardSearchFocused());
    model.setIsDesktopSwitchSuspended(true);
    processEvents();
    EXPECT_FALSE(view->searchField()->hasFocus());
}

TEST_F(NotchLauncherViewTest, TheCompactWindowNeverFocusesASearchFieldThatIsNotOnScreen)
{
    addItems(2);
    model.setIsFloatingWindow(true);
    makeView(399, 280);
    expand();
    EXPECT_TRUE(view->searchBar()->isVisible()); // the compact window heads its list with the search bar
    model.setIsExpanded(false);
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    EXPECT_FALSE(view->isClipboardSearchFocused());
    EXPECT_FALSE(view->searchBar()->isVisible());

    // Focused in the open window, then its bar leaves the screen while the window still counts as open
    // (its frame shrinks before the view hears that it collapsed): the keyboard leaves with the bar.
    expand();
    model.requestClipboardSearchFocus();
    sim.clock.advance(0.1);
    ASSERT_TRUE(view->isClipboardSearchFocused());
    view->resize(40, 280);
    EXPECT_FALSE(view->searchBar()->isVisible());
    EXPECT_FALSE(view->isClipboardSearchFocused());
}

// The hot key right after a copy: the panel's frame grows from the collapsed one, and the focus delay ends
// before the header with the search field has come in. Whatever lays the panel out meanwhile, the field
// takes the keyboard once it is on screen, and not before.
TEST_F(NotchLauncherViewTest, TheSearchFieldTakesTheKeyboardOnceTheOpeningFrameShowsIt)
{
    struct Row {
        const char *name;
        std::function<void(NotchLauncherViewTest &)> meanwhile;
    };
    const Row rows[] = {
        {"a step of the frame", [](NotchLauncherViewTest &t) { t.view->resize(552, 37); }},
        {"a copy's row arriving",
         [](NotchLauncherViewTest &t) {
             t.history->handleItemInserted(t.textItem(QStringLiteral("copied as it opened")));
             t.settle();
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        addItems(1);
        makeView(552, 24);
        QApplication::setActiveWindow(view.get());
        appState->runtime()->raiseClipboardPulse();
        model.setIsExpanded(true);
        model.requestClipboardSearchFocus();
        sim.clock.advance(NotchKeyboardNavigation::searchFocusDelay + 0.01);
        row.meanwhile(*this);
        EXPECT_FALSE(view->searchBar()->isVisible());
        EXPECT_FALSE(view->isClipboardSearchFocused());
        view->resize(552, 420);
        ASSERT_TRUE(view->searchBar()->isVisible());
        processEvents();
        EXPECT_TRUE(view->isClipboardSearchFocused());
        EXPECT_TRUE(view->searchField()->hasFocus());
        view.reset();
        model.setIsExpanded(false);
    }
}

// The hot key and typing at once: the keys that come before the search field has the caret wait for it
// and go in, in order; a launcher that collapses or gives the keyboard elsewhere meanwhile throws them
// away, and so does one whose field takes too long.
TEST_F(NotchLauncherViewTest, TypingBeforeTheSearchFieldHasTheCaretGoesIntoItOnceItHasIt)
{
    struct Row {
        const char *name;
        std::function<void(NotchLauncherViewTest &)> typing;
        QString query;
    };
    const auto fieldShown = [](NotchLauncherViewTest &t) { t.view->resize(552, 420); };
    // Letters typed, then `meanwhile`, then the field on screen.
    const auto typedThen = [&](std::function<void(NotchLauncherViewTest &)> meanwhile) {
        return [&, meanwhile](NotchLauncherViewTest &t) {
            t.type(QStringLiteral("se"));
            meanwhile(t);
            fieldShown(t);
        };
    };
    const Row rows[] = {
        {"before and after the delay, and while the field takes the caret",
         [&](NotchLauncherViewTest &t) {
             t.type(QStringLiteral("I"));
             t.sim.clock.advance(NotchKeyboardNavigation::searchFocusDelay + 0.01);
             t.type(QStringLiteral("n"));
             fieldShown(t);
             t.type(QStringLiteral(" v"));
         },
         QStringLiteral("In v")},
        {"Backspace takes back the letter before it",
         [&](NotchLauncherViewTest &t) {
             t.type(QStringLiteral("inx"));
             t.key(Qt::Key_Backspace, {}, QStringLiteral("\b"));
             t.type(QStringLiteral("v"));
             fieldShown(t);
         },
         QStringLiteral("inv")},
        {"Return before the results are seen pastes nothing",
         [&](NotchLauncherViewTest &t) {
             t.type(QStringLiteral("in"));
             EXPECT_EQ(t.key(Qt::Key_Return, {}, QStringLiteral("\r")), EventDisposition::Consume);
             fieldShown(t);
         },
         QStringLiteral("in")},
        {"Escape closes and the typing goes with the launcher",
         typedThen([](NotchLauncherViewTest &t) {
             EXPECT_EQ(t.key(Qt::Key_Escape, {}, QStringLiteral("\x1b")), EventDisposition::Pass);
             t.model.setIsExpanded(false);
             t.model.setIsExpanded(true);
         }),
         QString()},
        {"a desktop switch",
         typedThen([](NotchLauncherViewTest &t) {
             t.model.setIsDesktopSwitchSuspended(true);
             t.model.setIsDesktopSwitchSuspended(false);
         }),
         QString()},
        {"the pointer on a row",
         typedThen([](NotchLauncherViewTest &t) {
             t.view->clipboardRowHoverChanged(t.view->displayedClipboardItems().first(), true);
         }),
         QString()},
        {"a field that takes too long",
         typedThen([](NotchLauncherViewTest &t) { t.sim.clock.advance(NotchKeyboardNavigation::heldTypingLifetime + 0.1); }),
         QString()},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        addItems(1);
        makeView(552, 24);
        QApplication::setActiveWindow(view.get());
        model.setIsExpanded(true);
        model.requestClipboardSearchFocus();
        row.typing(*this);
        processEvents();
        // Where the launcher let the field go, Shift+Tab brings the caret back: to an empty field.
        if (!view->searchField()->hasFocus()) {
            key(Qt::Key_Tab, Qt::ShiftModifier);
            processEvents();
        }
        ASSERT_TRUE(view->searchField()->hasFocus());
        EXPECT_EQ(view->clipboardSearchQuery(), row.query);
        EXPECT_TRUE(selected.isEmpty());
        view.reset();
        model.setIsExpanded(false);
        selected.clear();
    }
}

TEST_F(NotchLauncherViewTest, SwipingARowDeletesExactlyThatItemFromTheHistory)
{
    const QList<ClipboardItem> items = addItems(3);
    makeView();
    expand();
    NotchClipboardList &list = *view->clipboardList();
    const QPointF second(200, 64 + 32);
    list.pointerMoved(second);
    list.pointerPressed(second);
    list.pointerDragged(second + QPointF(-40, 2));
    // The list changes under the gesture: a new copy lands on top.
    history->handleItemInserted(textItem(QStringLiteral("newer")));
    settle();
    list.pointerDragged(second + QPointF(-80, 3));
    list.pointerReleased(second + QPointF(-80, 3));
    sim.clock.advance(0.13);
    settle();
    ASSERT_EQ(history->items().size(), 3);
    for (const ClipboardItem &item : history->items())
        EXPECT_NE(item.id(), items[1].id());
    EXPECT_TRUE(selected.isEmpty()); // the release was not a click
    // The row below closes the gap with an ease-out of 0.18 s, past half of it at half the time.
    ASSERT_EQ(list.items().at(2).id(), items[2].id());
    EXPECT_DOUBLE_EQ(list.rowRect(2).top(), 3 * 64);
    sim.clock.advance(0.09);
    EXPECT_LT(list.rowRect(2).top(), 2.5 * 64);
    EXPECT_GT(list.rowRect(2).top(), 2 * 64);
    // A click meanwhile, low in that row, pastes the row drawn under it.
    const QPointF low(200, list.rowRect(2).bottom() - 4);
    list.pointerPressed(low);
    list.pointerReleased(low);
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().id(), items[2].id());
    sim.clock.advance(0.09);
    EXPECT_DOUBLE_EQ(list.rowRect(2).top(), 2 * 64);
}

TEST_F(NotchLauncherViewTest, PaintsAFrameWith5000ItemsWithoutBuildingThemAll)
{
    makeView(552, 600);
    expand();
    QList<ClipboardItem> many;
    for (int i = 0; i < 5000; ++i)
        many.append(textItem(QStringLiteral("row %1").arg(i)));
    model.setDemoClipboardItems(many);
    settle();
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view->render(&image);
    EXPECT_LE(view->clipboardList()->liveRowCount(), 10);
    EXPECT_EQ(image.pixelColor(276, 2), QColor(Qt::black));
}

} // namespace
