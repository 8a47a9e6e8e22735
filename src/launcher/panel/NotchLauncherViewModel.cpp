#include "launcher/panel/NotchLauncherViewModel.h"

NotchLauncherViewModel::NotchLauncherViewModel(QObject *parent)
    : QObject(parent)
{
}

void NotchLauncherViewModel::report(void (NotchLauncherViewModel::*signal)())
{
    Q_EMIT(this->*signal)();
    Q_EMIT changed();
}

bool NotchLauncherViewModel::sameItems(const std::optional<QList<ClipboardItem>> &a,
                                       const std::optional<QList<ClipboardItem>> &b)
{
    if (!a || !b)
        return !a && !b;
    if (a->size() != b->size())
        return false;
    for (qsizetype i = 0; i < a->size(); ++i) {
        if (a->at(i).id() != b->at(i).id())
            return false;
    }
    return true;
}

void NotchLauncherViewModel::setIsFloatingWindow(bool value)
{
    if (m_isFloatingWindow == value)
        return;
    m_isFloatingWindow = value;
    report(&NotchLauncherViewModel::isFloatingWindowChanged);
}

void NotchLauncherViewModel::setIsExpanded(bool value)
{
    if (m_isExpanded == value)
        return;
    m_isExpanded = value;
    report(&NotchLauncherViewModel::isExpandedChanged);
}

void NotchLauncherViewModel::setIsDesktopSwitchSuspended(bool value)
{
    if (m_isDesktopSwitchSuspended == value)
        return;
    m_isDesktopSwitchSuspended = value;
    report(&NotchLauncherViewModel::isDesktopSwitchSuspendedChanged);
}

void NotchLauncherViewModel::setHasRealNotch(bool value)
{
    if (m_hasRealNotch == value)
        return;
    m_hasRealNotch = value;
    report(&NotchLauncherViewModel::hasRealNotchChanged);
}

void NotchLauncherViewModel::setRealNotchBarHeight(double value)
{
    if (m_realNotchBarHeight == value)
        return;
    m_realNotchBarHeight = value;
    report(&NotchLauncherViewModel::realNotchBarHeightChanged);
}

void NotchLauncherViewModel::setRealNotchBarWidth(double value)
{
    if (m_realNotchBarWidth == value)
        return;
    m_realNotchBarWidth = value;
    report(&NotchLauncherViewModel::realNotchBarWidthChanged);
}

void NotchLauncherViewModel::setRealNotchBottomCornerRadius(double value)
{
    if (m_realNotchBottomCornerRadius == value)
        return;
    m_realNotchBottomCornerRadius = value;
    report(&NotchLauncherViewModel::realNotchBottomCornerRadiusChanged);
}

void NotchLauncherViewModel::setRealNotchSideRailWidth(double value)
{
    if (m_realNotchSideRailWidth == value)
        return;
    m_realNotchSideRailWidth = value;
    report(&NotchLauncherViewModel::realNotchSideRailWidthChanged);
}

void NotchLauncherViewModel::setExpandedHeaderWidth(double value)
{
    if (m_expandedHeaderWidth == value)
        return;
    m_expandedHeaderWidth = value;
    report(&NotchLauncherViewModel::expandedHeaderWidthChanged);
}

void NotchLauncherViewModel::setSelectedList(NotchLauncherListKind value)
{
    if (m_selectedList == value)
        return;
    m_selectedList = value;
    report(&NotchLauncherViewModel::selectedListChanged);
}

void NotchLauncherViewModel::setDisplayedList(NotchLauncherListKind value)
{
    if (m_displayedList == value)
        return;
    m_displayedList = value;
    report(&NotchLauncherViewModel::displayedListChanged);
}

void NotchLauncherViewModel::setIsListContentVisible(bool value)
{
    if (m_isListContentVisible == value)
        return;
    m_isListContentVisible = value;
    report(&NotchLauncherViewModel::isListContentVisibleChanged);
}

void NotchLauncherViewModel::setIsListSettled(bool value)
{
    if (m_isListSettled == value)
        return;
    m_isListSettled = value;
    report(&NotchLauncherViewModel::isListSettledChanged);
}

void NotchLauncherViewModel::setShowsAIControls(bool value)
{
    if (m_showsAIControls == value)
        return;
    m_showsAIControls = value;
    report(&NotchLauncherViewModel::showsAIControlsChanged);
}

void NotchLauncherViewModel::setHasSelectedHistoryTab(bool value)
{
    if (m_hasSelectedHistoryTab == value)
        return;
    m_hasSelectedHistoryTab = value;
    report(&NotchLauncherViewModel::hasSelectedHistoryTabChanged);
}

