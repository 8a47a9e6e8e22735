#pragma once
// The controller of one launcher panel on one screen: hangs at the notch (notch presentation) or floats
// beside a field or the pointer (window presentation); decides when the panel expands, collapses, shows,
// takes the keyboard, follows a desktop switch, and hands a chosen item to the paste service or the field
// value engine.

#include "clipboard/ClipboardPasteTarget.h"
#include "fields/FocusedFieldSuggestion.h"
#include "fields/views/NotchAIContext.h"
#include "launcher/NotchLauncherDemoConfiguration.h"
#include "launcher/NotchLauncherGeometry.h"
#include "launcher/NotchListCollapsing.h"
#include "launcher/panel/NotchLauncherView.h"
#include "model/ClipboardItem.h"
#include "model/LauncherPresentation.h"
#include "model/NotchLauncherListKind.h"
#include "platform/EventMonitors.h"
#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/Task.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

class AppState;
class ClipboardHistoryManager;
class NotchLauncherViewModel;
class CustomWindow;
class Panel;


class NotchLauncherWindow : public QObject, public NotchListCollapsing {
    Q_OBJECT
public:
    // A hover-out lock that never runs out.
    static constexpr double lockedForGood = std::numeric_limits<double>::max();

    // Hover-out locks, seconds.
    static constexpr double showLock = 2.0;
    static constexpr double listChangeLock = 0.35;
    static constexpr double expandLock = 0.28;
    // Task intervals, seconds.
    static constexpr double hoverPollInterval = 0.05;
    static constexpr double pointerExitPollInterval = 0.12;
    static constexpr double hoverOutCollapseDelay = 0.12;
    static constexpr double expandSettleDelay = 0.24;
    static constexpr double collapsedStateResetDelay = 5.0;
    static constexpr double selectionDelay = 0.04;
    // Frame animations, seconds.
    static constexpr double frameAnimationDuration = 0.24;
    static constexpr double collapseSecondPhaseDuration = 0.1;
    // The hover zone reaches this far beyond the notch rectangle.
    static constexpr double hoverZoneSideMargin = 12;
    static constexpr double hoverZoneBottomMargin = 14;
    // The panel lists at most this many history items.
    static constexpr int maximumListedItems = 5000;

    // Builds the panel (not yet laid out or ordered); installContent() follows.
    NotchLauncherWindow(const Platform &platform, const ScreenInfo &screen, LauncherPresentation presentation,
                        AppState *appState, ClipboardHistoryManager *clipboardHistory, QObject *parent = nullptr);
    ~NotchLauncherWindow() override;

    // --- Set by the launcher service ---
    std::function<void(NotchLauncherWindow *)> onWillExpand;
    std::function<bool()> hasFocusedField;
    std::function<void(NotchLauncherListKind)> onAIContextRequest;
    std::function<void(const FocusedFieldSuggestion &)> onAISuggestionSelect;
#ifndef Q_MOC_RUN
    // True when the field value engine took the item (typed it, or began to); false: paste it instead.
    std::function<Task<bool>(const ClipboardItem &, const ClipboardPasteTarget &)> onFocusedFieldClipboardItemSelect;
#endif

