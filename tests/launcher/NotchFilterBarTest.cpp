// The filter bar: which pills it shows, choosing a filter, reordering by dragging (the drag state never
// outlives its drag), the glide of the pills on the simulated clock, and snapshots of the bar.
#include "DesktopTest.h"

#include "launcher/panel/NotchFilterBar.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/FilterManager.h"
#include "platform/sim/SimPlatform.h"
#include "preview/FilterPill.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QScrollArea>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class NotchFilterBarTest : public ::testing::Test {
public:
    // Filters named by the letters of `names` (lower case: disabled), each with a symbol.
    void useFilters(const QString &names)
    {
        QList<ClipboardFilter> list;
        const QStringList symbols{QStringLiteral("link"), QStringLiteral("photo"), QStringLiteral("text.alignleft"),
                                  QStringLiteral("doc"), QStringLiteral("curlybraces")};
        for (const QChar letter : names) {
            ClipboardFilter filter = ClipboardFilter::make(QString(letter.toUpper()), FilterType::text);
            filter.isEnabled = letter.isUpper();
            filter.options.iconName = symbols.value(int(list.size()) % symbols.size());
            list.append(filter);
        }
        useFilterList(list);
    }
    void useFilterList(const QList<ClipboardFilter> &list)
    {
        sim.preferences.preset(FilterManager::preferencesKey, FilterManager::encode(list));
        bar.reset();
        filters = std::make_unique<FilterManager>(sim.preferences);
        bar = std::make_unique<NotchFilterBar>(model, *filters, [this] { return palette(); }, sim.clock);
        bar->resize(552, NotchFilterBar::barHeight);
        sim.preferences.resetWriteCounts();
    }
    Palette palette() const { return Palette::from(&sim.appearance, QColor(10, 132, 255)); }
    QUuid id(const QString &name) const
    {
        for (const ClipboardFilter &filter : filters->filters())
            if (filter.name == name)
                return filter.id;
        return {};
    }
    QString pillTitles() const
    {
        QStringList titles;
        for (FilterPill *pill : bar->pills())
            titles.append(pill->title());
        return titles.join(',');
    }
    QString order() const
    {
        QStringList names;
        for (const ClipboardFilter &filter : filters->filters())
            names.append(filter.name);
        return names.join(',');
    }
    int saves() const { return sim.preferences.writeCount(FilterManager::preferencesKey); }
    QImage render(const QString &name)
    {
        QImage image(bar->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(14, 14, 16));
        bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
        return image;
    }

    SimPlatform sim;
    NotchLauncherViewModel model;
    std::unique_ptr<FilterManager> filters;
    std::unique_ptr<NotchFilterBar> bar;
};

TEST_F(NotchFilterBarTest, ShowsAllThenOnePillPerEnabledFilterInListOrder)
{
    const struct {
        const char *filters;
        const char *pills;
    } rows[] = {
        {"", "All"},
        {"abc", "All"},
        {"ABCD", "All,A,B,C,D"},
        {"AxBy", "All,A,B"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.filters);
        useFilters(QString::fromLatin1(row.filters));
        EXPECT_EQ(pillTitles(), QString::fromLatin1(row.pills));
        EXPECT_TRUE(bar->allPill()->isSelected());
        EXPECT_TRUE(bar->allPill()->isEmphasized());
        EXPECT_FALSE(bar->allPill()->acceptDrops()) << "\"All\" is no drop target";
    }
    useFilters(QStringLiteral("AB"));
    FilterPill *a = bar->pill(id(QStringLiteral("A")));
    EXPECT_EQ(a->objectName(), "filterA");
    EXPECT_EQ(a->toolTip(), "A");
    EXPECT_EQ(a->systemImage(), "link");
    EXPECT_FALSE(a->isEmphasized());
}

TEST_F(NotchFilterBarTest, PillsChooseAFilterAndOnlyAllClearsIt)
{
    useFilters(QStringLiteral("ABC"));
    const struct {
        const char *click;
        const char *selected; // "" for none
    } steps[] = {{"B", "B"}, {"B", "B"}, {"C", "C"}, {"All", ""}, {"All", ""}, {"A", "A"}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.click);
        const QString click = QString::fromLatin1(step.click);
        FilterPill *pill = click == QStringLiteral("All") ? bar->allPill() : bar->pill(id(click));
        pill->click();
        const QString selected = QString::fromLatin1(step.selected);
        EXPECT_EQ(model.selectedClipboardFilterID(), selected.isEmpty() ? std::nullopt : std::optional<QUuid>(id(selected)));
        for (FilterPill *each : bar->pills()) {
            EXPECT_EQ(each->isSelected(), each->title() == (selected.isEmpty() ? QStringLiteral("All") : selected));
            // A screen reader hears the same: the chosen pill is on, the others off.
            const QAccessible::State heard = QAccessible::queryAccessibleInterface(each)->state();
            EXPECT_TRUE(heard.checkable);
            EXPECT_EQ(bool(heard.checked), each->isSelected()) << each->title().toStdString();
        }
    }
}

