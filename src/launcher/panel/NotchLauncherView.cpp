#include "launcher/panel/NotchLauncherView.h"

#include "app/AppState.h"
#include "app/RuntimeState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchHistorySearchField.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "ui/NotchListSearchBar.h"
#include "ui/TutorialOutline.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "preview/ClipboardItemContextMenuModifier.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"

#include <QApplication>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

QList<QUuid> idsOf(const QList<ClipboardItem> &items)
{
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const ClipboardItem &item : items)
        ids.append(item.id());
    return ids;
}

Task<std::optional<QList<ClipboardItem>>> historySearch(QPointer<ClipboardHistoryManager> history,
                                                        std::optional<ClipboardFilter> filter, QString query,
                                                        bool includeAnalysisText)
{
    if (!history)
        co_return std::nullopt;
    Task<std::optional<QList<ClipboardItem>>> search =
        history->searchItems(std::move(filter), std::move(query), includeAnalysisText, NotchLauncherView::searchLimit);
    std::optional<std::optional<QList<ClipboardItem>>> found = co_await search;
    co_return found ? *found : std::nullopt;
}

} // namespace

NotchLauncherView::NotchLauncherView(const Platform &platform, NotchLauncherViewModel &model, AppState *appState,
                                     ClipboardHistoryManager *history, Callbacks callbacks, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_model(model)
    , m_appState(appState)
    , m_history(history)
    , m_callbacks(std::move(callbacks))
    , m_ticker(*platform.clock, [this] { frameTick(); })
{
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    QPointer<ClipboardHistoryManager> weakHistory = history;
    m_search = [weakHistory](std::optional<ClipboardFilter> filter, QString query) {
        // The panel searches what was copied; analysed items must stay findable by their own text.
        return historySearch(weakHistory, std::move(filter), std::move(query), false);
    };

    // The search field in its bar (placed in the header).
    m_searchField = new NotchClipboardSearchTextField;
    m_searchField->onArrowDown = [this] { handleSearchFieldArrowDown(); };
    m_searchField->onArrowUp = [this] { handleSearchFieldArrowUp(); };
    m_searchField->onSubmit = [this] { submitActiveClipboardItem(); };
    m_searchField->onFocusChanged = [this](bool focused) { setClipboardSearchFocused(focused); };
    connect(m_searchField, &QLineEdit::textChanged, this, [this](const QString &text) { setClipboardSearchQuery(text); });
    m_searchBar = new NotchListSearchBar(m_searchField, m_symbols, [this] { return searchBarPalette(); }, [this] { return now(); }, this);
    connect(m_searchBar, &NotchListSearchBar::clearRequested, this, [this] { setClipboardSearchQuery(QString()); });
    connect(m_searchBar, &NotchListSearchBar::animating, this, [this] { requestFrame(); });
    m_searchBarOpacity = new QGraphicsOpacityEffect(m_searchBar);
    m_searchBarOpacity->setEnabled(false);
    m_searchBar->setGraphicsEffect(m_searchBarOpacity);
    m_searchBar->hide();

    NotchClipboardList::Callbacks list;
    list.onSelect = [this](const ClipboardItem &item) { selectClipboardItem(item); };
    list.onTap = [this](const ClipboardItem &item) {
        selectClipboardItem(item);
        if (m_callbacks.onClipboardItemSelect)
            m_callbacks.onClipboardItemSelect(item);
    };
    list.onPreview = [this](const ClipboardItem &item) {
        selectClipboardItem(item);
        showPreview(item);
    };
    list.onHover = [this](const ClipboardItem &item, bool hovering) { clipboardRowHoverChanged(item, hovering); };
    list.onDelete = [this](const ClipboardItem &item) { deleteClipboardItem(item); };
    list.onContextMenu = [this](QPoint position, std::function<void()> select, std::function<void()> preview) {
        ClipboardItemContextMenuModifier(std::move(select), std::move(preview)).popup(m_list, position);
    };
    m_list = new NotchClipboardList(
        platform,
        [this] {
            NotchRowPaintContext context;
            context.palette = panelPalette();
            context.symbols = &m_symbols;
            context.accent = context.palette.accent;
            context.locale = QLocale();
            if (!m_timestampPatterns || m_timestampLocale != context.locale.name()) {
                m_timestampLocale = context.locale.name();
                m_timestampPatterns = NotchListTimestamp::Patterns::of(context.locale);
            }
            context.timestampPatterns = m_timestampPatterns;
            context.presentations = m_history ? &m_history->searchPresentations() : nullptr;
            context.thumbnails = &m_thumbnails;
            return context;
        },
        std::move(list), this);
    m_list->hide();
    connect(&m_thumbnails, &ClipboardThumbnailCache::thumbnailReady, m_list, [this] { m_list->update(); });

    // The field history's search field, placed in the header while the recent list is selected; its pane
    // is built while it is on screen (syncAIPane).
    // The header band is black in either colour scheme: the field is drawn for a dark background.
    m_historySearchField = new NotchHistorySearchField(m_symbols, [this] { return searchBarPalette(); }, [this] { return now(); }, this);
    m_historySearchField->onQueryChange = [this](const QString &query) { m_model.setAISearchQuery(query); };
    m_historySearchField->onFocusChange = [this](bool focused) { m_model.setIsAISearchFocused(focused); };
    m_historySearchField->textField()->installEventFilter(this);
    m_historySearchOpacity = new QGraphicsOpacityEffect(m_historySearchField);
    m_historySearchOpacity->setEnabled(false);
    m_historySearchField->setGraphicsEffect(m_historySearchOpacity);
    m_historySearchField->hide();

    // The change handlers.
    connect(&m_model, &NotchLauncherViewModel::changed, this, &NotchLauncherView::modelChanged);
    connect(&m_model, &NotchLauncherViewModel::demoClipboardItemsChanged, this, &NotchLauncherView::refreshDisplayedClipboardItems);
    connect(&m_model, &NotchLauncherViewModel::selectedClipboardFilterIDChanged, this,
            &NotchLauncherView::refreshDisplayedClipboardItems);
    connect(&m_model, &NotchLauncherViewModel::clipboardSearchFocusRequestChanged, this,
            &NotchLauncherView::focusRequestChanged);
    for (auto signal : {&NotchLauncherViewModel::aiContextChanged, &NotchLauncherViewModel::selectedAISuggestionIDChanged,
                        &NotchLauncherViewModel::aiSearchQueryChanged, &NotchLauncherViewModel::displayedListChanged,
                        &NotchLauncherViewModel::demoHighlightsChanged, &NotchLauncherViewModel::isFloatingWindowChanged,
                        &NotchLauncherViewModel::isExpandedChanged})
        connect(&m_model, signal, this, &NotchLauncherView::syncAIPane);
    connect(&m_model, &NotchLauncherViewModel::isAISearchFocusedChanged, this, &NotchLauncherView::aiSearchFocusChanged);
    if (history) {
        connect(history, &ClipboardHistoryManager::storageRevisionChanged, this,
                &NotchLauncherView::refreshDisplayedClipboardItems);
        connect(history, &ClipboardHistoryManager::searchRevisionChanged, this,
                &NotchLauncherView::refreshDisplayedClipboardItems);
        connect(history, &ClipboardHistoryManager::searchPresentationsChanged, m_list, [this] { m_list->update(); });
    }
    if (appState) {
        connect(appState->runtime(), &RuntimeState::clipboardPulseTokenChanged, this, &NotchLauncherView::pulse);
        connect(appState->filters(), &FilterManager::filtersChanged, this, &NotchLauncherView::refreshDisplayedClipboardItems);
        connect(appState->settings(), &SettingsStore::settingsChanged, this, [this] { update(); });
    }
    if (platform.appearance)
        connect(platform.appearance, &Appearance::changed, this, [this] {
            applySearchFieldColors();
            update();
            m_list->update();
            m_searchBar->update();
            m_historySearchField->update();
            if (m_aiPane)
                m_aiPane->update();
        });
    applySearchFieldColors();
    m_lastExpanded = m_model.isExpanded();
    m_lastSuspended = m_model.isSpaceTransitionSuspended();
    m_lastDisplayedList = m_model.displayedList();
    m_lastFocusRequest = m_model.clipboardSearchFocusRequest();
    m_logoExpansion.setValue(m_lastExpanded ? 1 : 0);
    updateHeaderEntrances();
    syncAIPane();
}

NotchLauncherView::~NotchLauncherView()
{
    goOffScreen();
    // The children go after this destructor: what they report on their way out reaches no one.
    disconnect(&m_model, nullptr, this, nullptr);
    m_historySearchField->onQueryChange = nullptr;
    m_historySearchField->onFocusChange = nullptr;
    if (m_aiPane)
        m_aiPane->setCallbacks({});
}

double NotchLauncherView::now() const
{
    return m_platform.clock->uptime();
}

void NotchLauncherView::requestFrame()
{
    m_ticker.requestFrame();
}

Palette NotchLauncherView::panelPalette() const
{
    QColor accent = color(AccentColorOption::blue);
    if (m_appState)
        accent = color(m_appState->settings()->settings().accentColor);
    return Palette::from(m_platform.appearance, accent);
}

Palette NotchLauncherView::searchBarPalette() const
{
    Palette palette = panelPalette();
    // In the header the bar sits on the black band in either scheme: it takes the dark scheme's colours.
    // The compact window has no band; its bar sits on the glass and follows the scheme.
    if (!m_model.isFloatingWindow())
        palette.scheme = ColorScheme::dark;
    return palette;
}

void NotchLauncherView::applySearchFieldColors()
{
    const Palette palette = searchBarPalette();
    m_searchField->setColors(palette.primary(), palette.secondary(), Palette::withOpacity(palette.accent, 0.45));
}

NotchPanelGeometry NotchLauncherView::geometry() const
{
    NotchPanelGeometry::Input in;
    in.width = width();
    in.height = height();
    in.isExpanded = m_model.isExpanded();
    in.hasRealNotch = m_model.hasRealNotch();
    in.isFloatingWindow = m_model.isFloatingWindow();
    in.isListSettled = m_model.isListSettled();
    in.isListContentVisible = m_model.isListContentVisible();
    in.realNotchBarHeight = m_model.realNotchBarHeight();
    in.realNotchBottomCornerRadius = m_model.realNotchBottomCornerRadius();
    return NotchPanelGeometry::compute(in);
}

NotchHeaderLayout NotchLauncherView::headerLayout() const
{
    const NotchPanelGeometry g = geometry();
    const QRectF row = g.headerRow(m_model.expandedHeaderWidth());
    NotchHeaderLayout::Input in;
    in.isExpanded = m_model.isExpanded();
    in.hasRealNotch = m_model.hasRealNotch();
    in.realNotchBarWidth = m_model.realNotchBarWidth();
    in.realNotchSideRailWidth = m_model.realNotchSideRailWidth();
    in.selectedList = m_model.selectedList();
    in.showsAIControls = m_model.showsAIControls();
    in.hasSelectedHistoryTab = m_model.hasSelectedHistoryTab();
    in.hasAIContext = m_model.aiContext().has_value();
    in.hasDemoItems = m_model.demoClipboardItems().has_value();
    in.width = row.width();
    in.height = row.height();
    NotchHeaderLayout layout = NotchHeaderLayout::compute(in);
    // Into the view's coordinates.
    for (QRectF *rect : {&layout.clipboardTab, &layout.recentTab, &layout.filtersToggle, &layout.searchArea,
                         &layout.settingsButton}) {
        if (!rect->isNull())
            rect->translate(row.topLeft());
    }
    return layout;
}

std::optional<QUuid> NotchLauncherView::activeClipboardItemID() const
{
    return m_model.highlightedClipboardItemID() ? m_model.highlightedClipboardItemID() : m_model.selectedClipboardItemID();
}

bool NotchLauncherView::isSearchRunning() const
{
    return m_clipboardSearchTask.isRunning();
}

TavlenLogo NotchLauncherView::logo() const
{
    const double t = now();
    const Palette colors = panelPalette();
    TavlenLogo logo;
    const double lit = m_logoLit.value(t);
    logo.saturation = lit;
    logo.brightness = 0.35 * (1 - lit);
    const double expansion = m_logoExpansion.value(t);
    logo.rotationDegrees = m_clipboardLogoRotation.value(t) + (colors.reduceMotion ? 0 : -360 * expansion);
    logo.scale = m_logoPulseScale.value(t);
    logo.shadowColor = Palette::withOpacity(colors.accent, m_isClipboardPulseActive ? 0.46 : 0);
    logo.shadowRadius = 10;
    logo.offset = QPointF(geometry().expandedLogoOffset(m_model.expandedHeaderWidth()) * expansion, 0);
    return logo;
}

// --- Model changes ---

void NotchLauncherView::modelChanged()
{
    const double t = now();
    const bool reduceMotion = panelPalette().reduceMotion;
    const bool expanded = m_model.isExpanded();
    if (expanded != m_lastExpanded) {
        m_lastExpanded = expanded;
        m_logoExpansion.animateTo(expanded ? 1 : 0, reduceMotion ? Animation::none() : Animation::springWith(0.55, 1.0), t);
        if (!expanded)
            dropSearchFocus();
    }
    const bool suspended = m_model.isSpaceTransitionSuspended();
    if (suspended != m_lastSuspended) {
        m_lastSuspended = suspended;
        if (suspended) {
            dropSearchFocus();
            clearHistorySearchFocus();
            closePreviewWindow();
            closeSuggestionPreviewWindow();
        }
    }
    const NotchLauncherListKind displayed = m_model.displayedList();
    if (displayed != m_lastDisplayedList) {
        m_lastDisplayedList = displayed;
        if (displayed == NotchLauncherListKind::recent) {
            dropSearchFocus();
            m_isClipboardKeyboardNavigationActive = false;
        }
    }
    const bool lit = m_isClipboardPulseActive || (expanded && !m_model.isListSettled());
    m_logoLit.animateTo(lit ? 1 : 0, Animation::easeInOut(0.18), t);
    updateListState();
    applySearchFieldColors();
    updateHeaderEntrances();
    layoutChildren();
    const QPainterPath path = chromePath();
    if (path != m_lastPath) {
        m_lastPath = path;
        Q_EMIT chromeShapeChanged(path);
    }
    update();
    requestFrame();
}

void NotchLauncherView::updateHeaderEntrances()
{
    NotchHeaderEntrances::Presence presence;
    if (m_model.isExpanded() && !m_model.isFloatingWindow()) {
        const NotchHeaderLayout header = headerLayout();
        presence.clipboardTab = true;
        presence.recentTab = header.showsRecentTab;
        presence.filtersToggle = header.showsFiltersToggle;
        presence.searchArea = header.search != NotchHeaderLayout::Search::none;
        presence.settingsButton = true;
    }
    const bool wasAnimating = m_headerEntrances.isAnimating(now());
    m_headerEntrances.update(presence, now(), panelPalette().reduceMotion);
    if (!wasAnimating && m_headerEntrances.isAnimating(now()))
        requestFrame();
}

void NotchLauncherView::frameTick()
{
    update();
    // The search fields are widgets of their own: they follow their entrance frame by frame.
    if (m_searchBar->isVisible() || m_historySearchField->isVisible()) {
        placeSearchBar();
        if (m_headerEntrances.isAnimating(now()))
            requestFrame();
    }
}

void NotchLauncherView::updateListState()
{
    const std::optional<QUuid> active = activeClipboardItemID();
    m_list->setActiveItemID(active);
    m_list->setTutorialFirstRow(m_model.demoHighlights().contains(NotchDemoHighlight::clipboardItem));
    // The list follows the keyboard: scroll the new active row into view while navigating.
    if (active != m_lastActiveID) {
        m_lastActiveID = active;
        if (m_isClipboardKeyboardNavigationActive && active)
            m_list->scrollToItem(*active);
    }
}

// --- The field history ---

namespace {

NotchAIContentView::Inputs paneInputs(const NotchLauncherViewModel &model)
{
    NotchAIContentView::Inputs inputs;
    inputs.listKind = model.displayedList();
    inputs.context = model.aiContext().value_or(NotchAIContext());
    inputs.selectedSuggestionID = model.selectedAISuggestionID();
    inputs.searchQuery = model.aiSearchQuery();
    inputs.tutorialHighlights = model.demoHighlights();
    inputs.isCompact = model.isFloatingWindow();
    return inputs;
}

} // namespace

NotchAIContentView *NotchLauncherView::makeAIPane()
{
    NotchAIContentView::Callbacks pane;
    pane.onSelectedSuggestionIDChange = [this](const std::optional<QUuid> &id) { m_model.setSelectedAISuggestionID(id); };
    pane.onSearchQueryChange = [this](const QString &query) { m_model.setAISearchQuery(query); };
    pane.onSuggestionSelect = [this](const FocusedFieldSuggestion &suggestion) {
        if (m_callbacks.onAISuggestionSelect)
            m_callbacks.onAISuggestionSelect(suggestion);
    };
    pane.onContentLayoutChanged = [this] {
        if (m_callbacks.onContentLayoutChanged)
            m_callbacks.onContentLayoutChanged();
    };
    // As on the clipboard list: the pointer on a row takes the keys from the search field.
    pane.onRowHover = [this] {
        if (m_historySearchField->hasKeyboardFocus())
            clearHistorySearchFocus();
    };
    auto *view = new NotchAIContentView(m_platform, m_symbols, [this] { return panelPalette(); }, paneInputs(m_model),
                                        std::move(pane), this);
    view->manualField()->installEventFilter(this);
    view->hide();
    return view;
}

void NotchLauncherView::syncAIPane()
{
    const std::optional<NotchAIContext> &context = m_model.aiContext();
    m_historySearchField->setFieldName(context ? context->fieldName : QStringLiteral("field"));
    m_historySearchField->setQuery(m_model.aiSearchQuery());
    // The pane exists while the expanded panel shows it: each appearance starts with an empty manual entry
    // and repairs the selection.
    const bool shows = m_model.isExpanded() && m_model.displayedList() == NotchLauncherListKind::recent && context;
    if (!shows) {
        if (m_aiPane) {
            // It may be the one calling back right now.
            m_aiPane->hide();
            m_aiPane->deleteLater();
            m_aiPane = nullptr;
        }
        return;
    }
    if (!m_aiPane) {
        m_aiPane = makeAIPane();
        layoutChildren();
        return;
    }
    m_aiPane->setInputs(paneInputs(m_model));
}

void NotchLauncherView::aiSearchFocusChanged()
{
    // The flag follows the field's real focus: cleared while the field keeps the keyboard, a typed space
    // would open the details window instead of reaching the field.
    if (!m_model.isAISearchFocused() && m_historySearchField->hasKeyboardFocus())
        m_model.setIsAISearchFocused(true);
}

void NotchLauncherView::clearHistorySearchFocus()
{
    if (m_historySearchField->hasKeyboardFocus())
        m_historySearchField->textField()->clearFocus();
    m_model.setIsAISearchFocused(false);
}

bool NotchLauncherView::eventFilter(QObject *watched, QEvent *event)
{
    const bool textInput = watched == m_historySearchField->textField() || (m_aiPane && watched == m_aiPane->manualField());
    if (textInput && event->type() == QEvent::MouseButtonPress && m_callbacks.onTextInputFocus)
        m_callbacks.onTextInputFocus();
    return QWidget::eventFilter(watched, event);
}

void NotchLauncherView::focusRequestChanged()
{
    const int request = m_model.clipboardSearchFocusRequest();
    if (request == m_lastFocusRequest)
        return;
    m_lastFocusRequest = request;
    if (m_model.isSpaceTransitionSuspended())
        return;
    m_clipboardSearchFocusTask.cancel();
    setClipboardSearchQuery(QString());
    m_isClipboardKeyboardNavigationActive = false;
    m_model.setSelectedClipboardItemID(std::nullopt);
    m_model.setHighlightedClipboardItemID(std::nullopt);
    m_clipboardSearchFocusTask.start(runSearchFocus());
}

Task<> NotchLauncherView::runSearchFocus()
{
    QPointer<NotchLauncherView> self = this;
    Clock *clock = m_platform.clock;
    const bool awake = co_await clock->sleep(searchFocusDelay);
    if (!awake || !self)
        co_return;
    const NotchLauncherViewModel &model = self->m_model;
    if (model.isExpanded() && !model.isSpaceTransitionSuspended() && model.displayedList() == NotchLauncherListKind::clipboard
        && !model.demoClipboardItems()) {
        self->setClipboardSearchFocused(true);
    }
}

void NotchLauncherView::setClipboardSearchFocused(bool focused)
{
    if (focused == m_isClipboardSearchFocused) {
        if (focused)
            m_searchField->update(true, m_model.clipboardSearchFocusRequest());
        return;
    }
    m_isClipboardSearchFocused = focused;
    m_searchField->update(focused, m_model.clipboardSearchFocusRequest());
    if (!focused) {
        m_isClipboardKeyboardNavigationActive = false;
        ensureValidClipboardSelection();
    }
}

void NotchLauncherView::dropSearchFocus()
{
    m_clipboardSearchFocusTask.cancel();
    setClipboardSearchFocused(false);
}

// --- Search ---

void NotchLauncherView::setClipboardSearchQuery(const QString &query)
{
    if (m_searchField->text() != query)
        m_searchField->setText(query); // comes back here through textChanged
    if (query == m_clipboardSearchQuery)
        return;
    m_clipboardSearchQuery = query;
    m_searchBar->setQuery(query);
    if (m_isClipboardSearchFocused) {
        m_isClipboardKeyboardNavigationActive = false;
        m_model.setSelectedClipboardItemID(std::nullopt);
        m_model.setHighlightedClipboardItemID(std::nullopt);
    }
    refreshDisplayedClipboardItems();
    if (!isBlank(query) && m_callbacks.onSearch)
        m_callbacks.onSearch(query);
}

void NotchLauncherView::refreshDisplayedClipboardItems()
{
    m_clipboardSearchTask.cancel();
    m_pendingClipboardSearchSubmission = false;
    if (const std::optional<QList<ClipboardItem>> &demo = m_model.demoClipboardItems()) {
        const QString query = m_clipboardSearchQuery.trimmed();
        if (query.isEmpty()) {
            applySearchResults(*demo);
            return;
        }
        QList<ClipboardItem> matching;
        for (const ClipboardItem &item : *demo) {
            if (item.text().contains(query, Qt::CaseInsensitive))
                matching.append(item);
        }
        applySearchResults(matching);
        return;
    }
    m_clipboardSearchTask.start(runSearch(m_clipboardSearchQuery, m_model.selectedClipboardFilterID()));
}

Task<> NotchLauncherView::runSearch(QString query, std::optional<QUuid> filterId)
{
    QPointer<NotchLauncherView> self = this;
    // Let the caller store this task before it can finish.
    const bool cancelledAtStart = co_await isCancelled();
    if (cancelledAtStart || !self)
        co_return;
    std::optional<ClipboardFilter> filter;
    if (filterId && self->m_appState)
        filter = self->m_appState->filters()->filter(*filterId);
    Task<std::optional<QList<ClipboardItem>>> search = self->m_search(std::move(filter), std::move(query));
    const std::optional<std::optional<QList<ClipboardItem>>> result = co_await search;
    if (!self)
        co_return;
    const bool cancelled = co_await isCancelled();
    if (cancelled)
        co_return;
    if (!result || !*result) {
        // A failed search keeps the list, but must not leave the task standing: Return would wait forever.
        self->m_clipboardSearchTask.cancel();
        self->m_pendingClipboardSearchSubmission = false;
        co_return;
    }
    const QList<ClipboardItem> items = **result;
    self->m_clipboardSearchTask.cancel(); // this task, finishing: clears the field
    self->applySearchResults(items);
    if (self->m_pendingClipboardSearchSubmission) {
        self->m_pendingClipboardSearchSubmission = false;
        self->submitActiveClipboardItem();
    }
}

void NotchLauncherView::applySearchResults(const QList<ClipboardItem> &items)
{
    const bool idsChanged = idsOf(items) != idsOf(m_displayedClipboardItems);
    m_displayedClipboardItems = items;
    m_list->setItems(items);
    if (idsChanged)
        displayedIdsChanged();
    Q_EMIT displayedItemsChanged();
}

void NotchLauncherView::displayedIdsChanged()
{
    m_model.setVisibleClipboardItemCount(int(m_displayedClipboardItems.size()));
    if (m_model.displayedList() != NotchLauncherListKind::clipboard)
        return;
    if (m_callbacks.onContentLayoutChanged)
        m_callbacks.onContentLayoutChanged();
    if (!m_isClipboardSearchFocused) {
        // A collapsed panel keeps no selection of its own: after copies made meanwhile the newest item is the
        // one selected, so opening by hovering (which, unlike the hot key, resets nothing) does not show the
        // first copy of the day selected at the bottom, nor paste it on Return.
        if (!m_model.isExpanded() && !m_model.demoClipboardItems() && !m_displayedClipboardItems.isEmpty()
            && activeClipboardItemID() != m_displayedClipboardItems.first().id()) {
            m_model.setSelectedClipboardItemID(m_displayedClipboardItems.first().id());
            m_model.setHighlightedClipboardItemID(std::nullopt);
        }
        ensureValidClipboardSelection();
    }
    updateListState();
}

// --- Selection and keyboard ---

void NotchLauncherView::selectClipboardItem(const ClipboardItem &item)
{
    m_model.setSelectedClipboardItemID(item.id());
    m_model.setHighlightedClipboardItemID(item.id());
}

void NotchLauncherView::ensureValidClipboardSelection()
{
    const std::optional<QUuid> active = activeClipboardItemID();
    const QList<ClipboardItem> &items = m_displayedClipboardItems;
    if (active && std::any_of(items.cbegin(), items.cend(), [&](const ClipboardItem &i) { return i.id() == *active; }))
        return;
    if (!items.isEmpty()) {
        m_model.setSelectedClipboardItemID(items.first().id());
        m_model.setHighlightedClipboardItemID(std::nullopt);
        return;
    }
    m_model.setSelectedClipboardItemID(std::nullopt);
    m_model.setHighlightedClipboardItemID(std::nullopt);
}

namespace {

std::optional<qsizetype> indexOf(const QList<ClipboardItem> &items, const std::optional<QUuid> &id)
{
    if (!id)
        return std::nullopt;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).id() == *id)
            return i;
    }
    return std::nullopt;
}

} // namespace

