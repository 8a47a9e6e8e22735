#include "launcher/panel/NotchLauncherView.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "fields/views/NotchAIContentView.h"
#include "fields/views/NotchHistorySearchField.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchLauncherViewAccessible.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"
#include "ui/NotchListSearchBar.h"
#include "ui/TransformFadeEffect.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "preview/ClipboardItemContextMenuModifier.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

NotchLauncherView::NotchLauncherView(const Platform &platform, NotchLauncherViewModel &model, AppState *appState,
                                     ClipboardHistoryManager *history, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_model(model)
    , m_appState(appState)
    , m_history(history)
    , m_ticker(*platform.clock, [this] { frameTick(); })
    , m_painter(m_symbols)
{
    // Qt keeps one factory list for the process; this adds the header's buttons to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(NotchLauncherViewAccessible::factory), true);
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);

    // The search field in its bar (placed in the header).
    m_searchField = new NotchClipboardSearchTextField;
    m_search = new NotchClipboardSearch(m_model, appState, history, this);
    m_previews = new NotchLauncherPreviews(platform, m_model, this);
    m_navigation = new NotchKeyboardNavigation(platform, m_model, *m_search, *m_previews, m_searchField, this);
    m_logoPulse = new NotchLogoPulse(platform, m_model, this);
    connect(m_search, &NotchClipboardSearch::displayedItemsChanged, this, &NotchLauncherView::displayedItemsReplaced);
    connect(m_search, &NotchClipboardSearch::pendingSubmissionDue, m_navigation,
            &NotchKeyboardNavigation::submitActiveClipboardItem);
    connect(m_navigation, &NotchKeyboardNavigation::clipboardItemSelected, this, &NotchLauncherView::clipboardItemSelected);
    connect(m_navigation, &NotchKeyboardNavigation::clipboardListFocusRequested, this,
            &NotchLauncherView::clipboardListFocusRequested);
    connect(m_previews, &NotchLauncherPreviews::clipboardPreviewOpening, this, &NotchLauncherView::clipboardPreviewOpening);
    connect(m_previews, &NotchLauncherPreviews::selectionChanged, m_navigation, &NotchKeyboardNavigation::selectClipboardItem);
    connect(m_previews, &NotchLauncherPreviews::pasteRequested, this, &NotchLauncherView::clipboardItemSelected);
    // The pulse's first and last frames come on the shared beat too, a thirtieth of a second later at most.
    connect(m_logoPulse, &NotchLogoPulse::changed, this, [this] {
        if (isSeen())
            requestLogoFrame();
    });

    m_searchField->onArrowDown = [this] { m_navigation->handleSearchFieldArrowDown(); };
    m_searchField->onArrowUp = [this] { m_navigation->handleSearchFieldArrowUp(); };
    m_searchField->onSubmit = [this] { m_navigation->submitActiveClipboardItem(); };
    m_searchField->onFocusChanged = [this](bool focused) { m_navigation->setClipboardSearchFocused(focused); };
    m_searchField->isListNavigated = [this] {
        return m_navigation->isClipboardKeyboardNavigationActive() && activeClipboardItemID().has_value();
    };
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
        Q_EMIT clipboardItemSelected(item);
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
    list.isTypingInSearch = [this] {
        return m_navigation->isClipboardSearchFocused() && !m_navigation->isClipboardKeyboardNavigationActive();
    };
    m_list = new NotchClipboardList(platform, [this] { return rowPaintContext(); }, std::move(list), this);
    m_list->hide();
    connect(&m_thumbnails, &ClipboardThumbnailCache::thumbnailReady, m_list, [this] { m_list->update(); });

    // The field history's search field, placed in the header while the recent list is selected; its pane
    // is built while it is on screen (syncAIPane).
    // The header band is black in either colour scheme: the field is drawn for a dark background.
    m_historySearchField = new NotchHistorySearchField(m_symbols, [this] { return searchBarPalette(); }, [this] { return now(); }, this);
    m_historySearchField->onQueryChange = [this](const QString &query) { m_model.setAISearchQuery(query); };
    m_historySearchField->onFocusChange = [this](bool focused) { m_model.setIsAISearchFocused(focused); };
    m_historySearchField->textField()->installEventFilter(this);
    m_searchField->installEventFilter(this);
    m_historySearchOpacity = new QGraphicsOpacityEffect(m_historySearchField);
    m_historySearchOpacity->setEnabled(false);
    m_historySearchField->setGraphicsEffect(m_historySearchOpacity);
    m_historySearchField->hide();

    // The change handlers.
    connect(&m_model, &NotchLauncherViewModel::changed, this, &NotchLauncherView::modelChanged);
    connect(&m_model, &NotchLauncherViewModel::demoClipboardItemsChanged, m_search,
            &NotchClipboardSearch::refreshDisplayedClipboardItems);
    connect(&m_model, &NotchLauncherViewModel::selectedClipboardFilterIDChanged, m_search,
            &NotchClipboardSearch::refreshDisplayedClipboardItems);
    connect(&m_model, &NotchLauncherViewModel::clipboardSearchFocusRequestChanged, this,
            &NotchLauncherView::focusRequestChanged);
    for (auto signal : {&NotchLauncherViewModel::aiContextChanged, &NotchLauncherViewModel::selectedAISuggestionIDChanged,
                        &NotchLauncherViewModel::aiSearchQueryChanged, &NotchLauncherViewModel::displayedListChanged,
                        &NotchLauncherViewModel::demoHighlightsChanged, &NotchLauncherViewModel::isFloatingWindowChanged,
                        &NotchLauncherViewModel::isExpandedChanged})
        connect(&m_model, signal, this, &NotchLauncherView::syncAIPane);
    connect(&m_model, &NotchLauncherViewModel::isAISearchFocusedChanged, this, &NotchLauncherView::aiSearchFocusChanged);
    if (history) {
        connect(history, &ClipboardHistoryManager::storageRevisionChanged, m_search, &NotchClipboardSearch::historyChanged);
        connect(history, &ClipboardHistoryManager::searchRevisionChanged, m_search, &NotchClipboardSearch::historyChanged);
        connect(history, &ClipboardHistoryManager::searchPresentationsChanged, m_list, [this] { m_list->update(); });
    }
    if (appState) {
        connect(appState->runtime(), &RuntimeState::clipboardPulseTokenChanged, this,
                [this] { m_logoPulse->pulse(panelPalette().reduceMotion); });
        connect(appState->filters(), &FilterManager::filtersChanged, m_search, &NotchClipboardSearch::historyChanged);
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
    m_lastSuspended = m_model.isDesktopSwitchSuspended();
    m_lastDisplayedList = m_model.displayedList();
    m_lastFocusRequest = m_model.clipboardSearchFocusRequest();
    updateHeaderEntrances();
    syncAIPane();
}

NotchLauncherView::~NotchLauncherView()
{
    goOffScreen();
    // The children go after this destructor: what they report on their way out reaches no one.
    disconnect(&m_model, nullptr, this, nullptr);
    disconnect(m_search, nullptr, this, nullptr);
    disconnect(m_navigation, nullptr, this, nullptr);
    disconnect(m_previews, nullptr, this, nullptr);
    disconnect(m_logoPulse, nullptr, this, nullptr);
    m_searchField->onFocusChanged = nullptr;
    m_historySearchField->onQueryChange = nullptr;
    m_historySearchField->onFocusChange = nullptr;
    if (m_aiPane)
        m_aiPane->setCallbacks({});
}

double NotchLauncherView::now() const
{
    return m_frameTime ? *m_frameTime : m_platform.clock->uptime();
}

void NotchLauncherView::requestFrame()
{
    m_wholeFrameRequested = true;
    m_ticker.requestFrame();
}

void NotchLauncherView::requestLogoFrame()
{
    m_ticker.requestSlowFrame();
}

bool NotchLauncherView::isSeen() const
{
    return isVisible() && window()->windowOpacity() > 0;
}

void NotchLauncherView::repaintLogo()
{
    const QRect now = logoRect();
    // Painted at once rather than posted: a frame on the beat then costs one turn of the event loop.
    repaint(now.united(m_lastLogoRect));
    m_lastLogoRect = now;
}

NotchRowPaintContext NotchLauncherView::rowPaintContext()
{
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
    in.shownListReveal = m_listReveal.value(now());
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


TavlenLogo NotchLauncherView::logo() const
{
    if (m_frameTime && m_frameLogo)
        return *m_frameLogo;
    const TavlenLogo current =
        m_logoPulse->logo(now(), panelPalette(), geometry().expandedLogoOffset(m_model.expandedHeaderWidth()));
    if (m_frameTime)
        m_frameLogo = current;
    return current;
}

QPointF NotchLauncherView::logoCentre() const
{
    const NotchPanelGeometry g = geometry();
    return QPointF(width() / 2.0, g.topGap + g.topBand / 2);
}

QRect NotchLauncherView::logoRect() const
{
    if (m_model.isFloatingWindow())
        return {};
    const TavlenLogo current = logo();
    // The turned artwork reaches past its square's half side, the swell's spring overshoots a little and
    // the glow spreads beyond both.
    const double half = TavlenLogo::size * std::max(current.scale, 1.0) * 0.75 + current.shadowRadius + 2;
    const QPointF centre = logoCentre() + current.offset;
    return QRectF(centre - QPointF(half, half), centre + QPointF(half, half)).toAlignedRect();
}

// --- Model changes ---

void NotchLauncherView::modelChanged()
{
    const bool reduceMotion = panelPalette().reduceMotion;
    m_logoPulse->modelChanged(reduceMotion);
    const bool expanded = m_model.isExpanded();
    if (expanded != m_lastExpanded) {
        m_lastExpanded = expanded;
        if (!expanded) {
            m_navigation->dropSearchFocus();
        } else {
            m_search->relistIfStale();
            if (m_presenceEffect)
                m_presenceEffect->release();
        }
    }
    const bool suspended = m_model.isDesktopSwitchSuspended();
    if (suspended != m_lastSuspended) {
        m_lastSuspended = suspended;
        if (suspended) {
            m_navigation->dropSearchFocus();
            clearHistorySearchFocus();
            m_previews->closeAll();
        }
    }
    const NotchLauncherListKind displayed = m_model.displayedList();
    if (displayed != m_lastDisplayedList) {
        m_lastDisplayedList = displayed;
        if (displayed == NotchLauncherListKind::recent) {
            m_navigation->dropSearchFocus();
            m_navigation->endKeyboardNavigation();
        }
    }
    updateListState();
    applySearchFieldColors();
    updateHeaderEntrances();
    m_floatingPresence.update(m_model.isFloatingWindow(), expanded, now(), reduceMotion);
    // The compact window shows its list at once, and a view nobody sees yet too. Collapsed, the list is
    // hidden at once: its reveal has nothing to show on the way down, and the next expansion fades in from 0.
    m_listReveal.update(geometry().listReveal, m_model.isFloatingWindow() || !expanded || !isSeen(), now(),
                        reduceMotion);
    layoutChildren();
    applyFloatingPresence();
    update();
    requestFrame();
}

QPainterPath NotchLauncherView::presentedChromePath() const
{
    const QPainterPath path = chromePath();
    if (!m_model.isFloatingWindow())
        return path;
    return m_floatingPresence.transform(width(), now()).map(path);
}

void NotchLauncherView::holdLookWhileCollapsing()
{
    if (!m_presenceEffect || !m_model.isFloatingWindow() || !m_model.isExpanded() || !isSeen())
        return;
    // Drawn as it stands, without the growing that may still be under way.
    m_presenceEffect->setEnabled(false);
    m_presenceEffect->hold(grab());
}

void NotchLauncherView::applyFloatingPresence()
{
    const double t = now();
    // Only the compact window scales and fades: a panel at the notch draws straight, without an effect.
    if (m_model.isFloatingWindow() && !m_presenceEffect) {
        m_presenceEffect = new TransformFadeEffect(this);
        setGraphicsEffect(m_presenceEffect);
    }
    if (m_presenceEffect) {
        // What was shown is held until the shrinking ends (a new expansion shows the live content at once).
        if (!m_floatingPresence.isAnimating(t) && !m_model.isExpanded())
            m_presenceEffect->release();
        m_presenceEffect->setLook(m_model.isFloatingWindow() ? m_floatingPresence.transform(width(), t) : QTransform(),
                                  m_floatingPresence.opacity(t));
        m_presenceEffect->setEnabled(!m_presenceEffect->isAtRest());
    }
    const QPainterPath path = presentedChromePath();
    if (path != m_lastPath) {
        m_lastPath = path;
        Q_EMIT chromeShapeChanged(path);
    }
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
    const bool whole = std::exchange(m_wholeFrameRequested, false);
    // The window's outline follows the shrinking also where nothing is drawn (it is the window's shape).
    if (m_floatingPresence.isAnimating(now()) || (m_presenceEffect && m_presenceEffect->isHolding())) {
        applyFloatingPresence();
        if (m_floatingPresence.isAnimating(now()))
            requestLogoFrame();
    }
    followListReveal();
    if (!isSeen())
        return;
    if (whole) {
        update();
    } else {
        m_frameTime = m_platform.clock->uptime();
        const auto unpin = qScopeGuard([this] {
            m_frameTime.reset();
            m_frameLogo.reset();
        });
        if (!m_logoPulse->isAnimating(now()) || !m_paintedLogo || !logo().looksLike(*m_paintedLogo))
            repaintLogo(); // a motion's last frame is always drawn: the logo rests exactly where it ends
        else
            requestLogoFrame(); // moving, but too little yet to be seen
    }
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
        if (m_navigation->isClipboardKeyboardNavigationActive() && active) {
            m_list->scrollToItem(*active);
        } else if ((!m_model.isExpanded() || m_search->isCatchingUp())
                   && (!active || (!displayedClipboardItems().isEmpty() && displayedClipboardItems().first().id() == *active))) {
            // Closed long enough for its selection to reset, or copies made meanwhile put the newest first
            // in line: the list shows its top. Otherwise it opens where it was left.
            m_list->scrollTo(0, false);
        }
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
    pane.onSuggestionSelect = [this](const FocusedFieldSuggestion &suggestion) { Q_EMIT aiSuggestionSelected(suggestion); };
    pane.onContentLayoutChanged = [this] { Q_EMIT contentLayoutChanged(); };
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
    const bool textInput = watched == m_searchField || watched == m_historySearchField->textField()
        || (m_aiPane && watched == m_aiPane->manualField());
    if (textInput && event->type() == QEvent::MouseButtonPress)
        Q_EMIT textInputFocusRequested();
    return QWidget::eventFilter(watched, event);
}

void NotchLauncherView::focusRequestChanged()
{
    const int request = m_model.clipboardSearchFocusRequest();
    if (request == m_lastFocusRequest)
        return;
    m_lastFocusRequest = request;
    if (m_model.isDesktopSwitchSuspended())
        return;
    setClipboardSearchQuery(QString());
    m_navigation->endKeyboardNavigation();
    m_navigation->clearSelection();
    // A fresh start (the hot key, a click on the notch) shows the newest rows.
    m_list->scrollTo(0, false);
    m_navigation->focusSearchSoon();
}

// --- Search ---

void NotchLauncherView::setClipboardSearchQuery(const QString &query)
{
    if (m_searchField->text() != query)
        m_searchField->setText(query); // comes back here through textChanged
    if (!m_search->setClipboardSearchQuery(query))
        return;
    m_searchBar->setQuery(query);
    if (m_navigation->isClipboardSearchFocused()) {
        m_navigation->endKeyboardNavigation();
        m_navigation->clearSelection();
    }
    m_search->refreshDisplayedClipboardItems();
    if (!query.trimmed().isEmpty())
        Q_EMIT searched(query);
}

void NotchLauncherView::displayedItemsReplaced(bool idsChanged)
{
    m_list->setItems(displayedClipboardItems());
    const bool showsClipboard = m_model.displayedList() == NotchLauncherListKind::clipboard;
    if (idsChanged) {
        m_model.setVisibleClipboardItemCount(int(displayedClipboardItems().size()));
        if (showsClipboard)
            Q_EMIT contentLayoutChanged();
    }
    if (showsClipboard && idsChanged) {
        m_navigation->displayedItemsReplaced();
        updateListState();
    }
    Q_EMIT displayedItemsChanged();
}

// --- Keys ---

EventDisposition NotchLauncherView::handleKeyDown(const KeyDownEvent &event)
{
    if (m_model.demoClipboardItems() || !m_model.isExpanded())
        return EventDisposition::Pass;
    if (!m_host.ownsKeyboardEvent || !m_host.ownsKeyboardEvent(event))
        return EventDisposition::Pass;
    // Any key of this panel keeps the pointer from collapsing it mid-typing.
    Q_EMIT keyboardActivity();
    if (m_model.displayedList() == NotchLauncherListKind::recent) {
        // Space opens the details of the selected value; every other key, and Space typed into a field,
        // goes on.
        if (!m_isPointerInsideLauncher || event.key != Qt::Key_Space || m_model.isAISearchFocused()
            || (m_aiPane && m_aiPane->isManualValueFocused()) || m_previews->suggestionPreviewWindow())
            return EventDisposition::Pass;
        m_previews->showSuggestionPreview(m_host.keyboardWindowScreen ? m_host.keyboardWindowScreen() : std::nullopt);
        return EventDisposition::Consume;
    }
    if (event.key == Qt::Key_Tab && !m_navigation->isClipboardSearchFocused() && !m_previews->isPreviewOpen()) {
        // The search field and the list are the panel's two stops: Shift+Tab goes back to the field, Tab
        // stays on the list.
        if (event.modifiers & Qt::ShiftModifier)
            m_navigation->setClipboardSearchFocused(true);
        return EventDisposition::Consume;
    }
    return m_navigation->handleKeyDown(event);
}

// --- Deletion, header actions ---

void NotchLauncherView::deleteClipboardItem(const ClipboardItem &item)
{
    m_previews->closePreviewWindow();
    m_thumbnails.remove(item.id());
    m_list->expectRemoval(item.id());
    if (m_history)
        m_history->deleteItems({item});
}

void NotchLauncherView::openSettings()
{
    // The launcher makes way first, so the keyboard it hands back cannot land after the settings window's.
    Q_EMIT settingsOpened();
    if (m_appState)
        m_appState->runtime()->requestSettingsPresentation();
}

void NotchLauncherView::toggleFilters()
{
    m_model.toggleAreClipboardFiltersVisible();
    Q_EMIT contentLayoutChanged();
}

void NotchLauncherView::selectListKind(NotchLauncherListKind kind)
{
    Q_EMIT listKindSelected(kind);
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

// --- On and off screen ---

void NotchLauncherView::goOnScreen()
{
    if (m_isOnScreen)
        return;
    m_isOnScreen = true;
    m_search->refreshDisplayedClipboardItems();
    if (m_model.visibleClipboardItemCount() != displayedClipboardItems().size()) {
        m_model.setVisibleClipboardItemCount(int(displayedClipboardItems().size()));
        Q_EMIT contentLayoutChanged();
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
    m_navigation->dropSearchFocus();
    m_search->cancel();
    if (m_keyMonitor && m_platform.eventMonitors)
        m_platform.eventMonitors->removeMonitor(*m_keyMonitor);
    m_keyMonitor.reset();
    m_previews->closeAll();
    m_logoPulse->stop();
}

void NotchLauncherView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    goOnScreen();
}

void NotchLauncherView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden window keeps its view: only the view's removal takes it off screen (the destructor).
}

// --- Pointer ---

void NotchLauncherView::pointerEntered()
{
    if (m_model.demoClipboardItems() || m_isPointerInsideLauncher)
        return;
    m_isPointerInsideLauncher = true;
    Q_EMIT hoverChanged(true);
}

void NotchLauncherView::pointerExited()
{
    if (!m_isPointerInsideLauncher)
        return;
    m_isPointerInsideLauncher = false;
    Q_EMIT hoverChanged(false);
}

void NotchLauncherView::pointerClicked(QPointF position)
{
    if (m_model.demoClipboardItems())
        return;
    if (!m_model.isExpanded()) {
        const std::optional<bool> hover =
            m_appState ? m_appState->settings()->settings().notchExpandOnHover : std::optional<bool>();
        if (hover == std::optional<bool>(false))
            Q_EMIT collapsedTapped();
        return;
    }
    const NotchHeaderLayout header = headerLayout();
    if (geometry().headerReveal < 0.5 || m_model.isFloatingWindow())
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

bool NotchLauncherView::canOpenOnPress() const
{
    return !m_model.isExpanded() && !m_model.demoClipboardItems();
}

void NotchLauncherView::openOnPress()
{
    if (canOpenOnPress())
        Q_EMIT collapsedTapped();
}

QList<NotchHeaderLayout::Control> NotchLauncherView::headerControls() const
{
    // The compact window draws no header band, so it has none of its buttons.
    if (!m_model.isExpanded() || m_model.isFloatingWindow() || geometry().headerReveal < 0.5)
        return {};
    return headerLayout().controls(m_model.areClipboardFiltersVisible());
}

QString NotchLauncherView::headerToolTip(QPointF position) const
{
    for (const NotchHeaderLayout::Control &control : headerControls()) {
        if (control.hitArea.contains(position))
            return control.title;
    }
    return {};
}

bool NotchLauncherView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = headerToolTip(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
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
    if (!showsSearch && m_navigation->isClipboardSearchFocused())
        m_navigation->dropSearchFocus(); // never keep the keyboard in a field that is not on screen
    m_navigation->setSearchFieldShown(showsSearch);
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
    if (showsList) {
        const QRect listRect = area.toAlignedRect();
        m_list->setGeometry(listRect);
        m_list->setClipShape(chromePath().translated(-QPointF(listRect.topLeft())));
    }
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

void NotchLauncherView::followListReveal()
{
    const bool moving = m_listReveal.isAnimating(now());
    // The frame the motion ends in is laid out too: the list rests exactly at its reveal.
    if (!moving && !std::exchange(m_isListRevealMoving, false))
        return;
    m_isListRevealMoving = moving;
    layoutChildren();
    // Only the list area changes (the list itself repaints as its reveal changes); it slides up to 18 points.
    update(geometry().listArea().adjusted(0, -18, 0, 0).toAlignedRect());
    if (moving)
        m_ticker.requestFrame();
}

void NotchLauncherView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const NotchLauncherPainter::Motion moving = m_painter.paint(painter, *this, event->rect());
    m_lastLogoRect = logoRect();
    if (event->rect().intersects(m_lastLogoRect))
        m_paintedLogo = logo();
    if (moving.header)
        requestFrame();
    else if (moving.logo)
        requestLogoFrame();
}
