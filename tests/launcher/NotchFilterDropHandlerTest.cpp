// Reordering filter pills by dragging one onto another: the worked examples, disabled filters, the 36-point
// threshold, drops on the dragged pill itself, and drags that did not begin on a pill.
#include "launcher/panel/NotchFilterDropHandler.h"
#include "model/FilterManager.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimPreferences.h"

#include <gtest/gtest.h>

namespace {

QString namesOf(const QList<ClipboardFilter> &filters)
{
    QStringList names;
    for (const ClipboardFilter &filter : filters)
        names.append(filter.name);
    return names.join(',');
}

class NotchFilterDropHandlerTest : public ::testing::Test {
protected:
    // A manager over filters named by the letters of `names`; lower-case letters are disabled filters.
    void useFilters(const QString &names)
    {
        QList<ClipboardFilter> filters;
        for (const QChar letter : names) {
            ClipboardFilter filter = ClipboardFilter::make(QString(letter.toUpper()), FilterType::text);
            filter.isEnabled = letter.isUpper();
            filters.append(filter);
        }
        prefs.preset(FilterManager::preferencesKey, FilterManager::encode(filters));
        manager = std::make_unique<FilterManager>(prefs);
        prefs.resetWriteCounts();
    }
    ClipboardFilter filter(const QString &name) const
    {
        for (const ClipboardFilter &f : manager->filters())
            if (f.name == name)
                return f;
        ADD_FAILURE() << "no filter " << name.toStdString();
        return {};
    }
    int saves() const { return prefs.writeCount(FilterManager::preferencesKey); }

    SimClock clock;
    SimPreferences prefs;
    std::unique_ptr<FilterManager> manager;
    std::optional<ClipboardFilter> dragging;
};

struct ReorderRow {
    const char *what;
    const char *filters; // lower case: disabled
    const char *dragged;
    const char *target;
    double x;            // points from the target pill's leading edge
    const char *order;   // after entering the target
    bool accepts;        // the target shows the move operation and takes the drop
};

TEST_F(NotchFilterDropHandlerTest, EnteringAPillMovesTheDraggedFilterBeforeOrAfterIt)
{
    const ReorderRow rows[] = {
        {"A into C's first 36 points", "ABCD", "A", "C", 10, "B,A,C,D", true},
        {"A into the rest of C", "ABCD", "A", "C", 36, "B,C,A,D", true},
        {"A far into a wide C", "ABCD", "A", "C", 140, "B,C,A,D", true},
        {"D into B's first 36 points", "ABCD", "D", "B", 0, "A,D,B,C", true},
        {"D into the rest of B", "ABCD", "D", "B", 50, "A,B,D,C", true},
        {"right neighbour's first 36 points: already before it", "ABCD", "B", "C", 35.9, "A,B,C,D", true},
        {"right neighbour past 36 points: swaps", "ABCD", "B", "C", 36, "A,C,B,D", true},
        {"left neighbour past 36 points: already after it", "ABCD", "C", "B", 40, "A,B,C,D", true},
        {"left neighbour's first 36 points: swaps", "ABCD", "C", "B", 4, "A,C,B,D", true},
        {"disabled filters count: A before B lands after X", "AxB", "A", "B", 10, "X,A,B", true},
        {"disabled filters count: B before A", "AxB", "B", "A", 10, "B,A,X", true},
        {"a drop on its own pill is refused", "ABCD", "B", "B", 10, "A,B,C,D", false},
        {"own pill past 36 points is refused too", "ABCD", "B", "B", 60, "A,B,C,D", false},
        {"a disabled target refuses", "AxB", "A", "X", 10, "A,X,B", false},
        {"a disabled dragged filter moves nothing", "xAB", "X", "B", 50, "X,A,B", false},
    };
    for (const ReorderRow &row : rows) {
        SCOPED_TRACE(row.what);
        useFilters(QString::fromLatin1(row.filters));
        dragging = filter(QString::fromLatin1(row.dragged));
        NotchFilterDropHandler handler(filter(QString::fromLatin1(row.target)), *manager, dragging);
        EXPECT_EQ(handler.validateDrop(), row.accepts);
        EXPECT_EQ(handler.dropUpdated(), row.accepts ? DropOperation::move : DropOperation::forbidden);
        const QString before = namesOf(manager->filters());
        handler.dropEntered(row.x);
        EXPECT_EQ(namesOf(manager->filters()), QString::fromLatin1(row.order));
        // The order reaches the stored list on entry, in one save, before any drop.
        EXPECT_EQ(saves(), before == QString::fromLatin1(row.order) ? 0 : 1);
        EXPECT_EQ(namesOf(FilterManager::decode(prefs.data(FilterManager::preferencesKey).value_or(QByteArray())).value()),
                  QString::fromLatin1(row.order));
        const int savesBeforeDrop = saves();
        EXPECT_EQ(handler.performDrop(), row.accepts);
        EXPECT_EQ(saves(), savesBeforeDrop) << "a drop only ends the drag";
        EXPECT_FALSE(dragging.has_value());
    }
}

TEST_F(NotchFilterDropHandlerTest, WithoutADragInProgressNothingIsAcceptedOrMoved)
{
    // A text dragged in from elsewhere after an earlier pill drag ended: the bar's drag state is empty.
    useFilters(QStringLiteral("ABCD"));
    NotchFilterDropHandler handler(filter(QStringLiteral("C")), *manager, dragging);
    EXPECT_FALSE(handler.validateDrop());
    EXPECT_EQ(handler.dropUpdated(), DropOperation::forbidden);
    handler.dropEntered(60);
    EXPECT_EQ(namesOf(manager->filters()), "A,B,C,D");
    EXPECT_FALSE(handler.performDrop());
    EXPECT_EQ(saves(), 0);
}

TEST_F(NotchFilterDropHandlerTest, AFilterThatLeftTheListMovesNothing)
{
    useFilters(QStringLiteral("ABC"));
    const ClipboardFilter gone = ClipboardFilter::make(QStringLiteral("Z"), FilterType::text);
    dragging = gone;
    NotchFilterDropHandler intoB(filter(QStringLiteral("B")), *manager, dragging);
    intoB.dropEntered(50);
    // ...and a target that is no longer listed.
    dragging = filter(QStringLiteral("A"));
    NotchFilterDropHandler intoGone(gone, *manager, dragging);
    intoGone.dropEntered(50);
    EXPECT_EQ(namesOf(manager->filters()), "A,B,C");
    EXPECT_EQ(saves(), 0);
}

TEST_F(NotchFilterDropHandlerTest, ADragAcrossSeveralPillsMovesStepByStep)
{
    useFilters(QStringLiteral("ABCD"));
    dragging = filter(QStringLiteral("A"));
    for (const char *name : {"B", "C", "D"})
        NotchFilterDropHandler(filter(QString::fromLatin1(name)), *manager, dragging).dropEntered(50);
    EXPECT_EQ(namesOf(manager->filters()), "B,C,D,A");
    EXPECT_EQ(saves(), 3);
}

} // namespace