void NotchLauncherViewModel::setVisibleClipboardItemCount(int value)
{
    if (m_visibleClipboardItemCount == value)
        return;
    m_visibleClipboardItemCount = value;
    report(&NotchLauncherViewModel::visibleClipboardItemCountChanged);
}

void NotchLauncherViewModel::setAreClipboardFiltersVisible(bool value)
{
    if (m_areClipboardFiltersVisible == value)
        return;
    m_areClipboardFiltersVisible = value;
    report(&NotchLauncherViewModel::areClipboardFiltersVisibleChanged);
}

void NotchLauncherViewModel::setSelectedClipboardFilterID(const std::optional<QUuid> &value)
{
    if (m_selectedClipboardFilterID == value)
        return;
    m_selectedClipboardFilterID = value;
    report(&NotchLauncherViewModel::selectedClipboardFilterIDChanged);
}

void NotchLauncherViewModel::setSelectedClipboardItemID(const std::optional<QUuid> &value)
{
    if (m_selectedClipboardItemID == value)
        return;
    m_selectedClipboardItemID = value;
    report(&NotchLauncherViewModel::selectedClipboardItemIDChanged);
}

void NotchLauncherViewModel::setHighlightedClipboardItemID(const std::optional<QUuid> &value)
{
    if (m_highlightedClipboardItemID == value)
        return;
    m_highlightedClipboardItemID = value;
    report(&NotchLauncherViewModel::highlightedClipboardItemIDChanged);
}

void NotchLauncherViewModel::setClipboardSearchFocusRequest(int value)
{
    if (m_clipboardSearchFocusRequest == value)
        return;
    m_clipboardSearchFocusRequest = value;
    report(&NotchLauncherViewModel::clipboardSearchFocusRequestChanged);
}

void NotchLauncherViewModel::assignAIContext(const std::optional<NotchAIContext> &value)
{
    // A context is never compared: every write is reported.
    m_aiContext = value;
    report(&NotchLauncherViewModel::aiContextChanged);
}

void NotchLauncherViewModel::setSelectedAISuggestionID(const std::optional<QUuid> &value)
{
    if (m_selectedAISuggestionID == value)
        return;
    m_selectedAISuggestionID = value;
    report(&NotchLauncherViewModel::selectedAISuggestionIDChanged);
}

void NotchLauncherViewModel::setAISearchQuery(const QString &value)
{
    if (m_aiSearchQuery == value)
        return;
    m_aiSearchQuery = value;
    report(&NotchLauncherViewModel::aiSearchQueryChanged);
}

void NotchLauncherViewModel::setIsAISearchFocused(bool value)
{
    if (m_isAISearchFocused == value)
        return;
    m_isAISearchFocused = value;
    report(&NotchLauncherViewModel::isAISearchFocusedChanged);
}

void NotchLauncherViewModel::setDemoClipboardItems(const std::optional<QList<ClipboardItem>> &value)
{
    // A list equal by identity is kept (its items may carry newer content) without a report.
    const bool same = sameItems(m_demoClipboardItems, value);
    m_demoClipboardItems = value;
    if (!same)
        report(&NotchLauncherViewModel::demoClipboardItemsChanged);
}

void NotchLauncherViewModel::setDemoHighlights(const NotchDemoHighlights &value)
{
    if (m_demoHighlights == value)
        return;
    m_demoHighlights = value;
    report(&NotchLauncherViewModel::demoHighlightsChanged);
}

void NotchLauncherViewModel::toggleAreClipboardFiltersVisible()
{
    m_areClipboardFiltersVisible = !m_areClipboardFiltersVisible;
    report(&NotchLauncherViewModel::areClipboardFiltersVisibleChanged);
}

void NotchLauncherViewModel::requestClipboardSearchFocus()
{
    ++m_clipboardSearchFocusRequest;
    report(&NotchLauncherViewModel::clipboardSearchFocusRequestChanged);
}

void NotchLauncherViewModel::setAIContext(const NotchAIContext &context)
{
    assignAIContext(context);
    setAISearchQuery(QString());
    setIsAISearchFocused(false);
    const auto &history = context.historySuggestions;
    setSelectedAISuggestionID(history.isEmpty() ? std::nullopt : std::optional<QUuid>(history.first().id));
}

void NotchLauncherViewModel::clearAIContext()
{
    assignAIContext(std::nullopt);
    setAISearchQuery(QString());
    setIsAISearchFocused(false);
    setSelectedAISuggestionID(std::nullopt);
}
