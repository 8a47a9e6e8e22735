#pragma once
// The root view of a launcher window: the black notch chrome hanging from the top edge (or the compact
// floating window), the header band with the logo, tabs, search and settings, and the list area with the
// clipboard list or the field history pane. It puts its parts together and lays them out: the search
// (NotchClipboardSearch), the selection and keys (NotchKeyboardNavigation), the logo's pulse
// (NotchLogoPulse), the windows it opens (NotchLauncherPreviews) and the drawing (NotchLauncherPainter).
// It tells its window what happens through its signals. The window owns every frame: the view fills the
// size it is given and asks for a new measure through contentLayoutChanged.

#include "clipboard/ClipboardThumbnailCache.h"
#include "fields/FocusedFieldSuggestion.h"
#include "launcher/panel/NotchChromeShape.h"
#include "launcher/panel/NotchClipboardSearch.h"
#include "launcher/panel/NotchFloatingPresence.h"
#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchHeaderLayout.h"
#include "launcher/panel/NotchKeyboardNavigation.h"
#include "launcher/panel/NotchLauncherPainter.h"
#include "launcher/panel/NotchLauncherPreviews.h"
#include "launcher/panel/NotchListReveal.h"
#include "launcher/panel/NotchLogoPulse.h"
#include "launcher/panel/NotchPanelGeometry.h"
#include "model/ClipboardItem.h"
#include "model/NotchLauncherListKind.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "ui/FrameTicker.h"
#include "ui/NotchListTimestamp.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"
#include "ui/TavlenLogo.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class ClipboardHistoryManager;
class FocusedFieldSuggestionPreviewWindow;
class NotchAIContentView;
class NotchClipboardList;
class NotchHistorySearchField;
class NotchClipboardSearchTextField;
class NotchLauncherViewModel;
class NotchListSearchBar;
class QGraphicsOpacityEffect;
class TransformFadeEffect;
struct NotchRowPaintContext;

class NotchLauncherView : public QWidget {
    Q_OBJECT
public:
    // What the view asks its window; either may be left empty.
    struct Host {
        // Whether this panel may act on a key (it belongs to the panel's own window).
        std::function<bool(const KeyDownEvent &)> ownsKeyboardEvent;
        // The screen of our window that has the keyboard, if there is one (details windows open there).
        std::function<std::optional<ScreenInfo>()> keyboardWindowScreen;
    };
    using PreviewRequest = NotchLauncherPreviews::PreviewRequest;
    using PreviewPresenter = NotchLauncherPreviews::PreviewPresenter;
    using SearchFunction = NotchClipboardSearch::SearchFunction;

    static constexpr double filterBarHeight = 48;

    NotchLauncherView(const Platform &platform, NotchLauncherViewModel &model, AppState *appState,
                      ClipboardHistoryManager *history, QWidget *parent = nullptr);
    ~NotchLauncherView() override;

    // --- Its parts ---
    NotchClipboardSearch &search() { return *m_search; }
    NotchKeyboardNavigation &navigation() { return *m_navigation; }
    NotchLogoPulse &logoPulse() { return *m_logoPulse; }
    NotchLauncherPreviews &previews() { return *m_previews; }