void NotchLauncherView::moveClipboardSelection(int offset)
{
    if (m_displayedClipboardItems.isEmpty())
        return;
    const qsizetype base = indexOf(m_displayedClipboardItems, activeClipboardItemID()).value_or(0);
    const qsizetype target = std::clamp<qsizetype>(base + offset, 0, m_displayedClipboardItems.size() - 1);
    selectClipboardItem(m_displayedClipboardItems.at(target));
}

void NotchLauncherView::handleSearchFieldArrowDown()
{
    if (m_displayedClipboardItems.isEmpty())
        return;
    if (!m_isClipboardKeyboardNavigationActive) {
        m_isClipboardKeyboardNavigationActive = true;
        selectClipboardItem(m_displayedClipboardItems.first());
        return;
    }
    moveClipboardSelection(1);
}

void NotchLauncherView::handleSearchFieldArrowUp()
{
    if (!m_isClipboardKeyboardNavigationActive)
        return;
    const std::optional<qsizetype> index = indexOf(m_displayedClipboardItems, activeClipboardItemID());
    if (!index)
        return;
    if (*index == 0) {
        m_isClipboardKeyboardNavigationActive = false;
        m_model.setSelectedClipboardItemID(std::nullopt);
        m_model.setHighlightedClipboardItemID(std::nullopt);
        return;
    }
    moveClipboardSelection(-1);
}

