#include "launcher/panel/NotchLauncherViewModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

FocusedFieldSuggestion suggestion(const QString &value)
{
    FocusedFieldSuggestion s;
    s.title = value;
    s.value = value;
    return s;
}

ClipboardItem item(const QString &text)
{
    ClipboardItem i(QUuid::createUuid());
    i.setText(text);
    return i;
}

TEST(NotchLauncherViewModelTest, NewModelIsCollapsedOnTheClipboardListWithDefaultGeometry)
{
    NotchLauncherViewModel model;
    EXPECT_FALSE(model.isFloatingWindow());
    EXPECT_FALSE(model.isExpanded());
    EXPECT_FALSE(model.isDesktopSwitchSuspended());
    EXPECT_FALSE(model.hasRealNotch());
    EXPECT_EQ(model.realNotchBarHeight(), 32);
    EXPECT_EQ(model.realNotchBarWidth(), 180);
    EXPECT_EQ(model.realNotchBottomCornerRadius(), 10.88);
    EXPECT_EQ(model.realNotchSideRailWidth(), 140);
    EXPECT_EQ(model.expandedHeaderWidth(), 399);
    EXPECT_EQ(model.selectedList(), NotchLauncherListKind::clipboard);
    EXPECT_EQ(model.displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_TRUE(model.isListContentVisible());
    EXPECT_FALSE(model.isListSettled());
    EXPECT_FALSE(model.showsAIControls());
    EXPECT_FALSE(model.hasSelectedHistoryTab());
    EXPECT_EQ(model.visibleClipboardItemCount(), 0);
    EXPECT_FALSE(model.areClipboardFiltersVisible());
    EXPECT_FALSE(model.selectedClipboardFilterID());
    EXPECT_FALSE(model.selectedClipboardItemID());
    EXPECT_FALSE(model.highlightedClipboardItemID());
    EXPECT_EQ(model.clipboardSearchFocusRequest(), 0);
    EXPECT_FALSE(model.aiContext());
    EXPECT_FALSE(model.selectedAISuggestionID());
    EXPECT_TRUE(model.aiSearchQuery().isEmpty());
    EXPECT_FALSE(model.isAISearchFocused());
    EXPECT_FALSE(model.demoClipboardItems());
    EXPECT_TRUE(model.demoHighlights().isEmpty());
}

// Every property but the field context: writing the current value notifies nobody, a new value notifies
// its own signal and changed() once.
TEST(NotchLauncherViewModelTest, EqualWritesNotifyNobodyAndNewValuesNotifyOnce)
{
    const QUuid id = QUuid::createUuid();
    const ClipboardItem a = item("a");
    struct Row {
        const char *name;
        std::function<void(NotchLauncherViewModel &)> writeCurrent;
        std::function<void(NotchLauncherViewModel &)> writeNew;
        const char *signal;
    };
    const Row rows[] = {
        {"isFloatingWindow", [](auto &m) { m.setIsFloatingWindow(false); }, [](auto &m) { m.setIsFloatingWindow(true); }, SIGNAL(isFloatingWindowChanged())},
        {"isExpanded", [](auto &m) { m.setIsExpanded(false); }, [](auto &m) { m.setIsExpanded(true); }, SIGNAL(isExpandedChanged())},
        {"isDesktopSwitchSuspended", [](auto &m) { m.setIsDesktopSwitchSuspended(false); }, [](auto &m) { m.setIsDesktopSwitchSuspended(true); }, SIGNAL(isDesktopSwitchSuspendedChanged())},
        {"hasRealNotch", [](auto &m) { m.setHasRealNotch(false); }, [](auto &m) { m.setHasRealNotch(true); }, SIGNAL(hasRealNotchChanged())},
        {"realNotchBarHeight", [](auto &m) { m.setRealNotchBarHeight(32); }, [](auto &m) { m.setRealNotchBarHeight(37.5); }, SIGNAL(realNotchBarHeightChanged())},
        {"realNotchBarWidth", [](auto &m) { m.setRealNotchBarWidth(180); }, [](auto &m) { m.setRealNotchBarWidth(200); }, SIGNAL(realNotchBarWidthChanged())},
        {"realNotchBottomCornerRadius", [](auto &m) { m.setRealNotchBottomCornerRadius(10.88); }, [](auto &m) { m.setRealNotchBottomCornerRadius(11); }, SIGNAL(realNotchBottomCornerRadiusChanged())},
        {"realNotchSideRailWidth", [](auto &m) { m.setRealNotchSideRailWidth(140); }, [](auto &m) { m.setRealNotchSideRailWidth(141); }, SIGNAL(realNotchSideRailWidthChanged())},
        {"expandedHeaderWidth", [](auto &m) { m.setExpandedHeaderWidth(399); }, [](auto &m) { m.setExpandedHeaderWidth(400); }, SIGNAL(expandedHeaderWidthChanged())},
        {"selectedList", [](auto &m) { m.setSelectedList(NotchLauncherListKind::clipboard); }, [](auto &m) { m.setSelectedList(NotchLauncherListKind::recent); }, SIGNAL(selectedListChanged())},
        {"displayedList", [](auto &m) { m.setDisplayedList(NotchLauncherListKind::clipboard); }, [](auto &m) { m.setDisplayedList(NotchLauncherListKind::recent); }, SIGNAL(displayedListChanged())},
        {"isListContentVisible", [](auto &m) { m.setIsListContentVisible(true); }, [](auto &m) { m.setIsListContentVisible(false); }, SIGNAL(isListContentVisibleChanged())},
        {"isListSettled", [](auto &m) { m.setIsListSettled(false); }, [](auto &m) { m.setIsListSettled(true); }, SIGNAL(isListSettledChanged())},
        {"showsAIControls", [](auto &m) { m.setShowsAIControls(false); }, [](auto &m) { m.setShowsAIControls(true); }, SIGNAL(showsAIControlsChanged())},
        {"hasSelectedHistoryTab", [](auto &m) { m.setHasSelectedHistoryTab(false); }, [](auto &m) { m.setHasSelectedHistoryTab(true); }, SIGNAL(hasSelectedHistoryTabChanged())},
        {"visibleClipboardItemCount", [](auto &m) { m.setVisibleClipboardItemCount(0); }, [](auto &m) { m.setVisibleClipboardItemCount(3); }, SIGNAL(visibleClipboardItemCountChanged())},
        {"areClipboardFiltersVisible", [](auto &m) { m.setAreClipboardFiltersVisible(false); }, [](auto &m) { m.setAreClipboardFiltersVisible(true); }, SIGNAL(areClipboardFiltersVisibleChanged())},
        {"selectedClipboardFilterID", [](auto &m) { m.setSelectedClipboardFilterID(std::nullopt); }, [id](auto &m) { m.setSelectedClipboardFilterID(id); }, SIGNAL(selectedClipboardFilterIDChanged())},
        {"selectedClipboardItemID", [](auto &m) { m.setSelectedClipboardItemID(std::nullopt); }, [id](auto &m) { m.setSelectedClipboardItemID(id); }, SIGNAL(selectedClipboardItemIDChanged())},
        {"highlightedClipboardItemID", [](auto &m) { m.setHighlightedClipboardItemID(std::nullopt); }, [id](auto &m) { m.setHighlightedClipboardItemID(id); }, SIGNAL(highlightedClipboardItemIDChanged())},
        {"clipboardSearchFocusRequest", [](auto &m) { m.setClipboardSearchFocusRequest(0); }, [](auto &m) { m.setClipboardSearchFocusRequest(1); }, SIGNAL(clipboardSearchFocusRequestChanged())},
        {"selectedAISuggestionID", [](auto &m) { m.setSelectedAISuggestionID(std::nullopt); }, [id](auto &m) { m.setSelectedAISuggestionID(id); }, SIGNAL(selectedAISuggestionIDChanged())},
        {"aiSearchQuery", [](auto &m) { m.setAISearchQuery(QString()); }, [](auto &m) { m.setAISearchQuery("mail"); }, SIGNAL(aiSearchQueryChanged())},
        {"isAISearchFocused", [](auto &m) { m.setIsAISearchFocused(false); }, [](auto &m) { m.setIsAISearchFocused(true); }, SIGNAL(isAISearchFocusedChanged())},
        {"demoClipboardItems", [](auto &m) { m.setDemoClipboardItems(std::nullopt); }, [a](auto &m) { m.setDemoClipboardItems(QList<ClipboardItem>{a}); }, SIGNAL(demoClipboardItemsChanged())},
        {"demoHighlights", [](auto &m) { m.setDemoHighlights({}); }, [](auto &m) { m.setDemoHighlights({NotchDemoHighlight::search}); }, SIGNAL(demoHighlightsChanged())},
    };
    for (const Row &row : rows) {
        NotchLauncherViewModel model;
        QSignalSpy own(&model, row.signal);
        QSignalSpy any(&model, &NotchLauncherViewModel::changed);
        row.writeCurrent(model);
        EXPECT_EQ(own.count(), 0) << row.name;
        EXPECT_EQ(any.count(), 0) << row.name;
        row.writeNew(model);
        EXPECT_EQ(own.count(), 1) << row.name;
        EXPECT_EQ(any.count(), 1) << row.name;
        // The new value written again is equal now.
        row.writeNew(model);
        EXPECT_EQ(own.count(), 1) << row.name;
    }
}

TEST(NotchLauncherViewModelTest, FieldContextWritesAndInPlaceChangesAlwaysNotify)
{
    NotchLauncherViewModel model;
    QSignalSpy context(&model, &NotchLauncherViewModel::aiContextChanged);
    const NotchAIContext ctx("Email", {suggestion("a@b.c")}, {}, std::nullopt);
    model.assignAIContext(ctx);
    model.assignAIContext(ctx);
    model.assignAIContext(std::nullopt);
    model.assignAIContext(std::nullopt);
    EXPECT_EQ(context.count(), 4);

    QSignalSpy filters(&model, &NotchLauncherViewModel::areClipboardFiltersVisibleChanged);
    model.toggleAreClipboardFiltersVisible();
    model.toggleAreClipboardFiltersVisible();
    EXPECT_EQ(filters.count(), 2);
    EXPECT_FALSE(model.areClipboardFiltersVisible());

    QSignalSpy focus(&model, &NotchLauncherViewModel::clipboardSearchFocusRequestChanged);
    model.requestClipboardSearchFocus();
    model.requestClipboardSearchFocus();
    EXPECT_EQ(focus.count(), 2);
    EXPECT_EQ(model.clipboardSearchFocusRequest(), 2);
}

TEST(NotchLauncherViewModelTest, SetAIContextResetsThePaneAndSelectsTheFirstHistorySuggestion)
{
    NotchLauncherViewModel model;
    const FocusedFieldSuggestion first = suggestion("first");
    model.setAISearchQuery("old");
    model.setIsAISearchFocused(true);
    model.setSelectedAISuggestionID(first.id);

    QSignalSpy selection(&model, &NotchLauncherViewModel::selectedAISuggestionIDChanged);
    QSignalSpy query(&model, &NotchLauncherViewModel::aiSearchQueryChanged);
    model.setAIContext(NotchAIContext("Name", {first, suggestion("second")}, {}, std::nullopt));
    EXPECT_EQ(model.selectedAISuggestionID(), first.id);
    EXPECT_EQ(selection.count(), 0); // already selected: no report
    EXPECT_EQ(query.count(), 1);
    EXPECT_TRUE(model.aiSearchQuery().isEmpty());
    EXPECT_FALSE(model.isAISearchFocused());

    // Without history suggestions an earlier selection is cleared.
    model.setAIContext(NotchAIContext("Name", {}, {suggestion("random")}, std::nullopt));
    EXPECT_FALSE(model.selectedAISuggestionID());
    EXPECT_EQ(selection.count(), 1);
}

TEST(NotchLauncherViewModelTest, ClearingWithoutAContextReportsOnlyTheContext)
{
    NotchLauncherViewModel model;
    QSignalSpy context(&model, &NotchLauncherViewModel::aiContextChanged);
    QSignalSpy any(&model, &NotchLauncherViewModel::changed);
    model.clearAIContext();
    EXPECT_EQ(context.count(), 1);
    EXPECT_EQ(any.count(), 1);
}

TEST(NotchLauncherViewModelTest, DemoItemsCompareByIdentityAndOrder)
{
    NotchLauncherViewModel model;
    const ClipboardItem a = item("a"), b = item("b");
    QSignalSpy spy(&model, &NotchLauncherViewModel::demoClipboardItemsChanged);
    model.setDemoClipboardItems(QList<ClipboardItem>{});
    EXPECT_EQ(spy.count(), 1); // none to an empty list is a change
    model.setDemoClipboardItems(QList<ClipboardItem>{a, b});
    EXPECT_EQ(spy.count(), 2);
    ClipboardItem sameA = a;
    sameA.setText("edited"); // same id, other content
    model.setDemoClipboardItems(QList<ClipboardItem>{sameA, b});
    EXPECT_EQ(spy.count(), 2);
    // Equal by identity: unreported, but the new items are the ones kept.
    ASSERT_TRUE(model.demoClipboardItems());
    EXPECT_EQ(model.demoClipboardItems()->first().text(), QStringLiteral("edited"));
    model.setDemoClipboardItems(QList<ClipboardItem>{b, a});
    EXPECT_EQ(spy.count(), 3);
}

TEST(NotchLauncherViewModelTest, DemoHighlightsCompareAsSets)
{
    NotchLauncherViewModel model;
    QSignalSpy spy(&model, &NotchLauncherViewModel::demoHighlightsChanged);
    model.setDemoHighlights({NotchDemoHighlight::search, NotchDemoHighlight::clipboard});
    model.setDemoHighlights({NotchDemoHighlight::clipboard, NotchDemoHighlight::search});
    EXPECT_EQ(spy.count(), 1);
    model.setDemoHighlights({NotchDemoHighlight::clipboard});
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