    // --- What the window and tests read ---
    NotchLauncherViewModel &model() const { return m_model; }
    double now() const;
    NotchPanelGeometry geometry() const;
    NotchChromeShape chromeShape() const { return geometry().chrome; }
    QPainterPath chromePath() const { return chromeShape().path(QRectF(rect())); }
    NotchHeaderLayout headerLayout() const;
    Palette panelPalette() const;
    // The colours of the search bar: the dark scheme's on the header's black band, the scheme's own in the
    // compact window.
    Palette searchBarPalette() const;
    const QList<ClipboardItem> &displayedClipboardItems() const { return m_search->displayedClipboardItems(); }
    std::optional<QUuid> activeClipboardItemID() const { return m_navigation->activeClipboardItemID(); }
    const QString &clipboardSearchQuery() const { return m_search->clipboardSearchQuery(); }
    bool isClipboardSearchFocused() const { return m_navigation->isClipboardSearchFocused(); }
    bool isClipboardKeyboardNavigationActive() const { return m_navigation->isClipboardKeyboardNavigationActive(); }
    bool isPointerInsideLauncher() const { return m_isPointerInsideLauncher; }
    bool isClipboardPulseActive() const { return m_logoPulse->isClipboardPulseActive(); }
    double clipboardLogoRotation() const { return m_logoPulse->clipboardLogoRotation(); }
    bool isSearchRunning() const { return m_search->isRunning(); }
    bool hasPendingSubmission() const { return m_search->hasPendingSubmission(); }
    bool isPreviewOpen() const { return m_previews->isPreviewOpen(); }
    FocusedFieldSuggestionPreviewWindow *suggestionPreviewWindow() const { return m_previews->suggestionPreviewWindow(); }
    NotchClipboardList *clipboardList() const { return m_list; }
    NotchClipboardSearchTextField *searchField() const { return m_searchField; }
    NotchListSearchBar *searchBar() const { return m_searchBar; }
    NotchAIContentView *aiContentView() const { return m_aiPane; }
    NotchHistorySearchField *historySearchField() const { return m_historySearchField; }
    ClipboardThumbnailCache &thumbnails() { return m_thumbnails; }
    // The logo as it is drawn now, around its resting centre (before the expansion's slide).
    TavlenLogo logo() const;
    QPointF logoCentre() const;
    // What the logo may cover now, its swell and glow included.
    QRect logoRect() const;
    const NotchHeaderEntrances &headerEntrances() const { return m_headerEntrances; }
    const TavlenLogoCache &logoCache() const { return m_logoPulse->logoCache(); }
    // The compact window's shrinking and growing at its top-trailing corner.
    const NotchFloatingPresence &floatingPresence() const { return m_floatingPresence; }
    // The outline as it is shown now, shrunk with the compact window.
    QPainterPath presentedChromePath() const;

    // --- Plugged in by the window or the application ---
    void setHost(Host host) { m_host = std::move(host); }
    void setPreviewPresenter(PreviewPresenter presenter) { m_previews->setPreviewPresenter(std::move(presenter)); }
    void setSearchFunction(SearchFunction search) { m_search->setSearchFunction(std::move(search)); }
    // The filter bar (pills) shown above the list while the filters are visible; the view owns it.
    void setFilterBar(QWidget *bar);
    QWidget *filterBar() const { return m_filterBar; }

    // --- Operations of the panel ---
    void setClipboardSearchQuery(const QString &query);
    void refreshDisplayedClipboardItems() { m_search->refreshDisplayedClipboardItems(); }
    void selectClipboardItem(const ClipboardItem &item) { m_navigation->selectClipboardItem(item); }
    void ensureValidClipboardSelection() { m_navigation->ensureValidClipboardSelection(); }
    void moveClipboardSelection(int offset) { m_navigation->moveClipboardSelection(offset); }
    void handleSearchFieldArrowDown() { m_navigation->handleSearchFieldArrowDown(); }
    void handleSearchFieldArrowUp() { m_navigation->handleSearchFieldArrowUp(); }
    void submitActiveClipboardItem() { m_navigation->submitActiveClipboardItem(); }
    EventDisposition handleKeyDown(const KeyDownEvent &event);
    void clipboardRowHoverChanged(const ClipboardItem &item, bool isHovering)
    {
        m_navigation->clipboardRowHoverChanged(item, isHovering);
    }
    void showPreview(const ClipboardItem &item) { m_previews->showPreview(displayedClipboardItems(), item); }
    void closePreviewWindow() { m_previews->closePreviewWindow(); }
    void deleteClipboardItem(const ClipboardItem &item);
    void openSettings();
    void toggleFilters();
    void selectListKind(NotchLauncherListKind kind);
    void setClipboardSearchFocused(bool focused) { m_navigation->setClipboardSearchFocused(focused); }
    // The compact window is about to collapse: it shrinks away showing what it shows now, although its
    // content already is the collapsed one.
    void holdLookWhileCollapsing();

    // Pointer input over the panel, also for tests (positions in the view).
    void pointerEntered();
    void pointerExited();
    void pointerClicked(QPointF position);
    // A screen reader's press on the collapsed launcher opens it, whatever opens it for the pointer.
    bool canOpenOnPress() const;
    void openOnPress();
    // The header buttons a click reaches now (none while the header is folded away).
    QList<NotchHeaderLayout::Control> headerControls() const;
    // The tooltip of the header button at `position`, empty elsewhere.
    QString headerToolTip(QPointF position) const;