void NotchLauncherView::submitActiveClipboardItem()
{
    if (m_clipboardSearchTask.isRunning()) {
        m_pendingClipboardSearchSubmission = true;
        return;
    }
    if (const std::optional<qsizetype> index = indexOf(m_displayedClipboardItems, activeClipboardItemID())) {
        const ClipboardItem item = m_displayedClipboardItems.at(*index);
        if (m_callbacks.onClipboardItemSelect)
            m_callbacks.onClipboardItemSelect(item);
        return;
    }
    if (m_displayedClipboardItems.isEmpty())
        return;
    const ClipboardItem first = m_displayedClipboardItems.first();
    selectClipboardItem(first);
    if (m_callbacks.onClipboardItemSelect)
        m_callbacks.onClipboardItemSelect(first);
}

EventDisposition NotchLauncherView::handleKeyDown(const KeyDownEvent &event)
{
    if (m_model.demoClipboardItems() || !m_model.isExpanded())
        return EventDisposition::Pass;
    if (!m_callbacks.ownsKeyboardEvent || !m_callbacks.ownsKeyboardEvent(event))
        return EventDisposition::Pass;
    // Any key of this panel keeps the pointer from collapsing it mid-typing.
    if (m_callbacks.onKeyboardActivity)
        m_callbacks.onKeyboardActivity();
    if (m_model.displayedList() == NotchLauncherListKind::recent) {
        // Space opens the details of the selected value; every other key, and Space typed into a field,
        // goes on.
        if (!m_isPointerInsideLauncher || event.keyCode != KeyCode::Space || m_model.isAISearchFocused()
            || (m_aiPane && m_aiPane->isManualValueFocused()) || m_suggestionPreviewWindow)
            return EventDisposition::Pass;
        showSuggestionPreview();
        return EventDisposition::Consume;
    }
    if (m_isClipboardSearchFocused || m_previewWindow)
        return EventDisposition::Pass;
    if (event.modifierFlags & ModifierFlag::DeviceIndependentShortcutMask)
        return EventDisposition::Pass;
    const std::optional<qsizetype> active = indexOf(m_displayedClipboardItems, activeClipboardItemID());
    switch (event.keyCode) {
    case KeyCode::Return:
    case KeyCode::KeypadEnter:
        if (!active)
            return EventDisposition::Pass;
        if (m_callbacks.onClipboardItemSelect)
            m_callbacks.onClipboardItemSelect(m_displayedClipboardItems.at(*active));
        return EventDisposition::Consume;
    case KeyCode::Space:
        if (!active)
            return EventDisposition::Pass;
        showPreview(m_displayedClipboardItems.at(*active));
        return EventDisposition::Consume;
    case KeyCode::UpArrow:
        m_isClipboardKeyboardNavigationActive = true;
        moveClipboardSelection(-1);
        return EventDisposition::Consume;
    case KeyCode::DownArrow:
        m_isClipboardKeyboardNavigationActive = true;
        moveClipboardSelection(1);
        return EventDisposition::Consume;
    default:
        return EventDisposition::Pass;
    }
}

