#pragma once
// The observable state of one launcher window, shared by the window and the panel view it hosts. Every
// setter skips a value equal to the stored one (so repeated layout passes notify nobody), except the field
// context, whose every write is reported. Each reported change emits the property's signal, then changed().

#include "fields/views/NotchAIContext.h"
#include "model/NotchDemoHighlight.h"
#include "model/ClipboardItem.h"
#include "model/NotchLauncherListKind.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

class NotchLauncherViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isFloatingWindow READ isFloatingWindow WRITE setIsFloatingWindow NOTIFY isFloatingWindowChanged)
    Q_PROPERTY(bool isExpanded READ isExpanded WRITE setIsExpanded NOTIFY isExpandedChanged)
    Q_PROPERTY(bool isDesktopSwitchSuspended READ isDesktopSwitchSuspended WRITE setIsDesktopSwitchSuspended NOTIFY isDesktopSwitchSuspendedChanged)
    Q_PROPERTY(bool hasRealNotch READ hasRealNotch WRITE setHasRealNotch NOTIFY hasRealNotchChanged)
    Q_PROPERTY(double realNotchBarHeight READ realNotchBarHeight WRITE setRealNotchBarHeight NOTIFY realNotchBarHeightChanged)
    Q_PROPERTY(double realNotchBarWidth READ realNotchBarWidth WRITE setRealNotchBarWidth NOTIFY realNotchBarWidthChanged)
    Q_PROPERTY(double realNotchBottomCornerRadius READ realNotchBottomCornerRadius WRITE setRealNotchBottomCornerRadius NOTIFY realNotchBottomCornerRadiusChanged)
    Q_PROPERTY(double realNotchSideRailWidth READ realNotchSideRailWidth WRITE setRealNotchSideRailWidth NOTIFY realNotchSideRailWidthChanged)
    Q_PROPERTY(double expandedHeaderWidth READ expandedHeaderWidth WRITE setExpandedHeaderWidth NOTIFY expandedHeaderWidthChanged)
    Q_PROPERTY(bool isListContentVisible READ isListContentVisible WRITE setIsListContentVisible NOTIFY isListContentVisibleChanged)
    Q_PROPERTY(bool isListSettled READ isListSettled WRITE setIsListSettled NOTIFY isListSettledChanged)
    Q_PROPERTY(bool showsAIControls READ showsAIControls WRITE setShowsAIControls NOTIFY showsAIControlsChanged)
    Q_PROPERTY(bool hasSelectedHistoryTab READ hasSelectedHistoryTab WRITE setHasSelectedHistoryTab NOTIFY hasSelectedHistoryTabChanged)
    Q_PROPERTY(int visibleClipboardItemCount READ visibleClipboardItemCount WRITE setVisibleClipboardItemCount NOTIFY visibleClipboardItemCountChanged)
    Q_PROPERTY(bool areClipboardFiltersVisible READ areClipboardFiltersVisible WRITE setAreClipboardFiltersVisible NOTIFY areClipboardFiltersVisibleChanged)
    Q_PROPERTY(int clipboardSearchFocusRequest READ clipboardSearchFocusRequest WRITE setClipboardSearchFocusRequest NOTIFY clipboardSearchFocusRequestChanged)
    Q_PROPERTY(QString aiSearchQuery READ aiSearchQuery WRITE setAISearchQuery NOTIFY aiSearchQueryChanged)
    Q_PROPERTY(bool isAISearchFocused READ isAISearchFocused WRITE setIsAISearchFocused NOTIFY isAISearchFocusedChanged)

