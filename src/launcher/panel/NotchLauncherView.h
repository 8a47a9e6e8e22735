#pragma once
// The root view of a launcher window: the black notch chrome hanging from the top edge (or the compact
// floating window), the header band with the logo, tabs, search and settings, and the list area with the
// clipboard list or the field history pane. It searches the history itself, follows the keyboard, pulses
// the logo on every copy, and reports to its window through the callbacks below. The window owns every
// frame: the view fills the size it is given and asks for a new measure through onContentLayoutChanged.

#include "clipboard/ClipboardThumbnailCache.h"
#include "fields/FocusedFieldSuggestion.h"
#include "launcher/panel/NotchChromeShape.h"
#include "launcher/panel/NotchHeaderEntrances.h"
#include "launcher/panel/NotchHeaderLayout.h"
#include "launcher/panel/NotchPanelGeometry.h"
#include "model/ClipboardFilter.h"
#include "model/ClipboardItem.h"
#include "model/NotchLauncherListKind.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/Task.h"
#include "ui/AnimatedValue.h"
#include "ui/FrameTicker.h"
#include "ui/NotchListTimestamp.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"
#include "ui/TavlenLogo.h"
#include "ui/TavlenLogoCache.h"

#include <QImage>
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

class NotchLauncherView : public QWidget {
    Q_OBJECT
public:
    // Set by the window; every one may be left empty.
    struct Callbacks {
        std::function<void(bool)> onHoverChanged;
        std::function<void()> onCollapsedTap;
        std::function<void()> onClipboardListFocus;
        std::function<bool(const KeyDownEvent &)> ownsKeyboardEvent;
        std::function<void(const ClipboardItem &)> onClipboardItemSelect;
        std::function<void(const ClipboardItem &)> onClipboardPreview;
        std::function<void(const FocusedFieldSuggestion &)> onAISuggestionSelect;
        std::function<void(NotchLauncherListKind)> onListKindSelect;
        std::function<void(const QString &)> onSearch;
        std::function<void()> onSettingsOpen;
        std::function<void()> onContentLayoutChanged;
        // A key of this panel's window reached the expanded panel (typing in the search field included):
        // the window keeps the pointer from collapsing it in the middle of typing.
        std::function<void()> onKeyboardActivity;
        // A text field of the field history (its search field, the manual entry) was clicked: the window
        // takes the keyboard, so typing reaches the field.
        std::function<void()> onTextInputFocus;
        // The screen of the application's key window, if there is one (details windows open there).
        std::function<std::optional<ScreenInfo>()> keyWindowScreen;
    };

    // The item preview, built elsewhere: opens over the displayed items with one selected and calls back
    // on a selection change, a paste and its close; closing goes through close().
    struct PreviewRequest {
        QList<ClipboardItem> items;
        ClipboardItem selected;
        std::function<void(const ClipboardItem &)> onSelectionChanged;
        std::function<void(const ClipboardItem &)> onPaste;
        std::function<void()> onClose;
    };
    struct PreviewPresenter {
        // Answers the open window (a QObject whose destruction also counts as closed), or null.
        std::function<QObject *(const PreviewRequest &)> open;
        std::function<void(QObject *)> close;
    };

    // How the history is searched: the history's own search unless a test puts another in its place.
    // Answers none when the search failed or was cancelled.
    using SearchFunction = std::function<Task<std::optional<QList<ClipboardItem>>>(std::optional<ClipboardFilter>, QString)>;

    static constexpr int searchLimit = 5000;
    static constexpr double pulseDuration = 0.85;
    static constexpr double searchFocusDelay = 0.06;
    static constexpr double filterBarHeight = 48;

    NotchLauncherView(const Platform &platform, NotchLauncherViewModel &model, AppState *appState,
                      ClipboardHistoryManager *history, Callbacks callbacks, QWidget *parent = nullptr);
    ~NotchLauncherView() override;