void NotchLauncherView::clipboardRowHoverChanged(const ClipboardItem &item, bool isHovering)
{
    if (!isHovering) {
        if (m_model.highlightedClipboardItemID() == item.id())
            m_model.setHighlightedClipboardItemID(std::nullopt);
        return;
    }
    if (!m_model.isExpanded() || m_model.demoClipboardItems() || m_previewWindow)
        return;
    dropSearchFocus();
    m_isClipboardKeyboardNavigationActive = false;
    selectClipboardItem(item);
    if (m_callbacks.onClipboardListFocus)
        m_callbacks.onClipboardListFocus();
}

// --- Preview, deletion, header actions ---

void NotchLauncherView::showPreview(const ClipboardItem &item)
{
    if (m_callbacks.onClipboardPreview)
        m_callbacks.onClipboardPreview(item);
    closePreviewWindow();
    if (!m_previewPresenter.open)
        return;
    QPointer<NotchLauncherView> self = this;
    PreviewRequest request;
    request.items = m_displayedClipboardItems;
    request.selected = item;
    request.onSelectionChanged = [self](const ClipboardItem &selected) {
        if (self)
            self->selectClipboardItem(selected);
    };
    request.onPaste = [self](const ClipboardItem &pasted) {
        if (self && self->m_callbacks.onClipboardItemSelect)
            self->m_callbacks.onClipboardItemSelect(pasted);
    };
    request.onClose = [self] {
        if (self)
            self->m_previewWindow = nullptr;
    };
    m_previewWindow = m_previewPresenter.open(request);
}

