// The filter list: built-in filters, moving filters, edits, and stored lists that cannot be read.

#include "model/FilterManager.h"
#include "platform/sim/SimPreferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString key = QStringLiteral("clipboard_filters_v1");

ClipboardFilter named(const QString &name, bool enabled = true)
{
    ClipboardFilter filter = ClipboardFilter::make(name, FilterType::text);
    filter.isEnabled = enabled;
    return filter;
}

QString namesOf(const QList<ClipboardFilter> &filters)
{
    QStringList names;
    for (const ClipboardFilter &filter : filters)
        names.append(filter.name);
    return names.join(' ');
}

class FilterManagerTest : public ::testing::Test {
protected:
    // A manager over a stored list of the given filters.
    std::unique_ptr<FilterManager> managerWith(const QList<ClipboardFilter> &filters)
    {
        prefs.preset(key, FilterManager::encode(filters));
        return std::make_unique<FilterManager>(prefs);
    }

    SimPreferences prefs;
};

TEST_F(FilterManagerTest, WithNothingStoredTheBuiltInsAreUsedButNotSaved)
{
    FilterManager manager(prefs);
    EXPECT_EQ(namesOf(manager.filters()), "Links Images Text Files JSON Email");
    const QList<FilterType> types = {
        FilterType::url, FilterType::image, FilterType::text, FilterType::file, FilterType::json, FilterType::email};
    for (qsizetype i = 0; i < manager.filters().size(); ++i) {
        const ClipboardFilter &filter = manager.filters().at(i);
        EXPECT_EQ(filter.type, types.at(i));
        EXPECT_TRUE(filter.isBuiltIn);
        EXPECT_TRUE(filter.isEnabled);
        EXPECT_FALSE(filter.options.iconName.isEmpty());
        EXPECT_FALSE(filter.id.isNull());
    }
    // Unsaved, so a later version's built-ins reach a person who never changed them.
    EXPECT_TRUE(prefs.keys().isEmpty());
}

TEST_F(FilterManagerTest, BuiltInIdentifiersAreTheSameOnEveryMachine)
{
    const QList<ClipboardFilter> first = ClipboardFilter::builtIns();
    const QList<ClipboardFilter> second = ClipboardFilter::builtIns();
    EXPECT_EQ(first, second);
    QSet<QUuid> ids;
    for (const ClipboardFilter &filter : first)
        ids.insert(filter.id);
    EXPECT_EQ(ids.size(), first.size());
}

struct MoveCase {
    const char *name;
    qsizetype from;
    qsizetype to;
    const char *expected;
    int saves;
};

class FilterMoveTest : public FilterManagerTest, public ::testing::WithParamInterface<MoveCase> { };