    // On screen: searches, installs the key monitor. Off screen: drops focus, tasks, monitor and windows.
    void goOnScreen();
    void goOffScreen();

Q_SIGNALS:
    // The outline changed (size or state): the window shapes its panel with it.
    void chromeShapeChanged(const QPainterPath &path);
    // The displayed list changed (tests wait for it).
    void displayedItemsChanged();
    void hoverChanged(bool inside);
    // A click on the collapsed panel, with hover expansion off: the window expands it.
    void collapsedTapped();
    // The pointer chose a row: the window gives the list the keyboard.
    void clipboardListFocusRequested();
    // Paste `item`.
    void clipboardItemSelected(const ClipboardItem &item);
    // The item preview is about to open on `item`.
    void clipboardPreviewOpening(const ClipboardItem &item);
    void aiSuggestionSelected(const FocusedFieldSuggestion &suggestion);
    void listKindSelected(NotchLauncherListKind kind);
    // A query that is not blank was typed.
    void searched(const QString &query);
    void settingsOpened();
    // What the panel lists changed its measure: the window lays its frame out again.
    void contentLayoutChanged();
    // A key of this panel's window reached the expanded panel (typing in the search field included):
    // the window keeps the pointer from collapsing it in the middle of typing.
    void keyboardActivity();
    // A text field of the panel (the clipboard search, the field history's search field, the manual
    // entry) was clicked: the window takes the keyboard, so typing reaches the field.
    void textInputFocusRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void modelChanged();
    void layoutChildren();
    // Moves the list area on with its reveal's spring, once a frame.
    void followListReveal();
    void displayedItemsReplaced(bool idsChanged);
    void focusRequestChanged();
    void updateListState();
    void syncAIPane();
    NotchAIContentView *makeAIPane();
    void aiSearchFocusChanged();
    void clearHistorySearchFocus();
    void updateHeaderEntrances();
    void applyFloatingPresence();
    void frameTick();
    void placeSearchBar();
    // The next frame repaints the whole view, or (requestLogoFrame, at the slow pace a small logo needs)
    // only where the logo was and is.
    void requestFrame();
    void requestLogoFrame();
    void repaintLogo();
    // Shown and not transparent: a view nobody can see is drawn whole when it shows again, not frame by frame.
    bool isSeen() const;
    void applySearchFieldColors();
    NotchRowPaintContext rowPaintContext();

    Platform m_platform;
    NotchLauncherViewModel &m_model;
    QPointer<AppState> m_appState;
    QPointer<ClipboardHistoryManager> m_history;
    Host m_host;
    SymbolTable m_symbols;
    ClipboardThumbnailCache m_thumbnails{4 * 1024 * 1024};
    FrameTicker m_ticker;
    NotchLauncherPainter m_painter;
    bool m_wholeFrameRequested = false;
    QRect m_lastLogoRect;
    // The logo as last painted: a frame that would not change it visibly paints nothing.
    std::optional<TavlenLogo> m_paintedLogo;
    // While a logo frame is checked and painted, it has one time and its logo is worked out once.
    std::optional<double> m_frameTime;
    mutable std::optional<TavlenLogo> m_frameLogo;

    // The parts (children of this view).
    NotchClipboardSearch *m_search = nullptr;
    NotchLauncherPreviews *m_previews = nullptr;
    NotchKeyboardNavigation *m_navigation = nullptr;
    NotchLogoPulse *m_logoPulse = nullptr;

    // View-local state.
    std::optional<MonitorToken> m_keyMonitor;
    bool m_isPointerInsideLauncher = false;
    NotchHeaderEntrances m_headerEntrances;
    NotchFloatingPresence m_floatingPresence;
    NotchListReveal m_listReveal;
    bool m_isListRevealMoving = false;
    TransformFadeEffect *m_presenceEffect = nullptr;
    bool m_isOnScreen = false;
    // Last values the change handlers saw.
    bool m_lastExpanded = false;
    bool m_lastSuspended = false;
    NotchLauncherListKind m_lastDisplayedList = NotchLauncherListKind::clipboard;
    int m_lastFocusRequest = 0;
    std::optional<QUuid> m_lastActiveID;
    QPainterPath m_lastPath;
    // The timestamp patterns of the locale they were worked out for.
    QString m_timestampLocale;
    std::optional<NotchListTimestamp::Patterns> m_timestampPatterns;

    NotchClipboardSearchTextField *m_searchField = nullptr;
    NotchListSearchBar *m_searchBar = nullptr;
    QGraphicsOpacityEffect *m_searchBarOpacity = nullptr;
    QGraphicsOpacityEffect *m_historySearchOpacity = nullptr;
    NotchClipboardList *m_list = nullptr;
    NotchAIContentView *m_aiPane = nullptr;
    NotchHistorySearchField *m_historySearchField = nullptr;
    QPointer<QWidget> m_filterBar;
};