void NotchLauncherView::closePreviewWindow()
{
    QObject *window = m_previewWindow;
    if (!window)
        return;
    m_previewWindow = nullptr;
    if (m_previewPresenter.close)
        m_previewPresenter.close(window);
}

FocusedFieldSuggestionPreviewWindow *NotchLauncherView::suggestionPreviewWindow() const
{
    return m_suggestionPreviewWindow;
}

void NotchLauncherView::showSuggestionPreview()
{
    const std::optional<NotchAIContext> &context = m_model.aiContext();
    const std::optional<QUuid> &selected = m_model.selectedAISuggestionID();
    if (!context || !selected)
        return;
    // Exactly the values the pane lists; random samples are never among them.
    const QList<FocusedFieldSuggestion> listed = filterFocusedFieldSuggestions(*context, m_model.aiSearchQuery());
    const auto found = std::find_if(listed.cbegin(), listed.cend(),
                                    [&](const FocusedFieldSuggestion &s) { return s.id == *selected; });
    if (found == listed.cend())
        return;
    const std::optional<ScreenInfo> screen = m_callbacks.keyWindowScreen ? m_callbacks.keyWindowScreen() : std::nullopt;
    QPointer<NotchLauncherView> self = this;
    auto *window = new FocusedFieldSuggestionPreviewWindow(m_platform, *found, [self] {
        if (self)
            self->m_suggestionPreviewWindow = nullptr;
    });
    m_suggestionPreviewWindow = window;
    window->show(screen);
}

void NotchLauncherView::closeSuggestionPreviewWindow()
{
    if (FocusedFieldSuggestionPreviewWindow *window = m_suggestionPreviewWindow)
        window->close();
    m_suggestionPreviewWindow = nullptr;
}