    // --- What the window and tests read ---
    NotchLauncherViewModel &model() const { return m_model; }
    NotchPanelGeometry geometry() const;
    NotchChromeShape chromeShape() const { return geometry().chrome; }
    QPainterPath chromePath() const { return chromeShape().path(QRectF(rect())); }
    NotchHeaderLayout headerLayout() const;
    Palette panelPalette() const;
    // The colours of the search bar: the dark scheme's on the header's black band, the scheme's own in the
    // compact window.
    Palette searchBarPalette() const;
    const QList<ClipboardItem> &displayedClipboardItems() const { return m_displayedClipboardItems; }
    std::optional<QUuid> activeClipboardItemID() const;
    const QString &clipboardSearchQuery() const { return m_clipboardSearchQuery; }
    bool isClipboardSearchFocused() const { return m_isClipboardSearchFocused; }
    bool isClipboardKeyboardNavigationActive() const { return m_isClipboardKeyboardNavigationActive; }
    bool isPointerInsideLauncher() const { return m_isPointerInsideLauncher; }
    bool isClipboardPulseActive() const { return m_isClipboardPulseActive; }
    double clipboardLogoRotation() const { return m_clipboardLogoRotation.target(); }
    bool isSearchRunning() const;
    bool hasPendingSubmission() const { return m_pendingClipboardSearchSubmission; }
    bool isPreviewOpen() const { return m_previewWindow != nullptr; }
    FocusedFieldSuggestionPreviewWindow *suggestionPreviewWindow() const;
    NotchClipboardList *clipboardList() const { return m_list; }
    NotchClipboardSearchTextField *searchField() const { return m_searchField; }
    NotchListSearchBar *searchBar() const { return m_searchBar; }
    NotchAIContentView *aiContentView() const { return m_aiPane; }
    NotchHistorySearchField *historySearchField() const { return m_historySearchField; }
    ClipboardThumbnailCache &thumbnails() { return m_thumbnails; }
    // The logo as it is drawn now.
    TavlenLogo logo() const;
    const NotchHeaderEntrances &headerEntrances() const { return m_headerEntrances; }
    const TavlenLogoCache &logoCache() const { return m_logoCache; }

    // --- Plugged in by the window or the application ---
    void setPreviewPresenter(PreviewPresenter presenter) { m_previewPresenter = std::move(presenter); }
    void setSearchFunction(SearchFunction search) { m_search = std::move(search); }
    // The filter bar (pills) shown above the list while the filters are visible; the view owns it.
    void setFilterBar(QWidget *bar);
    QWidget *filterBar() const { return m_filterBar; }

    // --- Operations of the panel ---
    void setClipboardSearchQuery(const QString &query);
    void refreshDisplayedClipboardItems();
    void selectClipboardItem(const ClipboardItem &item);
    void ensureValidClipboardSelection();
    void moveClipboardSelection(int offset);
    void handleSearchFieldArrowDown();
    void handleSearchFieldArrowUp();
    void submitActiveClipboardItem();
    EventDisposition handleKeyDown(const KeyDownEvent &event);
    void clipboardRowHoverChanged(const ClipboardItem &item, bool isHovering);
    void showPreview(const ClipboardItem &item);
    void closePreviewWindow();
    // Opens the details of the selected remembered value, when it is among the values the pane lists.
    void showSuggestionPreview();
    void closeSuggestionPreviewWindow();
    void deleteClipboardItem(const ClipboardItem &item);
    void openSettings();
    void toggleFilters();
    void selectListKind(NotchLauncherListKind kind);
    void setClipboardSearchFocused(bool focused);

    // Pointer input over the panel, also for tests (positions in the view).
    void pointerEntered();
    void pointerExited();
    void pointerClicked(QPointF position);

