// The value-history pane: what it stacks for each context and query, how it keeps its selection, its
// change handlers, the manual entry and the pointer.
#include "SuggestionTestData.h"

#include "fields/FieldValueAssociationStore.h"
#include "fields/views/NotchAIContentView.h"
#include "platform/sim/SimPlatform.h"
#include "ui/SymbolTable.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using Inputs = NotchAIContentView::Inputs;
using Item = NotchAIContentView::Item;

FocusedFieldSuggestion value(const QString &text)
{
    FocusedFieldSuggestion s;
    s.value = text;
    s.title = QStringLiteral("Latest");
    return s;
}

NotchAIContext context(int history, int random)
{
    NotchAIContext c;
    c.fieldName = QStringLiteral("Email");
    for (int i = 0; i < history; ++i)
        c.historySuggestions.append(value(QStringLiteral("h%1").arg(i)));
    for (int i = 0; i < random; ++i)
        c.randomSuggestions.append(value(QStringLiteral("r%1").arg(i)));
    return c;
}

// The stacked content in one line: [Header/padding], values, manual*, (message).
QString describe(const NotchAIContentView::Content &content)
{
    QStringList parts;
    for (const Item &item : content.items) {
        switch (item.kind) {
        case Item::Kind::sectionHeader:
            parts << QStringLiteral("[%1/%2]").arg(item.text).arg(item.horizontalPadding);
            break;
        case Item::Kind::suggestion:
            parts << item.suggestion.value + (item.showsBottomSeparator ? QString() : QStringLiteral("."));
            break;
        case Item::Kind::manualEntry:
            parts << (item.focusesOnAppear ? QStringLiteral("manual*") : QStringLiteral("manual"));
            break;
        case Item::Kind::message:
            parts << QStringLiteral("(%1)").arg(item.text);
            break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

TEST(NotchAIContentView, WhatThePaneStacks)
{
    struct Row {
        const char *name;
        NotchAIContext context;
        QString query;
        bool compact;
        QString content;
    };
    NotchAIContext searchable = context(1, 2);
    searchable.searchableHistorySuggestions = QList<FocusedFieldSuggestion>{value("stored a"), value("stored b")};
    const Row rows[] = {
        {"nothing at all", context(0, 0), {}, false, "manual*"},
        {"nothing at all, compact", context(0, 0), {}, true, "(No saved history for this field)"},
        {"random only", context(0, 2), {}, false, "manual [Random/12] r0 r1."},
        {"random only, compact", context(0, 2), {}, true, "[Random/20] r0 r1."},
        {"one remembered value", context(1, 0), {}, false, "[Latest/12] h0."},
        {"history and random", context(3, 2), {}, false, "[Latest/12] h0 [Most used/12] h1 h2 [Random/12] r0 r1."},
        {"compact headers", context(2, 1), {}, true, "[Latest/20] h0 [Most used/20] h1 [Random/20] r0."},
        {"spaces and newlines are no search", context(2, 0), QStringLiteral("  \n\t"), false,
         "[Latest/12] h0 [Most used/12] h1."},
        {"marks that fold away are no search", context(2, 0), QStringLiteral("\u0301\u0308 "), false,
         "[Latest/12] h0 [Most used/12] h1."},
        {"no match", context(3, 3), QStringLiteral("zz"), false, "(No matching values)"},
        {"results keep padding 12 in the compact window", context(3, 3), QStringLiteral("H"), true,
         "[Search results/12] h0 h1 h2."},
        {"results come from the searchable list", searchable, QStringLiteral("stored"), false,
         "[Search results/12] stored a stored b."},
        {"random values are never results", context(0, 3), QStringLiteral("r"), false, "(No matching values)"},
    };
    for (const Row &row : rows) {
        Inputs in;
        in.context = row.context;
        in.searchQuery = row.query;
        in.isCompact = row.compact;
        EXPECT_EQ(describe(NotchAIContentView::content(in)), row.content) << row.name;
    }
}

TEST(NotchAIContentView, PositionsAddUpToTheLauncherCount)
{
    Inputs in;
    in.context = context(3, 2);
    const auto content = NotchAIContentView::content(in);
    double y = 0;
    for (const Item &item : content.items) {
        EXPECT_EQ(item.top, y);
        EXPECT_EQ(item.height, item.kind == Item::Kind::sectionHeader ? 24 : 64);
        y += item.height;
    }
    EXPECT_EQ(content.height, 5 * 64 + 3 * 24);
}

TEST(NotchAIContentView, TutorialOutlinesRoundOnlyTheLastSection)
{
    struct Row {
        const char *name;
        int history, random;
        QList<double> radii; // per section, in order
    };
    const Row rows[] = {
        {"Latest alone", 1, 0, {20}},
        {"Latest then Random", 1, 2, {0, 20}},
        {"Latest then Most used", 3, 0, {0, 20}},
        {"all three", 2, 1, {0, 0, 20}},
        {"Random alone", 0, 1, {20}},
    };
    for (const Row &row : rows) {
        Inputs in;
        in.context = context(row.history, row.random);
        QList<double> radii;
        for (const auto &section : NotchAIContentView::content(in).sections)
            radii << section.bottomCornerRadius;
        EXPECT_EQ(radii, row.radii) << row.name;
    }
}

TEST(NotchAIContentView, OnlyTheFirstVisibleRowCarriesTheRowHighlight)
{
    Inputs in;
    in.context = context(2, 1);
    in.tutorialHighlights = {NotchDemoHighlight::suggestion};
    QList<bool> highlighted;
    for (const Item &item : NotchAIContentView::content(in).items) {
        if (item.kind == Item::Kind::suggestion)
            highlighted << item.isTutorialHighlighted;
    }
    EXPECT_EQ(highlighted, (QList<bool>{true, false, false}));
    in.tutorialHighlights = {NotchDemoHighlight::latestSection};
    for (const Item &item : NotchAIContentView::content(in).items)
        EXPECT_FALSE(item.isTutorialHighlighted);
}

TEST(NotchAIContentView, SelectionRepair)
{
    const NotchAIContext c = context(2, 1);
    struct Row {
        const char *name;
        std::optional<QUuid> selected;
        QString query;
        std::optional<QUuid> kept;
    };
    const Row rows[] = {
        {"none selects the first", std::nullopt, {}, c.historySuggestions[0].id},
        {"a visible one stays", c.randomSuggestions[0].id, {}, c.randomSuggestions[0].id},
        {"an unknown one moves to the first", QUuid::createUuid(), {}, c.historySuggestions[0].id},
        {"hidden by the query moves to the first result", c.historySuggestions[0].id, QStringLiteral("h1"),
         c.historySuggestions[1].id},
        {"no results: none", c.historySuggestions[0].id, QStringLiteral("zz"), std::nullopt},
        {"a random value is never a result", c.randomSuggestions[0].id, QStringLiteral("h"), c.historySuggestions[0].id},
    };
    for (const Row &row : rows) {
        Inputs in;
        in.context = c;
        in.selectedSuggestionID = row.selected;
        in.searchQuery = row.query;
        EXPECT_EQ(NotchAIContentView::validSelection(in), row.kept) << row.name;
    }
}

TEST(NotchAIContentView, ManualSuggestion)
{
    const std::optional<FocusedFieldSuggestion> made = NotchAIContentView::manualSuggestion(QStringLiteral("  abc\n"));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->value, QStringLiteral("abc"));
    EXPECT_EQ(made->title, QStringLiteral("Entered value"));
    EXPECT_EQ(made->systemImage, QStringLiteral("text.cursor"));
    EXPECT_FALSE(made->isSaved);
    EXPECT_EQ(made->usageCount, 0);
    EXPECT_FALSE(made->displayValue);
    EXPECT_FALSE(made->details);
    EXPECT_NE(NotchAIContentView::manualSuggestion(QStringLiteral("x"))->id,
              NotchAIContentView::manualSuggestion(QStringLiteral("x"))->id);
    for (const QString &blank : {QString(), QStringLiteral("   "), QStringLiteral("\n\t")})
        EXPECT_FALSE(NotchAIContentView::manualSuggestion(blank));
}

// The widget with its two bound values held here, as the launcher holds them.
struct NotchAIContentViewWidgetTest : ::testing::Test {
    SimPlatform sim;
    SymbolTable symbols;
    Inputs bound;
    QList<FocusedFieldSuggestion> chosen;
    QStringList writes;
    int layoutChanges = 0;
    std::unique_ptr<NotchAIContentView> pane;

    NotchAIContentView &make(const NotchAIContext &c, bool compact = false)
    {
        bound.context = c;
        bound.isCompact = compact;
        NotchAIContentView::Callbacks callbacks;
        callbacks.onSelectedSuggestionIDChange = [this](const std::optional<QUuid> &id) {
            bound.selectedSuggestionID = id;
            writes << QStringLiteral("selection");
            pane->setInputs(bound);
        };
        callbacks.onSearchQueryChange = [this](const QString &query) {
            bound.searchQuery = query;
            writes << QStringLiteral("query:") + query;
            pane->setInputs(bound);
        };
        callbacks.onSuggestionSelect = [this](const FocusedFieldSuggestion &s) { chosen << s; };
        callbacks.onContentLayoutChanged = [this] { ++layoutChanges; };
        pane = std::make_unique<NotchAIContentView>(sim.platform(), symbols, [] { return Palette(); }, bound,
                                                    callbacks);
        pane->resize(420, 400);
        pane->show();
        QCoreApplication::processEvents();
        return *pane;
    }

    void set(const std::function<void(Inputs &)> &change)
    {
        change(bound);
        pane->setInputs(bound);
    }

    QPointF rowCentre(const QUuid &id) const
    {
        const auto &items = pane->currentContent().items;
        for (int i = 0; i < items.size(); ++i) {
            if (items[i].kind == Item::Kind::suggestion && items[i].suggestion.id == id)
                return pane->itemRect(i).center();
        }
        return {};
    }
};

TEST_F(NotchAIContentViewWidgetTest, ComingOnScreenSelectsTheFirstValue)
{
    const NotchAIContext c = context(2, 1);
    make(c);
    EXPECT_EQ(bound.selectedSuggestionID, c.historySuggestions[0].id);
}

TEST_F(NotchAIContentViewWidgetTest, AQueryRepairsTheSelectionAndReportsTheLayoutOnce)
{
    const NotchAIContext c = context(3, 1);
    make(c);
    set([&](Inputs &in) { in.selectedSuggestionID = c.historySuggestions[2].id; });
    layoutChanges = 0;
    set([](Inputs &in) { in.searchQuery = QStringLiteral("h1"); });
    EXPECT_EQ(bound.selectedSuggestionID, c.historySuggestions[1].id);
    EXPECT_EQ(layoutChanges, 1);
    set([](Inputs &in) { in.searchQuery = QStringLiteral("nothing"); });
    EXPECT_EQ(bound.selectedSuggestionID, std::nullopt);
    EXPECT_EQ(layoutChanges, 2);
    // The same query again is no change.
    set([](Inputs &) {});
    EXPECT_EQ(layoutChanges, 2);
}

TEST_F(NotchAIContentViewWidgetTest, ANewContextMovesALostSelectionToItsFirstValue)
{
    make(context(2, 0));
    const NotchAIContext next = context(1, 2);
    set([&](Inputs &in) { in.context = next; });
    EXPECT_EQ(bound.selectedSuggestionID, next.historySuggestions[0].id);
}

TEST_F(NotchAIContentViewWidgetTest, AnotherListEmptiesTheManualEntryAndTheQuery)
{
    make(context(0, 0));
    pane->setManualValue(QStringLiteral("typed"));
    set([](Inputs &in) { in.searchQuery = QStringLiteral("h"); });
    writes.clear();
    set([](Inputs &in) { in.listKind = NotchLauncherListKind::clipboard; });
    EXPECT_EQ(pane->manualValue(), QString());
    EXPECT_EQ(bound.searchQuery, QString());
    EXPECT_TRUE(writes.contains(QStringLiteral("query:")));
}

TEST_F(NotchAIContentViewWidgetTest, ManualEntrySubmitsTrimmedAndEmptiesTheField)
{
    make(context(0, 0));
    QLineEdit *field = pane->manualField();
    ASSERT_TRUE(field->isVisible());
    EXPECT_EQ(field->accessibleName(), QStringLiteral("Value to paste into Email"));
    field->setText(QStringLiteral("   "));
    EXPECT_FALSE(pane->manualButton()->isEnabled());
    Q_EMIT field->returnPressed();
    EXPECT_TRUE(chosen.isEmpty());
    field->setText(QStringLiteral("  abc\n"));
    EXPECT_TRUE(pane->manualButton()->isEnabled());
    pane->manualButton()->click();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].value, QStringLiteral("abc"));
    EXPECT_EQ(field->text(), QString());
    EXPECT_FALSE(pane->manualButton()->isEnabled());
}