void NotchLauncherView::deleteClipboardItem(const ClipboardItem &item)
{
    closePreviewWindow();
    m_thumbnails.remove(item.id());
    if (m_history)
        m_history->deleteItems({item});
}

void NotchLauncherView::openSettings()
{
    if (m_appState)
        m_appState->runtime()->requestSettingsPresentation();
    if (m_callbacks.onSettingsOpen)
        m_callbacks.onSettingsOpen();
}

void NotchLauncherView::toggleFilters()
{
    m_model.toggleAreClipboardFiltersVisible();
    if (m_callbacks.onContentLayoutChanged)
        m_callbacks.onContentLayoutChanged();
}

void NotchLauncherView::selectListKind(NotchLauncherListKind kind)
{
    if (m_callbacks.onListKindSelect)
        m_callbacks.onListKindSelect(kind);
}

void NotchLauncherView::setFilterBar(QWidget *bar)
{
    if (m_filterBar == bar)
        return;
    delete m_filterBar;
    m_filterBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->hide();
    }
    layoutChildren();
}

// --- Pulse ---

void NotchLauncherView::pulse()
{
    const double t = now();
    const bool reduceMotion = panelPalette().reduceMotion;
    m_clipboardPulseTask.cancel();
    m_isClipboardPulseActive = true;
    if (!reduceMotion)
        m_clipboardLogoRotation.animateTo(m_clipboardLogoRotation.target() + 360, Animation::easeInOut(0.65), t);
    m_logoPulseScale.animateTo(reduceMotion ? 1 : 1.14, Animation::springWith(0.24, 0.58), t);
    m_logoLit.animateTo(1, Animation::easeInOut(0.18), t);
    m_clipboardPulseTask.start(runPulseEnd());
    update();
    requestFrame();
}

Task<> NotchLauncherView::runPulseEnd()
{
    QPointer<NotchLauncherView> self = this;
    const bool awake = co_await m_platform.clock->sleep(pulseDuration);
    if (!awake || !self)
        co_return;
    self->m_isClipboardPulseActive = false;
    const double t = self->now();
    self->m_logoPulseScale.animateTo(1, Animation::springWith(0.24, 0.58), t);
    const bool lit = self->m_model.isExpanded() && !self->m_model.isListSettled();
    self->m_logoLit.animateTo(lit ? 1 : 0, Animation::easeInOut(0.18), t);
    self->update();
    self->requestFrame();
}

// --- On and off screen ---

void NotchLauncherView::goOnScreen()
{
    if (m_isOnScreen)
        return;
    m_isOnScreen = true;
    refreshDisplayedClipboardItems();
    if (m_model.visibleClipboardItemCount() != m_displayedClipboardItems.size()) {
        m_model.setVisibleClipboardItemCount(int(m_displayedClipboardItems.size()));
        if (m_callbacks.onContentLayoutChanged)
            m_callbacks.onContentLayoutChanged();
    }
    if (!m_keyMonitor && m_platform.eventMonitors) {
        QPointer<NotchLauncherView> self = this;
        m_keyMonitor = m_platform.eventMonitors->addLocalKeyDownMonitor([self](const KeyDownEvent &event) {
            return self ? self->handleKeyDown(event) : EventDisposition::Pass;
        });
    }
}

void NotchLauncherView::goOffScreen()
{
    if (!m_isOnScreen)
        return;
    m_isOnScreen = false;
    dropSearchFocus();
    m_clipboardSearchTask.cancel();
    m_pendingClipboardSearchSubmission = false;
    if (m_keyMonitor && m_platform.eventMonitors)
        m_platform.eventMonitors->removeMonitor(*m_keyMonitor);
    m_keyMonitor.reset();
    closePreviewWindow();
    closeSuggestionPreviewWindow();
    m_clipboardPulseTask.cancel();
    m_isClipboardPulseActive = false;
}

void NotchLauncherView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    goOnScreen();
}

void NotchLauncherView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A window ordered out keeps its view: only the view's removal takes it off screen (the destructor).
}

// --- Pointer ---

void NotchLauncherView::pointerEntered()
{
    if (m_model.demoClipboardItems() || m_isPointerInsideLauncher)
        return;
    m_isPointerInsideLauncher = true;
    if (m_callbacks.onHoverChanged)
        m_callbacks.onHoverChanged(true);
}

void NotchLauncherView::pointerExited()
{
    if (!m_isPointerInsideLauncher)
        return;
    m_isPointerInsideLauncher = false;
    if (m_callbacks.onHoverChanged)
        m_callbacks.onHoverChanged(false);
}

void NotchLauncherView::pointerClicked(QPointF position)
{
    if (m_model.demoClipboardItems())
        return;
    if (!m_model.isExpanded()) {
        const std::optional<bool> hover =
            m_appState ? m_appState->settings()->settings().notchExpandOnHover : std::optional<bool>();
        if (hover == std::optional<bool>(false) && m_callbacks.onCollapsedTap)
            m_callbacks.onCollapsedTap();
        return;
    }
    const NotchHeaderLayout header = headerLayout();
    if (geometry().headerReveal < 0.5)
        return;
    if (header.clipboardTab.contains(position)) {
        selectListKind(NotchLauncherListKind::clipboard);
    } else if (header.showsRecentTab && header.recentTab.contains(position)) {
        selectListKind(NotchLauncherListKind::recent);
    } else if (header.showsFiltersToggle && header.filtersToggle.adjusted(-5, -5, 5, 5).contains(position)) {
        toggleFilters();
    } else if (header.settingsButton.contains(position)) {
        openSettings();
    }
}

void NotchLauncherView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    pointerEntered();
}

void NotchLauncherView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    pointerExited();
}

void NotchLauncherView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pointerClicked(event->position());
}

// --- Layout and painting ---

void NotchLauncherView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    modelChanged();
}

void NotchLauncherView::placeSearchBar()
{
    const NotchPanelGeometry g = geometry();
    if (m_model.isFloatingWindow()) {
        // The compact window has no header band: its search bar heads the list.
        m_searchBar->setGeometry(QRectF(12, 10, width() - 24, 28).toAlignedRect());
        m_searchBarOpacity->setEnabled(false);
        return;
    }
    // In the header (the clipboard's search bar or the field history's search field): faded with the
    // band's reveal and brought in by the search area's own entrance.
    const NotchHeaderEntrance::Look look =
        m_headerEntrances.look(NotchHeaderEntrances::Element::searchArea, now(), panelPalette().reduceMotion);
    const QRect place = headerLayout().searchArea.translated(look.offsetX, 0).toAlignedRect();
    const double opacity = std::clamp(g.headerReveal * look.opacity, 0.0, 1.0);
    const std::pair<QWidget *, QGraphicsOpacityEffect *> fields[] = {{m_searchBar, m_searchBarOpacity},
                                                                      {m_historySearchField, m_historySearchOpacity}};
    for (const auto &[field, effect] : fields) {
        if (!field->isVisible())
            continue;
        field->setGeometry(place);
        effect->setOpacity(opacity);
        effect->setEnabled(opacity < 0.999);
    }
}