TEST_F(NotchFilterBarTest, TurningOffTheChosenFilterGoesBackToAll)
{
    useFilters(QStringLiteral("ABC"));
    bar->pill(id(QStringLiteral("B")))->click();
    filters->setFilterEnabled(id(QStringLiteral("B")), false);
    EXPECT_EQ(pillTitles(), "All,A,C");
    EXPECT_EQ(model.selectedClipboardFilterID(), std::nullopt);
    EXPECT_TRUE(bar->allPill()->isSelected());
}

TEST_F(NotchFilterBarTest, DraggingAPillAcrossOthersReordersTheSavedListOneSavePerMove)
{
    useFilters(QStringLiteral("ABCD"));
    QStringList seen;
    bar->runDrag = [&](const QString &text) {
        seen << text;
        EXPECT_EQ(bar->draggingClipboardFilter()->name, "A");
        EXPECT_TRUE(bar->dragEnteredPill(id(QStringLiteral("B")), 50)); // after B
        EXPECT_EQ(order(), "B,A,C,D");
        EXPECT_TRUE(bar->dragEnteredPill(id(QStringLiteral("C")), 10)); // before C: already there
        EXPECT_EQ(order(), "B,A,C,D");
        EXPECT_TRUE(bar->dragEnteredPill(id(QStringLiteral("C")), 40)); // after C
        EXPECT_TRUE(bar->dragMovedOverPill(id(QStringLiteral("C"))));
        EXPECT_TRUE(bar->droppedOnPill(id(QStringLiteral("C"))));
    };
    bar->dragPill(id(QStringLiteral("A")));
    EXPECT_EQ(seen, QStringList{id(QStringLiteral("A")).toString(QUuid::WithoutBraces).toUpper()});
    EXPECT_EQ(order(), "B,C,A,D");
    EXPECT_EQ(pillTitles(), "All,B,C,A,D");
    EXPECT_EQ(saves(), 2);
    EXPECT_FALSE(bar->draggingClipboardFilter());
}