public:
    explicit NotchLauncherViewModel(QObject *parent = nullptr);

    bool isFloatingWindow() const { return m_isFloatingWindow; }
    void setIsFloatingWindow(bool value);
    bool isExpanded() const { return m_isExpanded; }
    void setIsExpanded(bool value);
    bool isDesktopSwitchSuspended() const { return m_isDesktopSwitchSuspended; }
    void setIsDesktopSwitchSuspended(bool value);
    bool hasRealNotch() const { return m_hasRealNotch; }
    void setHasRealNotch(bool value);
    double realNotchBarHeight() const { return m_realNotchBarHeight; }
    void setRealNotchBarHeight(double value);
    double realNotchBarWidth() const { return m_realNotchBarWidth; }
    void setRealNotchBarWidth(double value);
    double realNotchBottomCornerRadius() const { return m_realNotchBottomCornerRadius; }
    void setRealNotchBottomCornerRadius(double value);
    double realNotchSideRailWidth() const { return m_realNotchSideRailWidth; }
    void setRealNotchSideRailWidth(double value);
    double expandedHeaderWidth() const { return m_expandedHeaderWidth; }
    void setExpandedHeaderWidth(double value);
    NotchLauncherListKind selectedList() const { return m_selectedList; }
    void setSelectedList(NotchLauncherListKind value);
    NotchLauncherListKind displayedList() const { return m_displayedList; }
    void setDisplayedList(NotchLauncherListKind value);
    bool isListContentVisible() const { return m_isListContentVisible; }
    void setIsListContentVisible(bool value);
    bool isListSettled() const { return m_isListSettled; }
    void setIsListSettled(bool value);
    bool showsAIControls() const { return m_showsAIControls; }
    void setShowsAIControls(bool value);
    bool hasSelectedHistoryTab() const { return m_hasSelectedHistoryTab; }
    void setHasSelectedHistoryTab(bool value);
    int visibleClipboardItemCount() const { return m_visibleClipboardItemCount; }
    void setVisibleClipboardItemCount(int value);
    bool areClipboardFiltersVisible() const { return m_areClipboardFiltersVisible; }
    void setAreClipboardFiltersVisible(bool value);
    const std::optional<QUuid> &selectedClipboardFilterID() const { return m_selectedClipboardFilterID; }
    void setSelectedClipboardFilterID(const std::optional<QUuid> &value);
    const std::optional<QUuid> &selectedClipboardItemID() const { return m_selectedClipboardItemID; }
    void setSelectedClipboardItemID(const std::optional<QUuid> &value);
    const std::optional<QUuid> &highlightedClipboardItemID() const { return m_highlightedClipboardItemID; }
    void setHighlightedClipboardItemID(const std::optional<QUuid> &value);
    int clipboardSearchFocusRequest() const { return m_clipboardSearchFocusRequest; }
    void setClipboardSearchFocusRequest(int value);
    const std::optional<NotchAIContext> &aiContext() const { return m_aiContext; }
    void assignAIContext(const std::optional<NotchAIContext> &value);
    const std::optional<QUuid> &selectedAISuggestionID() const { return m_selectedAISuggestionID; }
    void setSelectedAISuggestionID(const std::optional<QUuid> &value);
    const QString &aiSearchQuery() const { return m_aiSearchQuery; }
    void setAISearchQuery(const QString &value);
    bool isAISearchFocused() const { return m_isAISearchFocused; }
    void setIsAISearchFocused(bool value);
    const std::optional<QList<ClipboardItem>> &demoClipboardItems() const { return m_demoClipboardItems; }
    void setDemoClipboardItems(const std::optional<QList<ClipboardItem>> &value);
    const NotchDemoHighlights &demoHighlights() const { return m_demoHighlights; }
    void setDemoHighlights(const NotchDemoHighlights &value);

    // In-place changes: always reported, whatever the value.
    void toggleAreClipboardFiltersVisible();
    // Asks the search field for the keyboard focus: the counter only ever grows.
    void requestClipboardSearchFocus();

    // Shows a field's suggestions: resets the pane's query and focus and selects the first history
    // suggestion (or none).
    void setAIContext(const NotchAIContext &context);
    void clearAIContext();

Q_SIGNALS:
    void isFloatingWindowChanged();
    void isExpandedChanged();
    void isDesktopSwitchSuspendedChanged();
    void hasRealNotchChanged();
    void realNotchBarHeightChanged();
    void realNotchBarWidthChanged();
    void realNotchBottomCornerRadiusChanged();
    void realNotchSideRailWidthChanged();
    void expandedHeaderWidthChanged();
    void selectedListChanged();
    void displayedListChanged();
    void isListContentVisibleChanged();
    void isListSettledChanged();
    void showsAIControlsChanged();
    void hasSelectedHistoryTabChanged();
    void visibleClipboardItemCountChanged();
    void areClipboardFiltersVisibleChanged();
    void selectedClipboardFilterIDChanged();
    void selectedClipboardItemIDChanged();
    void highlightedClipboardItemIDChanged();
    void clipboardSearchFocusRequestChanged();
    void aiContextChanged();
    void selectedAISuggestionIDChanged();
    void aiSearchQueryChanged();
    void isAISearchFocusedChanged();
    void demoClipboardItemsChanged();
    void demoHighlightsChanged();
    // After every reported change of any property.
    void changed();

private:
    void report(void (NotchLauncherViewModel::*signal)());
    // Two demo lists are the same when both are absent, or both hold the same items (by id) in order.
    static bool sameItems(const std::optional<QList<ClipboardItem>> &a, const std::optional<QList<ClipboardItem>> &b);

    bool m_isFloatingWindow = false;
    bool m_isExpanded = false;
    bool m_isDesktopSwitchSuspended = false;
    bool m_hasRealNotch = false;
    double m_realNotchBarHeight = 32;
    double m_realNotchBarWidth = 180;
    double m_realNotchBottomCornerRadius = 10.88;
    double m_realNotchSideRailWidth = 140;
    double m_expandedHeaderWidth = 399;
    NotchLauncherListKind m_selectedList = NotchLauncherListKind::clipboard;
    NotchLauncherListKind m_displayedList = NotchLauncherListKind::clipboard;
    bool m_isListContentVisible = true;
    bool m_isListSettled = false;
    bool m_showsAIControls = false;
    bool m_hasSelectedHistoryTab = false;
    int m_visibleClipboardItemCount = 0;
    bool m_areClipboardFiltersVisible = false;
    std::optional<QUuid> m_selectedClipboardFilterID;
    std::optional<QUuid> m_selectedClipboardItemID;
    std::optional<QUuid> m_highlightedClipboardItemID;
    int m_clipboardSearchFocusRequest = 0;
    std::optional<NotchAIContext> m_aiContext;
    std::optional<QUuid> m_selectedAISuggestionID;
    QString m_aiSearchQuery;
    bool m_isAISearchFocused = false;
    std::optional<QList<ClipboardItem>> m_demoClipboardItems;
    NotchDemoHighlights m_demoHighlights;
};