void NotchLauncherView::layoutChildren()
{
    const NotchPanelGeometry g = geometry();
    const bool expanded = m_model.isExpanded();
    // The search bar in the header's search area.
    const NotchHeaderLayout header = headerLayout();
    const bool floating = m_model.isFloatingWindow();
    QRectF searchArea = header.searchArea;
    if (floating && expanded && m_model.displayedList() == NotchLauncherListKind::clipboard) {
        // The compact window has no header band: its search bar heads the list.
        searchArea = QRectF(12, 10, width() - 24, 28);
    }
    const bool showsSearch = expanded && header.search == NotchHeaderLayout::Search::clipboard
        && (floating || g.headerReveal > 0.01) && !searchArea.isEmpty() && searchArea.width() > 20;
    m_searchBar->setVisible(showsSearch);
    if (showsSearch)
        placeSearchBar();
    if (!showsSearch && m_isClipboardSearchFocused)
        dropSearchFocus(); // never keep the keyboard in a field that is not on screen
    // The compact window has no header band, and no history search either.
    const bool showsHistorySearch = expanded && header.search == NotchHeaderLayout::Search::fieldHistory && !floating
        && g.headerReveal > 0.01 && header.searchArea.width() > 20;
    m_historySearchField->setVisible(showsHistorySearch);
    if (showsHistorySearch)
        placeSearchBar();

    // The list area: the filter bar on top while filters show, then the list.
    QRectF area = g.listArea();
    if (floating && expanded && showsSearch)
        area.setTop(searchArea.bottom() + 6);
    area.translate(0, g.listOffsetY);
    const bool clipboard = m_model.displayedList() == NotchLauncherListKind::clipboard;
    const bool showsFilters = clipboard && m_model.areClipboardFiltersVisible() && m_filterBar;
    if (m_filterBar) {
        m_filterBar->setVisible(showsFilters && g.listOpacity > 0);
        if (showsFilters)
            m_filterBar->setGeometry(QRectF(area.left(), area.top(), area.width(), filterBarHeight).toAlignedRect());
    }
    // The list area unsqueezes from its top while it is revealed: what stands below the filter bar moves up
    // with it.
    if (clipboard && m_model.areClipboardFiltersVisible())
        area.setTop(area.top() + filterBarHeight * g.listScaleY);
    const bool showsList = clipboard && g.listOpacity > 0.01 && area.height() > 1;
    if (showsList)
        m_list->setGeometry(area.toAlignedRect());
    m_list->setVisible(showsList);
    m_list->setInteractive(g.listTakesInput && !m_model.demoClipboardItems());
    m_list->setReveal(g.listOpacity, g.listScaleY);
    if (m_aiPane) {
        const bool showsPane = g.listOpacity > 0.01 && area.height() > 1;
        if (showsPane) {
            const QRect paneRect = area.toAlignedRect();
            m_aiPane->setGeometry(paneRect);
            m_aiPane->setClipShape(chromePath().translated(-QPointF(paneRect.topLeft())));
        }
        m_aiPane->setAttribute(Qt::WA_TransparentForMouseEvents, !g.listTakesInput);
        m_aiPane->setVisible(showsPane);
    }
}