    // --- State ---
    const ScreenInfo &screen() const { return m_screen; }
    LauncherPresentation configuredPresentation() const { return m_configuredPresentation; }
    // A demo configuration is set, or the presentation is the notch one.
    bool isNotchMode() const;
    std::optional<QRectF> fieldWindowAnchor() const { return m_fieldWindowAnchor; }
    NotchLauncherViewModel *viewModel() const { return m_viewModel.get(); }
    CustomWindow *window() const { return m_window.get(); }
    Panel *panel() const;
    NotchLauncherView *view() const { return qobject_cast<NotchLauncherView *>(m_view.data()); }
    bool isExpanded() const { return m_isExpanded; }
    bool isPerformingSelection() const { return m_isPerformingSelection; }
    bool isClosed() const { return m_isClosed; }
    std::optional<ClipboardPasteTarget> clipboardPasteTarget() const { return m_clipboardPasteTarget; }
    QRectF collapsedFrame() const { return m_collapsedFrame; }
    double hoverOutLockUntil() const { return m_hoverOutLockUntil; }
    void setHoverOutLockUntil(double instant) { m_hoverOutLockUntil = instant; }
    const std::optional<NotchLauncherDemoConfiguration> &demoConfiguration() const { return m_demoConfiguration; }
    bool showsDemoItems() const;
    bool shouldRestoreAfterDesktopSwitch() const { return m_shouldRestoreAfterDesktopSwitch; }
    bool requiresPointerExitAfterDesktopSwitch() const { return m_requiresPointerExitAfterDesktopSwitch; }

    // --- Lifecycle ---
    // Builds the root view, lays the panel out and installs the monitors and the hover poll.
    void installContent();
    // Opens and expands with the list (the hot key passes the clipboard list); refused unless canInteract.
    void show(NotchLauncherListKind list);
    // The single expand and collapse operation.
    void expand(bool expanded, bool animated);
    void collapseImmediately() override;
    Lifetime::Pointer<NotchListCollapsing> weakList() override { return {this, m_lifetime}; }
    // Opens with a field's suggestion context; answers isExpanded afterwards (false when refused).
    bool openForPasteTarget(const NotchAIContext &context, NotchLauncherListKind list,
                            std::optional<ClipboardPasteTarget> target);
    // Window presentation only: where the compact window is to sit and where its paste goes.
    void updateFieldContext(std::optional<QRectF> anchor, QPointF point, std::optional<ClipboardPasteTarget> target);
    void suspendForDesktopSwitch();
    void resumeAfterDesktopSwitch(bool didChangeDesktop);
    void applyDemoConfiguration(const NotchLauncherDemoConfiguration &configuration);
    void clearDemoConfiguration();
    void closeDemoPreviewWindow();
    // Final: hides, ends every task and monitor and closes the panel.
    void close();

    // --- Internal operations, public for the service and for tests ---
    void startHardwareNotchHoverMonitor();
    bool canInteract() const;
    void updateWindowShown();
    void applyCollapsedVisibility();
    void selectList(NotchLauncherListKind list);
    void focusClipboardSearch();
    void applyFrame(bool animated);
    // Orders the collapsed compact window out once it has shrunk away.
    void finishShrinking();
    NotchLauncherGeometry geometry() const;
    QRectF hardwareNotchRect() const;
    QRectF hoverZone() const;
    QRectF expandedFrame() const;
    bool screenHasRealNotch() const;