TEST_F(NotchAIContentViewWidgetTest, OnlyTheLoneManualRowTakesTheKeyboardAfterOneTurn)
{
    // With random values the row sits above them and leaves the keyboard alone.
    make(context(0, 2));
    QApplication::setActiveWindow(pane.get());
    QCoreApplication::processEvents();
    EXPECT_FALSE(pane->isManualValueFocused());
    // Alone, it takes the keyboard once the event loop turned.
    set([](Inputs &in) { in.context = context(0, 0); });
    EXPECT_FALSE(pane->isManualValueFocused());
    QCoreApplication::processEvents();
    EXPECT_TRUE(pane->isManualValueFocused());
}

TEST_F(NotchAIContentViewWidgetTest, ARowThatLeavesBeforeItsTurnTakesNothing)
{
    make(context(1, 0));
    QApplication::setActiveWindow(pane.get());
    set([](Inputs &in) { in.context = context(0, 0); });
    // Replaced by the row above random values, which shows the same field but does not focus itself.
    set([](Inputs &in) { in.context = context(0, 2); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(pane->manualField()->isVisible());
    EXPECT_FALSE(pane->isManualValueFocused());
}

TEST_F(NotchAIContentViewWidgetTest, ThePointerSelectsAndClicksChoose)
{
    const NotchAIContext c = context(2, 1);
    make(c);
    // Entering a row selects it; leaving keeps the selection.
    pane->pointerMoved(rowCentre(c.randomSuggestions[0].id));
    EXPECT_EQ(bound.selectedSuggestionID, c.randomSuggestions[0].id);
    pane->pointerLeft();
    EXPECT_EQ(bound.selectedSuggestionID, c.randomSuggestions[0].id);
    // A click chooses, again on an already selected row.
    pane->pointerClicked(rowCentre(c.historySuggestions[1].id));
    pane->pointerClicked(rowCentre(c.historySuggestions[1].id));
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1].id, c.historySuggestions[1].id);
    EXPECT_EQ(bound.selectedSuggestionID, c.historySuggestions[1].id);
    // Headers choose nothing; the help tag is the row's text.
    pane->pointerClicked(QPointF(10, 5));
    EXPECT_EQ(chosen.size(), 2);
    EXPECT_EQ(pane->helpTagAt(rowCentre(c.historySuggestions[1].id)), QStringLiteral("h1"));
    EXPECT_EQ(pane->helpTagAt(QPointF(10, 5)), QString());
}