TEST_F(NotchFilterBarTest, ADragThatEndsAnywhereElseLeavesNoStateForALaterTextDrag)
{
    struct Row {
        const char *what;
        std::function<void(NotchFilterBarTest &)> duringDrag;
    };
    const Row rows[] = {
        {"dropped outside the bar", [](NotchFilterBarTest &) {}},
        {"cancelled over another pill", [](NotchFilterBarTest &t) { t.bar->dragMovedOverPill(t.id(QStringLiteral("C"))); }},
        {"refused on its own pill",
         [](NotchFilterBarTest &t) {
             EXPECT_FALSE(t.bar->dragEnteredPill(t.id(QStringLiteral("A")), 10));
             EXPECT_FALSE(t.bar->dragMovedOverPill(t.id(QStringLiteral("A"))));
             EXPECT_FALSE(t.bar->droppedOnPill(t.id(QStringLiteral("A"))));
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        useFilters(QStringLiteral("ABCD"));
        bar->runDrag = [&](const QString &) { row.duringDrag(*this); };
        bar->dragPill(id(QStringLiteral("A")));
        EXPECT_FALSE(bar->draggingClipboardFilter());
        EXPECT_EQ(bar->pill(id(QStringLiteral("A")))->draggedAmount(), 0.0);
        // Later, text dragged in from another application passes over the pills.
        EXPECT_FALSE(bar->dragEnteredPill(id(QStringLiteral("C")), 60));
        EXPECT_FALSE(bar->dragMovedOverPill(id(QStringLiteral("C"))));
        EXPECT_FALSE(bar->droppedOnPill(id(QStringLiteral("C"))));
        EXPECT_EQ(order(), "A,B,C,D");
        EXPECT_EQ(saves(), 0);
    }
}

TEST_F(NotchFilterBarTest, OnlyEnabledFiltersDragAndAllNeverDoes)
{
    useFilters(QStringLiteral("AxB"));
    int drags = 0;
    bar->runDrag = [&](const QString &) { ++drags; };
    bar->dragPill(id(QStringLiteral("X")));
    bar->dragPill(QUuid());
    EXPECT_EQ(drags, 0);
    bar->runDrag = [&](const QString &) { EXPECT_TRUE(bar->dragEnteredPill(id(QStringLiteral("B")), 10)); };
    bar->dragPill(id(QStringLiteral("A")));
    EXPECT_EQ(order(), "X,A,B") << "disabled filters keep their place in the saved list";
}

TEST_F(NotchFilterBarTest, PillsGlideToTheirNewPlacesOnTheClock)
{
    useFilters(QStringLiteral("ABC"));
    const int aBefore = bar->pill(id(QStringLiteral("A")))->x();
    const int cBefore = bar->pill(id(QStringLiteral("C")))->x();
    filters->moveFilter(0, 3); // A to the end
    const QList<double> targets = bar->targetPositions();
    FilterPill *a = bar->pill(id(QStringLiteral("A")));
    EXPECT_EQ(a->x(), aBefore) << "the move starts where the pill was";
    sim.clock.advance(0.05);
    EXPECT_GT(a->x(), aBefore);
    EXPECT_LT(a->x(), int(targets.at(3)));
    sim.clock.advance(1.0);
    EXPECT_EQ(a->x(), int(targets.at(3)));
    EXPECT_LT(bar->pill(id(QStringLiteral("C")))->x(), cBefore);

    sim.appearance.setReduceMotion(true);
    filters->moveFilter(2, 0); // A back to the front, without motion
    EXPECT_EQ(bar->pill(id(QStringLiteral("A")))->x(), NotchFilterBar::horizontalPadding + bar->allPill()->width() + NotchFilterBar::pillSpacing);
}

TEST_F(NotchFilterBarTest, TheDraggedPillDimsWhileTheDragRuns)
{
    useFilters(QStringLiteral("ABC"));
    FilterPill *b = bar->pill(id(QStringLiteral("B")));
    double during = 0;
    bar->runDrag = [&](const QString &) {
        sim.clock.advance(1.0);
        during = b->draggedAmount();
        render(QStringLiteral("filter-bar-dragging"));
    };
    bar->dragPill(id(QStringLiteral("B")));
    EXPECT_DOUBLE_EQ(during, 1.0);
    sim.clock.advance(1.0);
    EXPECT_DOUBLE_EQ(b->draggedAmount(), 0.0);
}

TEST_F(NotchFilterBarTest, SnapshotsOfTheBarDarkAndLight)
{
    useFilterList({ClipboardFilter::builtIn(FilterType::url), ClipboardFilter::builtIn(FilterType::image),
                   ClipboardFilter::builtIn(FilterType::text)});
    const QImage dark = render(QStringLiteral("filter-bar"));
    // "All" is selected: the accent fills its middle.
    const QRect all = bar->allPill()->geometry();
    EXPECT_EQ(dark.pixelColor(all.left() + 4, all.center().y()).rgb(), QColor(10, 132, 255).rgb());
    EXPECT_EQ(dark.pixelColor(bar->width() - 2, 4).rgb(), QColor(14, 14, 16).rgb()) << "the bar leaves the panel's background";
    bar->pill(ClipboardFilter::builtIn(FilterType::image).id)->click();
    sim.appearance.setColorScheme(ColorScheme::light);
    QImage light(bar->size(), QImage::Format_ARGB32_Premultiplied);
    light.fill(QColor(236, 236, 240));
    bar->render(&light, QPoint(), QRegion(), QWidget::DrawChildren);
    light.save(QDir(DesktopTest::snapshotDirectory()).filePath(QStringLiteral("filter-bar-light.png")));
    const QRect images = bar->pill(ClipboardFilter::builtIn(FilterType::image).id)->geometry();
    EXPECT_EQ(light.pixelColor(images.left() + 4, images.center().y()).rgb(), QColor(10, 132, 255).rgb());
}

TEST_F(NotchFilterBarTest, ARowWiderThanTheBarFadesWhereMorePillsLieAndTheWheelReachesThem)
{
    useFilters(QStringLiteral("ABCDEFGHIJKLMNOP"));
    bar->resize(300, NotchFilterBar::barHeight);
    const auto pillAt = [](const QImage &image, int x) { return image.pixelColor(x, NotchFilterBar::barHeight / 2); };
    const QImage start = render(QStringLiteral("filter-bar-overflow"));
    // The pill cut by the right edge fades out towards it; "All" at the left stands whole.
    const QRect all = bar->allPill()->geometry();
    EXPECT_EQ(pillAt(start, all.left() + 4).rgb(), QColor(10, 132, 255).rgb());
    FilterPill *cut = nullptr;
    for (FilterPill *pill : bar->pills())
        if (pill->geometry().left() < 300 && pill->geometry().right() >= 300)
            cut = pill;
    ASSERT_NE(cut, nullptr);
    const QColor ground(14, 14, 16);
    const double inside = DesktopTest::contrast(pillAt(start, cut->geometry().left() - 40), ground);
    EXPECT_LT(DesktopTest::contrast(pillAt(start, 298), ground), 1 + (inside - 1) / 3) << "no fade at the right edge";

    // A mouse wheel turned down runs the row on, and the left edge fades from then on.
    QWheelEvent wheel(QPointF(150, 20), QPointF(150, 20), QPoint(), QPoint(0, -120 * 4), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(bar->findChild<QScrollArea *>()->viewport(), &wheel);
    EXPECT_EQ(bar->scrollOffset(), 4 * NotchFilterBar::wheelStep);
    const QImage scrolled = render(QStringLiteral("filter-bar-overflow-scrolled"));
    EXPECT_NE(pillAt(scrolled, 1).rgb(), QColor(10, 132, 255).rgb());
}

} // namespace