void NotchLauncherView::paintGlass(QPainter &painter, const QPainterPath &shape, const Palette &palette)
{
    const bool dark = palette.isDark();
    if (palette.translucency) {
        // Without the blur real glass has, what shows through stays sharp: light glass lets only a little
        // through, so grey text stays readable over a dark desktop.
        painter.fillPath(shape, dark ? QColor(28, 28, 30, 196) : QColor(250, 250, 252, 242));
    } else {
        // No compositor: an opaque neutral fill that still reads as glass, lit along its top.
        painter.fillPath(shape, dark ? QColor(38, 38, 41) : QColor(238, 238, 241));
        QLinearGradient sheen(shape.boundingRect().topLeft(), shape.boundingRect().bottomLeft());
        sheen.setColorAt(0, Palette::white(dark ? 0.05 : 0.35));
        sheen.setColorAt(1, Palette::white(0));
        painter.fillPath(shape, sheen);
        painter.save();
        painter.setClipPath(shape);
        painter.setPen(QPen(Palette::white(dark ? 0.12 : 0.7), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
        painter.restore();
    }
    painter.fillPath(shape, Palette::black(dark ? 0.1 : 0.05));
}

void NotchLauncherView::paintChrome(QPainter &painter, const NotchPanelGeometry &g, const Palette &palette)
{
    const QPainterPath chrome = g.chrome.path(QRectF(rect()));
    if (m_model.isFloatingWindow()) {
        paintGlass(painter, chrome, palette);
        return;
    }
    if (!m_model.isExpanded() || g.contentHeight <= 0) {
        painter.fillPath(chrome, Qt::black);
        return;
    }
    // The list area's glass under a black band that continues the notch and fades into it.
    const double radius = std::max(g.chrome.bottomCornerRadius, 0.0);
    const QRectF glassRect((width() - g.innerWidth) / 2, g.topInset - 1, g.innerWidth, g.contentHeight);
    const QPainterPath glass = CornerPath::continuousRoundedRect(glassRect, CornerPath::Radii{0, 0, radius, radius});
    painter.save();
    painter.setClipPath(chrome);
    paintGlass(painter, glass, palette);
    const NotchPanelGeometry::BandFade fade = g.bandFade(palette.isDark());
    const double depth = fade.depth;
    const double p = depth <= 1 ? std::min(fade.solidUntil, 1.0) : std::min(fade.solidUntil / depth, 1.0);
    QLinearGradient band(0, 0, 0, depth);
    band.setColorAt(0, Qt::black);
    band.setColorAt(p, Qt::black);
    band.setColorAt(p + (1 - p) * 0.22, Palette::black(0.82));
    band.setColorAt(p + (1 - p) * 0.58, Palette::black(0.42));
    band.setColorAt(1, Palette::black(0));
    QPainterPath masked = chrome.intersected([&] {
        QPainterPath top;
        top.addRect(QRectF(0, 0, width(), depth));
        return top;
    }());
    painter.fillPath(masked, band);
    painter.restore();
}

void NotchLauncherView::paintHeader(QPainter &painter, const NotchPanelGeometry &g, const Palette &palette)
{
    const double t = now();
    const NotchHeaderLayout header = headerLayout();
    const bool dark = palette.isDark();
    const double reveal = g.headerReveal;
    if (m_model.isExpanded() && reveal > 0 && !m_model.isFloatingWindow()) {
        painter.save();
        painter.setOpacity(reveal);
        using Element = NotchHeaderEntrances::Element;
        auto entering = [&](const QRectF &rect, Element element, const std::function<void()> &draw) {
            const NotchHeaderEntrance::Look look = m_headerEntrances.look(element, t, palette.reduceMotion);
            painter.save();
            painter.setOpacity(painter.opacity() * std::clamp(look.opacity, 0.0, 1.0));
            const QPointF centre = rect.center() + QPointF(look.offsetX, 0);
            painter.translate(centre);
            painter.rotate(look.rotationDegrees);
            painter.translate(-rect.center());
            draw();
            painter.restore();
        };
        const bool notchLayout = header.isNotchLayout;
        if (header.showsRecentTab) {
            const bool selected = m_model.selectedList() == NotchLauncherListKind::recent;
            entering(header.recentTab, Element::recentTab, [&] {
                painter.setRenderHint(QPainter::Antialiasing);
                double fill = 0;
                if (notchLayout)
                    fill = selected ? (dark ? 0.18 : 0.22) : (dark ? 0.08 : 0.12);
                else if (selected)
                    fill = dark ? 0.12 : 0.42;
                painter.setPen(Qt::NoPen);
                painter.setBrush(Palette::white(fill));
                painter.drawEllipse(header.recentTab);
                if (notchLayout) {
                    painter.setPen(QPen(Palette::white(dark ? 0.16 : 0.2), 0.8));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawEllipse(header.recentTab.adjusted(0.4, 0.4, -0.4, -0.4));
                }
                const double opacity = selected ? 1.0 : (notchLayout ? 0.86 : 0.65);
                const QRectF icon(header.recentTab.center() - QPointF(7, 7), QSizeF(14, 14));
                m_symbols.draw(painter, QStringLiteral("clock.arrow.circlepath"), icon, Palette::white(opacity));
                TutorialOutline::tutorialOutline(painter, [&] {
                    QPainterPath circle;
                    circle.addEllipse(header.recentTab);
                    return circle;
                }(), 1.2, m_model.demoHighlights().contains(NotchDemoHighlight::history) ? 1 : 0);
            });
        }
        if (m_model.demoHighlights().contains(NotchDemoHighlight::clipboard)) {
            QPainterPath circle;
            circle.addEllipse(header.clipboardTab);
            TutorialOutline::tutorialOutline(painter, circle, 1.2, 1);
        }
        if (header.showsFiltersToggle) {
            entering(header.filtersToggle, Element::filtersToggle, [&] {
                const QString symbol = m_model.areClipboardFiltersVisible() ? QStringLiteral("chevron.down")
                                                                             : QStringLiteral("chevron.up");
                m_symbols.draw(painter, symbol, header.filtersToggle.adjusted(2, 2, -2, -2), Palette::white(0.86));
            });
        }
        entering(header.settingsButton, Element::settingsButton, [&] {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Palette::white(dark ? 0.1 : 0.18));
            painter.drawEllipse(header.settingsButton);
            const QRectF icon(header.settingsButton.center() - QPointF(7, 7), QSizeF(14, 14));
            m_symbols.draw(painter, QStringLiteral("gearshape.fill"), icon, Palette::white(0.92));
            QPainterPath circle;
            circle.addEllipse(header.settingsButton);
            TutorialOutline::tutorialOutline(painter, circle, 1.2,
                                             m_model.demoHighlights().contains(NotchDemoHighlight::settings) ? 1 : 0);
        });
        painter.restore();
        if (m_headerEntrances.isAnimating(t))
            requestFrame();
    }
    // The logo, always: centred while collapsed, at the band's leading edge while expanded.
    if (!m_model.isFloatingWindow()) {
        const TavlenLogo current = logo();
        const QPointF centre(width() / 2.0, g.topGap + g.topBand / 2);
        current.paint(painter, centre, &m_logoCache);
        if (m_logoLit.isAnimating(t) || m_logoExpansion.isAnimating(t) || m_logoPulseScale.isAnimating(t)
            || m_clipboardLogoRotation.isAnimating(t))
            requestFrame();
    }
}

void NotchLauncherView::paintRecentPlaceholder(QPainter &painter, const QRectF &area, const Palette &palette)
{
    const QRectF box(area.left(), area.top(), area.width(), std::max(84.0, std::min(area.height(), 120.0)));
    painter.save();
    const QRectF icon(box.center().x() - 9, box.top() + 16, 18, 18);
    m_symbols.draw(painter, QStringLiteral("text.cursor"), icon, palette.secondary());
    painter.setPen(palette.secondary());
    painter.setFont(FontTable::systemFont(12, QFont::Medium));
    painter.drawText(QRectF(box.left(), icon.bottom() + 6, box.width(), 16), Qt::AlignCenter, QStringLiteral("No field selected"));
    painter.setFont(FontTable::systemFont(11, QFont::Medium));
    painter.drawText(QRectF(box.left(), icon.bottom() + 24, box.width(), 16), Qt::AlignCenter,
                     QStringLiteral("Select a text field to view its history."));
    painter.restore();
}

void NotchLauncherView::paintEvent(QPaintEvent *)
{
    const NotchPanelGeometry g = geometry();
    const bool floating = m_model.isFloatingWindow();
    // The collapsed floating window is not drawn at all.
    if (floating && !m_model.isExpanded())
        return;
    const Palette colors = panelPalette();
    QPainter painter(this);
    const QPainterPath chrome = g.chrome.path(QRectF(rect()));
    // The chrome (glass, tint and black band) changes only with the frame and the scheme: it is drawn into
    // an image once and put back on every other frame.
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const BackgroundKey key{size(),
                            dpr,
                            colors.isDark(),
                            colors.translucency,
                            floating,
                            m_model.isExpanded(),
                            g.topInset,
                            g.contentHeight,
                            g.innerWidth,
                            g.chrome.bottomCornerRadius,
                            g.chrome.shoulderDepth,
                            g.chrome.shoulderCurveFactor};
    if (m_background.isNull() || !(key == m_backgroundKey)) {
        const QSize pixels(int(std::ceil(width() * dpr)), int(std::ceil(height() * dpr)));
        m_background = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_background.setDevicePixelRatio(dpr);
        m_background.fill(Qt::transparent);
        QPainter background(&m_background);
        background.setRenderHint(QPainter::Antialiasing);
        background.setClipPath(chrome);
        paintChrome(background, g, colors);
        m_backgroundKey = key;
    }
    painter.drawImage(QPointF(0, 0), m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(chrome);
    paintHeader(painter, g, colors);
    if (m_model.isExpanded() && m_model.displayedList() == NotchLauncherListKind::recent && !m_model.aiContext()
        && g.listOpacity > 0) {
        const QRectF area = g.listArea().translated(0, g.listOffsetY);
        painter.setOpacity(g.listOpacity);
        painter.translate(0, area.top());
        painter.scale(1, g.listScaleY);
        painter.translate(0, -area.top());
        paintRecentPlaceholder(painter, area, colors);
    }
}