TEST_F(NotchAIContentViewWidgetTest, ScrollingUnderARestingPointerSelectsNothing)
{
    NotchAIContext c = context(8, 3);
    make(c);
    pane->resize(420, 200);
    pane->pointerMoved(QPointF(100, 60));
    const std::optional<QUuid> selected = bound.selectedSuggestionID;
    pane->scrollTo(300);
    EXPECT_EQ(bound.selectedSuggestionID, selected);
    EXPECT_EQ(pane->scrollOffset(), 300);
    pane->scrollTo(1e6);
    EXPECT_EQ(pane->scrollOffset(), pane->maximumScrollOffset());
}

// What a screen reader reads of the painted pane, in order: each section header as a heading, each row as
// a list item named by what it shows (a password masked), the selected row marked; pressing a row
// chooses its value as a click does.
TEST_F(NotchAIContentViewWidgetTest, AScreenReaderReadsHeadingsAndRowsAndPressesARow)
{
    NotchAIContext c = context(2, 1);
    c.historySuggestions[1].value = QStringLiteral("hunter2");
    c.historySuggestions[1].details = FocusedFieldSuggestionDetails{};
    c.historySuggestions[1].details->fieldType = QStringLiteral("Password");
    make(c);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(pane.get());
    ASSERT_TRUE(list);
    QStringList read;
    QAccessibleInterface *random = nullptr;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *part = list->child(i);
        if (part->state().invisible)
            continue; // the manual entry's widgets, not on screen here
        EXPECT_EQ(list->indexOfChild(part), i);
        const QString name = part->text(QAccessible::Name);
        switch (part->role()) {
        case QAccessible::Heading:
            read << QLatin1Char('#') + name;
            break;
        case QAccessible::ListItem:
            read << name + (part->state().selected && part->state().focused ? QStringLiteral("*") : QString());
            if (name == QLatin1String("r0"))
                random = part;
            break;
        default:
            read << QStringLiteral("?") + name;
        }
    }
    EXPECT_EQ(read.join(QLatin1Char(' ')).toStdString(),
              ("#Latest h0* #Most used " + FieldValueAssociationStore::maskedValue() + " #Random r0").toStdString());
    ASSERT_TRUE(random && random->actionInterface());
    random->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0].id, c.randomSuggestions[0].id);
    EXPECT_EQ(bound.selectedSuggestionID, c.randomSuggestions[0].id);
    EXPECT_TRUE(random->state().selected);
}

} // namespace