    // On screen: searches, installs the key monitor. Off screen: drops focus, tasks, monitor and windows.
    void goOnScreen();
    void goOffScreen();

Q_SIGNALS:
    // The outline changed (size or state): the window shapes its panel with it.
    void chromeShapeChanged(const QPainterPath &path);
    // The displayed list changed (tests wait for it).
    void displayedItemsChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void modelChanged();
    void layoutChildren();
    void dropSearchFocus();
    void applySearchResults(const QList<ClipboardItem> &items);
    void displayedIdsChanged();
    void pulse();
    void focusRequestChanged();
    void updateListState();
    void syncAIPane();
    NotchAIContentView *makeAIPane();
    void aiSearchFocusChanged();
    void clearHistorySearchFocus();
    void updateHeaderEntrances();
    void frameTick();
    void placeSearchBar();
    void requestFrame();
    double now() const;
    void applySearchFieldColors();
    void paintChrome(QPainter &painter, const NotchPanelGeometry &g, const Palette &palette);
    void paintGlass(QPainter &painter, const QPainterPath &shape, const Palette &palette);
    void paintHeader(QPainter &painter, const NotchPanelGeometry &g, const Palette &palette);
    void paintRecentPlaceholder(QPainter &painter, const QRectF &area, const Palette &palette);
#ifndef Q_MOC_RUN
    Task<> runSearch(QString query, std::optional<QUuid> filterId);
    Task<> runSearchFocus();
    Task<> runPulseEnd();
#endif

    Platform m_platform;
    NotchLauncherViewModel &m_model;
    QPointer<AppState> m_appState;
    QPointer<ClipboardHistoryManager> m_history;
    Callbacks m_callbacks;
    PreviewPresenter m_previewPresenter;
    SearchFunction m_search;
    SymbolTable m_symbols;
    ClipboardThumbnailCache m_thumbnails{4 * 1024 * 1024};
    FrameTicker m_ticker;
    TavlenLogoCache m_logoCache;

    // View-local state.
    QPointer<QObject> m_previewWindow;
    QPointer<FocusedFieldSuggestionPreviewWindow> m_suggestionPreviewWindow;
    std::optional<MonitorToken> m_keyMonitor;
    bool m_isClipboardSearchFocused = false;
    bool m_isClipboardKeyboardNavigationActive = false;
    bool m_isPointerInsideLauncher = false;
    QList<ClipboardItem> m_displayedClipboardItems;
    QString m_clipboardSearchQuery;
    bool m_pendingClipboardSearchSubmission = false;
    bool m_isClipboardPulseActive = false;
    AnimatedValue m_clipboardLogoRotation{0};
    AnimatedValue m_logoLit{0};
    AnimatedValue m_logoPulseScale{1};
    AnimatedValue m_logoExpansion{0};
    AnimatedValue m_listReveal{0};
    NotchHeaderEntrances m_headerEntrances;
#ifndef Q_MOC_RUN
    TaskSlot m_clipboardSearchTask;
    TaskSlot m_clipboardSearchFocusTask;
    TaskSlot m_clipboardPulseTask;
#endif
    bool m_isOnScreen = false;
    // Last values the change handlers saw.
    bool m_lastExpanded = false;
    bool m_lastSuspended = false;
    NotchLauncherListKind m_lastDisplayedList = NotchLauncherListKind::clipboard;
    int m_lastFocusRequest = 0;
    std::optional<QUuid> m_lastActiveID;
    QPainterPath m_lastPath;
    // The chrome as last drawn, and what it was drawn for.
    struct BackgroundKey {
        QSize size;
        double dpr = 0;
        bool dark = false;
        bool translucency = false;
        bool floating = false;
        bool expanded = false;
        double topInset = 0;
        double contentHeight = 0;
        double innerWidth = 0;
        double bottomRadius = 0;
        double shoulderDepth = 0;
        double shoulderCurveFactor = 0;
        bool operator==(const BackgroundKey &) const = default;
    };
    QImage m_background;
    BackgroundKey m_backgroundKey;
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