    // --- Hover tracking and selection ---
    void handleHover(bool inside);
    // The hardware-notch hover poll runs only where it can act: a real notch in the notch presentation,
    // with hover expansion on or a pointer exit awaited after a desktop switch.
    bool hardwareNotchHoverPollCanAct() const;
    void pollHardwareNotchHover();
    void handleHardwareNotchClick();
    void handleFieldWindowOutsideClick();
    // A single left click in another application.
    void handleClickInOtherApplication();
    // Escape on this panel: closes an open preview, else collapses. True when it acted.
    bool handleEscape();
    // One tick; false when the poll is to end.
    bool pollPointerExit();
    // The view's selection callbacks.
    void selectClipboardItem(const ClipboardItem &item);
    void selectAISuggestion(const FocusedFieldSuggestion &suggestion);
#ifndef Q_MOC_RUN
    // The hand-off common to every selection: hide, collapse, wait, then run the action. Answers
    // the started task, or nothing when a selection is already running or the window is closed.
    std::optional<Task<>> performSelection(std::function<Task<>()> action);
#endif

Q_SIGNALS:
    // A selection's action (the paste included) has finished.
    void selectionFinished();

private:
    AppState *appState() const { return m_appState; }
    ClipboardHistoryManager *clipboardHistory() const { return m_clipboardHistory; }
    double now() const;
    QPointF pointerLocation() const;
    bool isPasting() const;
    // The setting, or `absentMeans` when the record has none (or there is no app state).
    bool expandsOnHover(bool absentMeans) const;
    std::optional<ClipboardPasteTarget> focusedFieldTargetFromService() const;
    void rememberFrontmostApplication();
    void prepareListsForExpansion();
    // Takes the keyboard; an expanded panel then stays open until the person closes it.
    void takeKeyboard();
    // Opened by the hot key, typed into, or a text field clicked: the pointer resting elsewhere does not
    // collapse the panel; a choice, Escape, a click in another application or the pointer passing through does.
    void holdForKeyboard();
    // Where the pointer was seen; true when a held panel may now follow the pointer again: the pointer
    // came in from outside after the panel took the keyboard, and left again.
    bool notePointer(bool inside);
    void clearWidgetFocus();
    void showWithoutActivating();
    void startCollapsedStateReset();
    void startPointerExitMonitor();
    void installHardwareNotchClickMonitors();
    void installFieldWindowDismissMonitors();
    void removeFieldWindowDismissMonitors();
    void removeMonitor(std::optional<MonitorToken> &token);
    void finishFrame();
    // The view tells this window what happens through its signals.
    void connectView(NotchLauncherView *view);
    // Opens the item preview over this launcher's screen; the preview window is a child of `owner`.
    NotchLauncherView::PreviewPresenter previewPresenter(QObject *owner);

    Platform m_platform;
    ScreenInfo m_screen;
    LauncherPresentation m_configuredPresentation;
    std::optional<QRectF> m_fieldWindowAnchor;
    std::unique_ptr<NotchLauncherViewModel> m_viewModel;
    QPointer<AppState> m_appState;
    QPointer<ClipboardHistoryManager> m_clipboardHistory;
    std::unique_ptr<CustomWindow> m_window;
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_hostingView;
    // The list `show` asked for, kept while its expansion prepares the lists.
    std::optional<NotchLauncherListKind> m_listRequestedByShow;
    // Bumped by every frame layout, so a superseded collapse does not start its second phase.
    quint64 m_frameGeneration = 0;
    bool m_isExpanded = false;
    bool m_isPerformingSelection = false;
    bool m_isSelectionActionRunning = false;
    bool m_isClosed = false;
    bool m_isShrinking = false;
    std::optional<ClipboardPasteTarget> m_clipboardPasteTarget;
    QRectF m_collapsedFrame;
#ifndef Q_MOC_RUN
    TaskSlot m_selectionTask;
    TaskSlot m_collapseTask;
    TaskSlot m_collapsedStateResetTask;
    TaskSlot m_expandSettleTask;
    TaskSlot m_pointerExitMonitorTask;
    // The collapsed compact window stays on screen while it shrinks away.
    TaskSlot m_shrinkTask;
    TaskSlot m_hardwareNotchHoverMonitorTask;
#endif
    std::optional<MonitorToken> m_localHardwareNotchClickMonitor;
    std::optional<MonitorToken> m_globalHardwareNotchClickMonitor;
    std::optional<MonitorToken> m_localFieldWindowDismissMonitor;
    std::optional<MonitorToken> m_globalFieldWindowDismissMonitor;
    std::optional<MonitorToken> m_dismissKeyMonitor;
    double m_hoverOutLockUntil = 0;
    std::optional<NotchLauncherDemoConfiguration> m_demoConfiguration;
    bool m_shouldRestoreAfterDesktopSwitch = false;
    bool m_suspendedWithFieldContext = false;
    bool m_requiresPointerExitAfterDesktopSwitch = false;
    bool m_isHeldForKeyboard = false;
    bool m_pointerWasOutsideWhileHeld = false;
    bool m_pointerVisitedWhileHeld = false;
    Lifetime m_lifetime;
};
