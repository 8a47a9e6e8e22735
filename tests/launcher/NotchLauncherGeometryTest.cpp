// Launcher geometry: notch detection, collapsed frame, widths, heights, placement and the frame layout,
// on screens with and without a notch at device pixel ratios 1, 1.5 and 2.
#include "launcher/NotchLauncherGeometry.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "platform/sim/SimScreens.h"

#include <gtest/gtest.h>

namespace {

using G = NotchLauncherGeometry;

// 1512 x 982 with a 37-point menu-bar band; the notch is 180 x 32 in the middle of the top edge.
ScreenInfo notchedScreen(double scale = 2, double band = 37)
{
    return SimScreens::withNotch(SimScreens::makeScreen(1, QRectF(0, 0, 1512, 982), band, scale), 180, 32);
}
ScreenInfo plainScreen(QRectF frame = QRectF(0, 0, 1512, 982), double band = 24, double scale = 2)
{
    return SimScreens::makeScreen(2, frame, band, scale);
}

G::Input input(const ScreenInfo &screen, QList<ScreenInfo> screens = {})
{
    G::Input in;
    in.screen = screen;
    in.screens = screens.isEmpty() ? QList<ScreenInfo>{screen} : screens;
    in.topPanelHeight = 24;
    return in;
}

FocusedFieldSuggestion suggestion(const QString &value)
{
    FocusedFieldSuggestion s;
    s.title = QStringLiteral("Latest");
    s.value = value;
    return s;
}
QList<FocusedFieldSuggestion> suggestions(int n, const QString &prefix = QStringLiteral("value"))
{
    QList<FocusedFieldSuggestion> list;
    for (int i = 0; i < n; ++i)
        list.append(suggestion(prefix + QString::number(i)));
    return list;
}

void expectRect(const QRectF &actual, const QRectF &expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

TEST(NotchLauncherGeometry, SnapsHalvesAwayFromZero)
{
    struct Case {
        double value, scale, snapped;
    };
    const Case cases[] = {
        {1922.5, 1, 1923},       {1922.5, 2, 1922.5},     {1922.5, 1.5, 2884 / 1.5}, {24.3, 1, 24},
        {24.3, 1.5, 24},         {24.3, 2, 24.5},         {-0.5, 1, -1},             {983, 1.5, 1475 / 1.5},
        {10.25, 0, 10.25},       {10.25, -1, 10.25},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(G::snap(c.value, c.scale), c.snapped) << c.value << " @" << c.scale;
}

TEST(NotchLauncherGeometry, FindsTheRealNotch)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        std::optional<QRectF> notch;
    };
    ScreenInfo noInset = notchedScreen();
    noInset.safeAreaTopInset = 0;
    ScreenInfo emptyLeft = notchedScreen();
    emptyLeft.auxiliaryTopLeftArea = QRectF();
    ScreenInfo noRight = notchedScreen();
    noRight.auxiliaryTopRightArea.reset();
    ScreenInfo touching = notchedScreen();
    touching.auxiliaryTopRightArea->moveLeft(touching.auxiliaryTopLeftArea->right());
    ScreenInfo overlapping = notchedScreen();
    overlapping.auxiliaryTopRightArea->moveLeft(overlapping.auxiliaryTopLeftArea->right() - 5);
    ScreenInfo sliver = notchedScreen();
    sliver.auxiliaryTopRightArea->moveLeft(sliver.auxiliaryTopLeftArea->right() + 0.5);
    ScreenInfo tinyInset = notchedScreen(2, 0);
    tinyInset.safeAreaTopInset = 0.5;

    const Case cases[] = {
        {"top panel taller than the inset", notchedScreen(2, 37), QRectF(666, 950, 180, 32)},
        {"top panel lower than the inset", notchedScreen(2, 24), QRectF(666, 958, 180, 24)},
        {"no band: conventional top panel", notchedScreen(2, 0), QRectF(666, 958, 180, 24)},
        {"no safe-area inset", noInset, std::nullopt},
        {"empty left area", emptyLeft, std::nullopt},
        {"no right area", noRight, std::nullopt},
        {"areas touch", touching, std::nullopt},
        {"areas overlap", overlapping, std::nullopt},
        {"gap narrower than a point", sliver, QRectF(666, 950, 1, 32)},
        // The inset counts as at least 1, and the 24-point bar is not lower than that.
        {"inset below a point", tinyInset, QRectF(666, 981, 180, 1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto notch = G::realNotchRect(c.screen, 24);
        ASSERT_EQ(notch.has_value(), c.notch.has_value());
        if (notch)
            expectRect(*notch, *c.notch);
    }
}

TEST(NotchLauncherGeometry, NotchMetricsFallBackOnTheReferenceHeight)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        QList<ScreenInfo> screens;
        double topPanelHeight;
        QSizeF metrics;
    };
    const ScreenInfo notched = notchedScreen();
    const Case cases[] = {
        {"own notch", notched, {notched}, 24, QSizeF(180, 32)},
        {"other screen notched, lower bar", plainScreen({1512, 0, 1920, 1080}, 24), {notched}, 24, QSizeF(180, 24)},
        {"other screen notched, taller bar", plainScreen({1512, 0, 1920, 1080}, 40), {notched}, 24, QSizeF(180, 32)},
        {"no notch anywhere, lower bar", plainScreen({0, 0, 1920, 1080}, 25), {}, 24, QSizeF(180, 25)},
        {"no notch anywhere, no bar", plainScreen({0, 0, 1920, 1080}, 0), {}, 24, QSizeF(180, 24)},
        {"no notch anywhere, tall top panel", plainScreen({0, 0, 1920, 1080}, 0), {}, 40, QSizeF(180, 32)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        G::Input in = input(c.screen, c.screens.isEmpty() ? QList<ScreenInfo>{c.screen} : c.screens);
        in.topPanelHeight = c.topPanelHeight;
        EXPECT_EQ(G(in).notchMetrics(), c.metrics);
    }
}

TEST(NotchLauncherGeometry, CollapsedFrameHangsOnePointAboveTheScreen)
{
    struct Case {
        const char *name;
        ScreenInfo screen;
        bool notchMode;
        QRectF frame;
    };
    // A screen 1001 points wide at x 1512 has its middle on a half point; its band is 24.3 points.
    auto odd = [](double scale) { return plainScreen(QRectF(1512, -98, 1001, 1080), 24.3, scale); };
    const Case cases[] = {
        {"notch, scale 2", notchedScreen(2), true, QRectF(666, 951, 180, 32)},
        {"notch, scale 1", notchedScreen(1), true, QRectF(666, 951, 180, 32)},
        {"notch in window mode: drawn shape", notchedScreen(2), false, QRectF(666, 951, 180, 32)},
        {"no notch, scale 1", odd(1), false, QRectF(1923, 983 - 24, 180, 24)},
        {"no notch, scale 1.5", odd(1.5), true, QRectF(2884 / 1.5, 1475 / 1.5 - 24, 180, 24)},
        {"no notch, scale 2", odd(2), true, QRectF(1922.5, 983 - 24.5, 180, 24.5)},
        {"no notch, no scale", odd(0), true, QRectF(1922.5, 982 - 24.3 + 1, 180, 24.3)},
        {"notch, no scale: the notch's own y", notchedScreen(0), true, QRectF(666, 950, 180, 32)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        G::Input in = input(c.screen);
        in.notchMode = c.notchMode;
        expectRect(G(in).hardwareNotchRect(), c.frame);
    }
}

TEST(NotchLauncherGeometry, CollapsedShapeOfAScreenWithoutANotchIsCentred)
{
    // Touching auxiliary areas mean no notch: 180 wide, centred on the screen.
    ScreenInfo touching = notchedScreen(1, 24);
    touching.auxiliaryTopRightArea->moveLeft(touching.auxiliaryTopLeftArea->right());
    const QRectF frame = G(input(touching)).hardwareNotchRect();
    EXPECT_EQ(frame.width(), 180);
    EXPECT_EQ(frame.x() + frame.width() / 2, 756);
}

TEST(NotchLauncherGeometry, ExpandedPanelWidthRule)
{
    struct Case {
        bool hasRealNotch;
        double notchWidth, screenWidth, width;
    };
    const Case cases[] = {
        {true, 180, 1512, 552.688}, // min(1496, max(198 + 354.688, 441.688))
        {true, 50, 1512, 474.688},  // the notch counts as at least 120
        {true, 180, 500, 484},      // the screen less 16
        {false, 180, 1000, 441.688}, // 270 lifted to the floor
        {false, 180, 400, 384},
        {false, 180, 1800, 486},
        {false, 180, 3000, 560},
        {false, 180, 10, 1},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(G::expandedPanelWidth(c.hasRealNotch, c.notchWidth, c.screenWidth), c.width, 1e-9)
            << c.hasRealNotch << " " << c.notchWidth << " " << c.screenWidth;
}

TEST(NotchLauncherGeometry, ExpandedWidthByPresentation)
{
    G::Input in = input(notchedScreen());
    EXPECT_NEAR(G(in).expandedWidth(180), 552.688, 1e-9);
    in.screen = plainScreen(QRectF(0, 0, 1000, 800));
    EXPECT_NEAR(G(in).expandedWidth(180), 441.688, 1e-9);

    in.notchMode = false;
    in.screen.availableGeometry.setWidth(300);
    EXPECT_EQ(G(in).expandedWidth(180), 284);
    in.screen.availableGeometry.setWidth(1440);
    EXPECT_EQ(G(in).expandedWidth(180), 399);
}

TEST(NotchLauncherGeometry, PanelContentHeight)
{
    struct Case {
        const char *name;
        bool realNotch;
        double barHeight;
        bool clipboard;
        bool filters;
        int items;
        std::optional<NotchAIContext> context;
        QString query;
        double minimum;
        double height;
    };
    const auto ctx = [](int history, int random) {
        return NotchAIContext(QStringLiteral("Email"), suggestions(history), suggestions(random, "sample"),
                              std::nullopt);
    };
    NotchAIContext searchable = ctx(1, 3);
    searchable.searchableHistorySuggestions = suggestions(12, "stored");
    const double base = 48; // 30 + 8 + 10 without a real notch
    const Case cases[] = {
        {"clipboard, empty", false, 0, true, false, 0, {}, {}, 0, 132},
        {"clipboard, 3 items", false, 0, true, false, 3, {}, {}, 0, 240},
        {"clipboard, 12 items", false, 0, true, false, 12, {}, {}, 0, 560},
        {"clipboard, filters", false, 0, true, true, 3, {}, {}, 0, 288},
        {"clipboard, real notch 32", true, 32, true, false, 1, {}, {}, 0, 32 + 10 + 64},
        {"clipboard, real notch 24", true, 24, true, false, 1, {}, {}, 0, 30 + 10 + 64},
        {"minimum wins", false, 0, true, false, 0, {}, {}, 500, 500},
        {"recent without context", false, 0, false, false, 5, {}, {}, 0, base + 84},
        {"1 history, 10 random", false, 0, false, false, 0, ctx(1, 10), {}, 0, base + 8 * 64 + 2 * 24},
        {"no history, 3 random", false, 0, false, false, 0, ctx(0, 3), {}, 0, base + 4 * 64 + 24},
        {"nothing at all", false, 0, false, false, 0, ctx(0, 0), {}, 0, base + 64},
        {"10 history, 3 random", false, 0, false, false, 0, ctx(10, 3), {}, 0, base + 8 * 64 + 2 * 24},
        {"2 history, 10 random", false, 0, false, false, 0, ctx(2, 10), {}, 0, base + 8 * 64 + 3 * 24},
        {"blank query is no search", false, 0, false, false, 0, ctx(2, 0), QStringLiteral(" \n"), 0,
         base + 2 * 64 + 2 * 24},
        // Marks alone fold to nothing: no search, as the pane decides too.
        {"query of marks is no search", false, 0, false, false, 0, ctx(2, 0), QStringLiteral("\u0301 \u0308"), 0,
         base + 2 * 64 + 2 * 24},
        {"query without results", false, 0, false, false, 0, ctx(5, 3), QStringLiteral("zzz"), 0, base + 64},
        {"query with 3 results", false, 0, false, false, 0, ctx(3, 3), QStringLiteral("VALUE"), 0,
         base + 3 * 64 + 24},
        {"query over the searchable list", false, 0, false, false, 0, searchable, QStringLiteral("stored"), 0,
         base + 8 * 64 + 24},
        {"random values are never results", false, 0, false, false, 0, ctx(0, 5), QStringLiteral("sample"), 0,
         base + 64},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        G::Input in = input(plainScreen());
        in.hasRealNotch = c.realNotch;
        in.realNotchBarHeight = c.barHeight;
        in.displayedList = c.clipboard ? NotchLauncherListKind::clipboard : NotchLauncherListKind::recent;
        in.areClipboardFiltersVisible = c.filters;
        in.visibleClipboardItemCount = c.items;
        in.aiContext = c.context;
        in.aiSearchQuery = c.query;
        EXPECT_DOUBLE_EQ(G(in).panelContentHeight(c.minimum), c.height);
    }
}

TEST(NotchLauncherGeometry, ExpandedHeight)
{
    struct Case {
        const char *name;
        bool notchMode;
        double visibleHeight;
        bool filters;
        int items;
        std::optional<std::pair<int, int>> context;
        double height;
    };
    const Case cases[] = {
        {"window, 0 items", false, 958, false, 0, {}, 132},
        {"window, 3 items", false, 958, false, 3, {}, 132},
        {"window, 12 items", false, 958, false, 12, {}, 280},
        {"window, 3 items with filters", false, 958, true, 3, {}, 180},
        {"window, 12 items with filters", false, 958, true, 12, {}, 304},
        {"window, short screen", false, 200, false, 12, {}, 184},
        {"window, field with 5 + 3", false, 958, false, 0, std::pair{5, 3}, 264},
        {"window, field with 1 + 0", false, 958, false, 0, std::pair{1, 0}, 88},
        {"window, empty field", false, 958, false, 0, std::pair{0, 0}, 64},
        {"window, field on a short screen", false, 200, false, 0, std::pair{5, 3}, 184},
        {"notch, 12 items", true, 958, false, 12, {}, 560},
        {"notch, short screen", true, 400, false, 12, {}, 982 - 558 - 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScreenInfo screen = plainScreen();
        screen.availableGeometry = QRectF(0, 982 - 24 - c.visibleHeight, 1512, c.visibleHeight);
        G::Input in = input(screen);
        in.notchMode = c.notchMode;
        in.areClipboardFiltersVisible = c.filters;
        in.visibleClipboardItemCount = c.items;
        if (c.context) {
            in.displayedList = NotchLauncherListKind::recent;
            in.aiContext = NotchAIContext(QStringLiteral("Name"), suggestions(c.context->first),
                                          suggestions(c.context->second), std::nullopt);
        }
        EXPECT_DOUBLE_EQ(G(in).expandedHeight(24), c.height);
    }
}

TEST(NotchLauncherGeometry, NotchPlacementIsCentredUnderTheAnchorAndKeptOnScreen)
{
    struct Case {
        const char *name;
        double scale;
        QRectF anchor;
        QSizeF size;
        QRectF frame;
    };
    const QRectF notch(666, 951, 180, 32);
    const Case cases[] = {
        {"scale 2", 2, notch, QSizeF(552.688, 560), QRectF(479.5, 423, 552.5, 560)},
        {"scale 1", 1, notch, QSizeF(552.688, 560), QRectF(480, 423, 553, 560)},
        {"scale 1.5", 1.5, notch, QSizeF(552.688, 560.3), QRectF(719 / 1.5, (1475 - 840) / 1.5, 829 / 1.5, 840 / 1.5)},
        {"no scale", 0, notch, QSizeF(552.688, 560.3), QRectF(479.656, 983 - 560.3, 552.688, 560.3)},
        {"left edge", 1, QRectF(0, 951, 40, 32), QSizeF(400, 100), QRectF(8, 883, 400, 100)},
        {"right edge", 1, QRectF(1500, 951, 12, 32), QSizeF(400, 100), QRectF(1104, 883, 400, 100)},
        {"wider than the screen", 1, notch, QSizeF(2000, 100), QRectF(8, 883, 2000, 100)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        G::Input in = input(notchedScreen(c.scale));
        expectRect(G(in).placedFrame(c.size, c.anchor), c.frame);
    }
}

TEST(NotchLauncherGeometry, WindowPlacementSitsBesideTheFieldOrThePointer)
{
    G::Input in = input(plainScreen(QRectF(0, 0, 1512, 982), 24, 2));
    in.notchMode = false;
    in.pointerLocation = QPointF(700.3, 500.7);
    const QSizeF size(399, 264);
    const QRectF visible = in.screen.availableGeometry;
    // Unsnapped, exactly the beside-the-anchor rule.
    expectRect(G(in).placedFrame(size, QRectF(1, 2, 3, 4)),
               FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(size, QRectF(700.3, 500.7, 0, 0), visible));
    in.fieldWindowAnchor = QRectF(900, 600, 300, 24);
    expectRect(G(in).placedFrame(size, QRectF()), QRectF(491, 360, 399, 264));
}

TEST(NotchLauncherGeometry, TargetSize)
{
    G::Input in = input(notchedScreen());
    in.visibleClipboardItemCount = 3;
    in.hasRealNotch = true;
    in.realNotchBarHeight = 32;
    // Collapsed before the first layout: the hardware notch.
    EXPECT_EQ(G(in).targetSize(), QSizeF(180, 32));
    in.collapsedFrame = QRectF(10, 10, 50, 20);
    EXPECT_EQ(G(in).targetSize(), QSizeF(50, 20));
    in.isExpanded = true;
    const QSizeF expanded = G(in).targetSize();
    EXPECT_NEAR(expanded.width(), 552.688, 1e-9);
    EXPECT_EQ(expanded.height(), 32 + 10 + 3 * 64);
    // The compact window is always at its expanded size.
    in.isExpanded = false;
    in.notchMode = false;
    EXPECT_EQ(G(in).targetSize(), QSizeF(399, 132));
}

TEST(NotchLauncherGeometry, FrameLayoutOnANotchedScreen)
{
    G::Input in = input(notchedScreen());
    in.isExpanded = true;
    in.visibleClipboardItemCount = 12;
    const G::FrameLayout layout = G(in).frameLayout();
    EXPECT_FALSE(layout.isFloatingWindow);
    EXPECT_FALSE(layout.hasShadow);
    EXPECT_TRUE(layout.animates);
    expectRect(layout.collapsedFrame, QRectF(666, 951, 180, 32));
    EXPECT_TRUE(layout.hasRealNotch);
    EXPECT_EQ(layout.realNotchBarHeight, 32);
    EXPECT_EQ(layout.realNotchBarWidth, 180);
    EXPECT_NEAR(layout.realNotchBottomCornerRadius, 10.88, 1e-9);
    // The content height already uses the notch just found: 32 + 0 + 10 + 8 rows.
    EXPECT_NEAR(layout.size.width(), 552.688, 1e-9);
    EXPECT_EQ(layout.size.height(), 42 + 512);
    EXPECT_NEAR(layout.expandedHeaderWidth, 552.688 - 42.688, 1e-9);
    EXPECT_NEAR(layout.realNotchSideRailWidth, (478 - 198) * 0.5, 1e-9);
    expectRect(layout.frame, QRectF(479.5, 983 - 554, 552.5, 554));
    expectRect(layout.collapseInterimFrame, layout.frame);
}

TEST(NotchLauncherGeometry, CollapseFirstShrinksOnAScreenWithoutANotch)
{
    G::Input in = input(plainScreen(QRectF(0, 0, 1512, 982), 24, 1));
    const G::FrameLayout layout = G(in).frameLayout();
    expectRect(layout.frame, QRectF(666, 959, 180, 24));
    // 96 %: 172.8 x 23.04, same top edge, same centre, snapped to the pixel grid.
    expectRect(layout.collapseInterimFrame, QRectF(670, 960, 173, 23));
    EXPECT_FALSE(layout.hasRealNotch);
    EXPECT_NEAR(layout.realNotchBottomCornerRadius, 8.16, 1e-9);
    EXPECT_NEAR(layout.realNotchSideRailWidth, 84.5, 1e-9);
}

TEST(NotchLauncherGeometry, FrameLayoutInWindowMode)
{
    G::Input in = input(notchedScreen());
    in.notchMode = false;
    in.pointerLocation = QPointF(1000, 500);
    const G::FrameLayout layout = G(in).frameLayout();
    EXPECT_TRUE(layout.isFloatingWindow);
    EXPECT_TRUE(layout.hasShadow);
    EXPECT_FALSE(layout.animates);
    EXPECT_FALSE(layout.hasRealNotch) << "a compact window never draws the real notch";
    EXPECT_EQ(layout.expandedHeaderWidth, 399);
    EXPECT_NEAR(layout.realNotchSideRailWidth, 84.5, 1e-9);
    expectRect(layout.frame, QRectF(1000 - 10 - 399, 500 - 132, 399, 132));
}

} // namespace