TEST_P(FilterMoveTest, MovesAsTheBarExpects)
{
    const MoveCase &c = GetParam();
    auto manager = managerWith({named("A"), named("B"), named("C"), named("D")});
    prefs.resetWriteCounts();

    manager->moveFilter(c.from, c.to);
    EXPECT_EQ(namesOf(manager->filters()), c.expected);
    EXPECT_EQ(prefs.writeCount(key), c.saves);
    if (c.saves > 0) {
        EXPECT_EQ(namesOf(*FilterManager::decode(*prefs.data(key))), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FilterMoveTest,
    ::testing::Values(
        // Dragging A into C's first 36 points, then past them; D into B's first 36 points.
        MoveCase{"ForwardBeforeTarget", 0, 2, "B A C D", 1}, MoveCase{"ForwardAfterTarget", 0, 3, "B C A D", 1},
        MoveCase{"Backward", 3, 1, "A D B C", 1}, MoveCase{"ToTheEnd", 0, 4, "B C D A", 1},
        MoveCase{"ToTheFront", 2, 0, "C A B D", 1},
        // Landing where it was still counts as a move and saves.
        MoveCase{"OntoItself", 1, 1, "A B C D", 1}, MoveCase{"JustAfterItself", 1, 2, "A B C D", 1},
        MoveCase{"TargetPastTheEndIsClamped", 0, 99, "B C D A", 1},
        MoveCase{"NegativeTargetIsClamped", 2, -5, "C A B D", 1},
        MoveCase{"NegativeFromDoesNothing", -1, 2, "A B C D", 0},
        MoveCase{"FromPastTheEndDoesNothing", 4, 0, "A B C D", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FilterManagerTest, DisabledFiltersCountInThePositions)
{
    auto manager = managerWith({named("A"), named("X", false), named("B")});
    QSignalSpy changed(manager.get(), &FilterManager::filtersChanged);
    manager->moveFilter(0, 2);
    EXPECT_EQ(namesOf(manager->filters()), "X A B");
    EXPECT_EQ(namesOf(manager->enabledFilters()), "A B");
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(FilterManagerTest, LookupByIdentifier)
{
    const ClipboardFilter b = named("B");
    auto manager = managerWith({named("A"), b});
    EXPECT_EQ(manager->filter(b.id), b);
    EXPECT_EQ(manager->filter(QUuid::createUuid()), std::nullopt);
    EXPECT_EQ(manager->filter(QUuid()), std::nullopt);
}

TEST_F(FilterManagerTest, EditsSaveOnceAndSkipNoChange)
{
    auto manager = managerWith(ClipboardFilter::builtIns());
    prefs.resetWriteCounts();
    QSignalSpy changed(manager.get(), &FilterManager::filtersChanged);

    ClipboardFilter pdfs = ClipboardFilter::make("PDFs", FilterType::file);
    pdfs.options.fileExtensions = {"pdf"};
    pdfs.options.iconName = "doc.richtext";
    EXPECT_TRUE(manager->addFilter(pdfs));
    EXPECT_FALSE(manager->addFilter(pdfs)); // the same id again
    EXPECT_EQ(manager->filters().last(), pdfs);

    const QUuid links = manager->filters().first().id;
    EXPECT_TRUE(manager->setFilterEnabled(links, false));
    EXPECT_TRUE(manager->setFilterEnabled(links, false)); // already off: nothing to save
    EXPECT_FALSE(manager->filter(links)->isEnabled);

    EXPECT_FALSE(manager->removeFilter(links)); // built-in filters are only turned off
    EXPECT_TRUE(manager->removeFilter(pdfs.id));
    EXPECT_FALSE(manager->removeFilter(pdfs.id));
    EXPECT_FALSE(manager->updateFilter(pdfs));

    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(prefs.writeCount(key), 3);

    FilterManager reloaded(prefs);
    EXPECT_EQ(reloaded.filters(), manager->filters());
}

TEST_F(FilterManagerTest, FiltersRoundTripThroughJson)
{
    ClipboardFilter filter = ClipboardFilter::make("Invoices", FilterType::email);
    filter.isEnabled = false;
    filter.options = {true, TextMatchMode::regex, "^inv-[0-9]+$", {"pdf", "PNG"}, "envelope.badge"};
    const QList<ClipboardFilter> list = {filter, ClipboardFilter::builtIn(FilterType::json)};
    EXPECT_EQ(FilterManager::decode(FilterManager::encode(list)), list);

    const QJsonObject object = filter.toJsonObject();
    EXPECT_EQ(object.value("type").toString(), "email");
    EXPECT_EQ(object.value("options").toObject().value("matchMode").toString(), "regex");
    EXPECT_EQ(object.value("id").toString(), filter.id.toString(QUuid::WithoutBraces).toUpper());
}

TEST_F(FilterManagerTest, UnreadableListFallsBackToBuiltInsAndIsKeptAside)
{
    const QByteArray bad = "[{\"name\": \"Links\",";
    prefs.preset(key, bad);
    FilterManager manager(prefs);
    EXPECT_EQ(manager.filters(), ClipboardFilter::builtIns());
    EXPECT_EQ(prefs.data(key + ".corrupt"), bad);
    EXPECT_EQ(prefs.data(key), bad); // nothing is overwritten until the list changes
}

TEST_F(FilterManagerTest, UnreadableEntriesAreSkippedAndTheTextKept)
{
    QJsonArray array;
    array.append(named("Good").toJsonObject());
    array.append(QJsonObject{{"name", "No id"}, {"type", "text"}});
    QJsonObject unknownType = named("Odd").toJsonObject();
    unknownType.insert("type", "spreadsheet");
    array.append(unknownType);
    array.append(42);
    const QByteArray stored = QJsonDocument(array).toJson(QJsonDocument::Compact);
    prefs.preset(key, stored);

    FilterManager manager(prefs);
    EXPECT_EQ(namesOf(manager.filters()), "Good");
    EXPECT_EQ(prefs.data(key + ".corrupt"), stored);
}

} // namespace
