#include "launcher/NotchLauncherWindow.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardService.h"
#include "state/AppState.h"
#include "ui/CustomWindow.h"
#include "launcher/panel/NotchFilterBar.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"
#include "platform/Clock.h"
#include "platform/PanelFactory.h"
#include "platform/Workspace.h"
#include "preview/ClipboardPreviewWindow.h"

#include <QScopeGuard>
#include <QWidget>

namespace {

constexpr unsigned launcherDesktopFlags = PanelDesktop::OnAllDesktops | PanelDesktop::SkipTaskbar;

bool contains(const QRectF &rect, QPointF point)
{
    return ScreenSpace::containsHalfOpen(rect, point);
}

bool hasTarget(const std::optional<ClipboardPasteTarget> &target)
{
    return target && !target->isEmpty();
}

// --- The window's tasks. Each holds the window weakly and ends once it is gone or cancelled. ---

Task<> hardwareNotchHoverLoop(QPointer<NotchLauncherWindow> window, Clock *clock)
{
    while (true) {
        const bool awake = co_await clock->sleep(NotchLauncherWindow::hoverPollInterval);
        if (!awake || !window)
            co_return;
        window->pollHardwareNotchHover();
        if (!window->hardwareNotchHoverPollCanAct())
            co_return;
    }
}

Task<> pointerExitLoop(QPointer<NotchLauncherWindow> window, Clock *clock)
{
    while (true) {
        const bool awake = co_await clock->sleep(NotchLauncherWindow::pointerExitPollInterval);
        if (!awake || !window)
            co_return;
        const bool keepPolling = window->pollPointerExit();
        if (!keepPolling)
            co_return;
    }
}

Task<> collapseAfterHoverOut(QPointer<NotchLauncherWindow> window, Clock *clock, Screens *screens)
{
    const bool awake = co_await clock->sleep(NotchLauncherWindow::hoverOutCollapseDelay);
    if (!awake || !window)
        co_return;
    if (!contains(window->expandedFrame(), screens->pointerLocation()))
        window->expand(false, true);
}

Task<> settleAfterExpand(QPointer<NotchLauncherWindow> window, Clock *clock)
{
    const bool awake = co_await clock->sleep(NotchLauncherWindow::expandSettleDelay);
    if (!awake || !window || !window->isExpanded())
        co_return;
    window->viewModel()->setIsListSettled(true);
}

Task<> hideAfterShrinking(QPointer<NotchLauncherWindow> window, Clock *clock, double duration)
{
    const bool awake = co_await clock->sleep(duration);
    if (!awake || !window)
        co_return;
    window->finishShrinking();
}

Task<> resetCollapsedState(QPointer<NotchLauncherWindow> window, Clock *clock)
{
    const bool awake = co_await clock->sleep(NotchLauncherWindow::collapsedStateResetDelay);
    if (!awake || !window || window->isExpanded())
        co_return;
    NotchLauncherViewModel *model = window->viewModel();
    model->setSelectedList(NotchLauncherListKind::clipboard);
    model->setDisplayedList(NotchLauncherListKind::clipboard);
    model->setIsListContentVisible(true);
    model->setSelectedClipboardItemID(std::nullopt);
    model->setHighlightedClipboardItemID(std::nullopt);
    model->setShowsAIControls(false);
    model->clearAIContext();
    window->applyFrame(false);
}

Task<> pasteClipboardItem(QPointer<NotchLauncherWindow> window, QPointer<AppState> appState,
                          QPointer<ClipboardHistoryManager> history, ClipboardItem item,
                          std::optional<ClipboardPasteTarget> target)
{
    if (!window)
        co_return;
    if (hasTarget(target) && window->onFocusedFieldClipboardItemSelect) {
        const std::optional<bool> taken = co_await window->onFocusedFieldClipboardItemSelect(item, *target);
        // A cancelled selection pastes nothing either.
        if (!taken)
            co_return;
        if (*taken) {
            if (history)
                history->handleItemInserted(item);
            co_return;
        }
    }
    QPointer<ClipboardService> service = appState ? appState->clipboardService() : nullptr;
    if (!service)
        co_return;
    const std::optional<bool> pasted = co_await service->paste(item, target);
    Q_UNUSED(pasted);
}

Task<> insertSuggestion(QPointer<NotchLauncherWindow> window, FocusedFieldSuggestion suggestion)
{
    if (window && window->onAISuggestionSelect)
        window->onAISuggestionSelect(suggestion);
    co_return;
}

// The hand-off of a selection: wait, run the action to its end, then give the panel back. However it
// ends (done, cancelled, an exception) the flags it set are cleared, unless the window is being destroyed.
Task<> runSelection(Lifetime::Pointer<NotchLauncherWindow> window, Clock *clock, std::function<Task<>()> action,
                    std::function<void(bool)> actionRunning, std::function<void()> finish)
{
    if (!window)
        co_return;
    const auto givesBack = qScopeGuard([window, finish] {
        if (window)
            finish();
    });
    const bool awake = co_await clock->sleep(NotchLauncherWindow::selectionDelay);
    if (!awake || !window)
        co_return;
    actionRunning(true);
    const auto actionEnds = qScopeGuard([window, actionRunning] {
        if (window)
            actionRunning(false);
    });
    Task<> running = action();
    co_await running;
}

} // namespace

NotchLauncherWindow::NotchLauncherWindow(const Platform &platform, const ScreenInfo &screen,
                                         LauncherPresentation presentation, AppState *appState,
                                         ClipboardHistoryManager *clipboardHistory, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_screen(screen)
    , m_configuredPresentation(presentation)
    , m_viewModel(std::make_unique<NotchLauncherViewModel>())
    , m_appState(appState)
    , m_clipboardHistory(clipboardHistory)
{
    m_window = std::make_unique<CustomWindow>(*platform.panels, PanelKind::Launcher);
    Panel &p = m_window->panel();
    p.setHasShadow(presentation == LauncherPresentation::window);
    p.setLevel(PanelLevel::Launcher);
    m_window->setAllowsKeyboardFocus(false);
    m_viewModel->setIsFloatingWindow(presentation == LauncherPresentation::window);
    p.setDesktopFlags(launcherDesktopFlags);
}

NotchLauncherWindow::~NotchLauncherWindow()
{
    // Tasks cancelled from here on (by close() or their slots) end without touching the window.
    m_lifetime.end();
    if (!m_isClosed)
        close();
}

Panel *NotchLauncherWindow::panel() const
{
    return &m_window->panel();
}

bool NotchLauncherWindow::isNotchMode() const
{
    return m_demoConfiguration.has_value() || m_configuredPresentation == LauncherPresentation::notch;
}

bool NotchLauncherWindow::showsDemoItems() const
{
    return m_viewModel->demoClipboardItems().has_value();
}

double NotchLauncherWindow::now() const
{
    return m_platform.clock->uptime();
}

QPointF NotchLauncherWindow::pointerLocation() const
{
    return m_platform.screens->pointerLocation();
}

bool NotchLauncherWindow::isPasting() const
{
    ClipboardService *service = m_appState ? m_appState->clipboardService() : nullptr;
    return service && service->isPasting();
}

bool NotchLauncherWindow::expandsOnHover(bool absentMeans) const
{
    if (!m_appState)
        return absentMeans;
    return m_appState->settings()->settings().notchExpandOnHover.value_or(absentMeans);
}

std::optional<ClipboardPasteTarget> NotchLauncherWindow::focusedFieldTargetFromService() const
{
    ClipboardService *service = m_appState ? m_appState->clipboardService() : nullptr;
    if (!service)
        return std::nullopt;
    return service->focusedFieldTarget();
}

// --- Geometry ---

NotchLauncherGeometry NotchLauncherWindow::geometry() const
{
    NotchLauncherGeometry::Input in;
    in.screen = m_screen;
    in.screens = m_platform.screens->screens();
    in.topPanelHeight = m_platform.screens->topPanelHeight();
    in.notchMode = isNotchMode();
    in.fieldWindowAnchor = m_fieldWindowAnchor;
    in.pointerLocation = pointerLocation();
    in.isExpanded = m_isExpanded;
    in.collapsedFrame = m_collapsedFrame;
    in.hasRealNotch = m_viewModel->hasRealNotch();
    in.realNotchBarHeight = m_viewModel->realNotchBarHeight();
    in.displayedList = m_viewModel->displayedList();
    in.areClipboardFiltersVisible = m_viewModel->areClipboardFiltersVisible();
    in.visibleClipboardItemCount = m_viewModel->visibleClipboardItemCount();
    in.aiContext = m_viewModel->aiContext();
    in.aiSearchQuery = m_viewModel->aiSearchQuery();
    return NotchLauncherGeometry(std::move(in));
}

bool NotchLauncherWindow::screenHasRealNotch() const
{
    return NotchLauncherGeometry::realNotchRect(m_screen, m_platform.screens->topPanelHeight()).has_value();
}

QRectF NotchLauncherWindow::hardwareNotchRect() const
{
    return geometry().hardwareNotchRect();
}

QRectF NotchLauncherWindow::hoverZone() const
{
    const QRectF notch = hardwareNotchRect();
    return QRectF(notch.x() - hoverZoneSideMargin, notch.y() - hoverZoneBottomMargin,
                  notch.width() + 2 * hoverZoneSideMargin, notch.height() + hoverZoneBottomMargin);
}

QRectF NotchLauncherWindow::expandedFrame() const
{
    return geometry().expandedFrame();
}

void NotchLauncherWindow::applyFrame(bool animated)
{
    if (!m_hostingView)
        return;
    const NotchLauncherGeometry::FrameLayout layout = geometry().frameLayout();
    NotchLauncherViewModel &model = *m_viewModel;
    model.setIsFloatingWindow(layout.isFloatingWindow);
    panel()->setHasShadow(layout.hasShadow);
    m_collapsedFrame = layout.collapsedFrame;
    model.setHasRealNotch(layout.hasRealNotch);
    model.setRealNotchBarHeight(layout.realNotchBarHeight);
    model.setRealNotchBarWidth(layout.realNotchBarWidth);
    model.setRealNotchBottomCornerRadius(layout.realNotchBottomCornerRadius);
    model.setExpandedHeaderWidth(layout.expandedHeaderWidth);
    model.setRealNotchSideRailWidth(layout.realNotchSideRailWidth);

    // Completions of a layout that a newer one replaced do nothing: the newest layout always finishes.
    const quint64 generation = ++m_frameGeneration;
    // A collapsed panel already where the layout puts it (a copy changed the list, not the frame) has
    // nothing to animate: the collapse's shrink and return would make it blink on every copy.
    const bool inPlace = !m_isExpanded && !panel()->isAnimatingFrame() && panel()->frame() == layout.frame;
    // A collapsing panel is drawn black as it shrinks: without a compositor to blend it into the desktop that
    // is a black block flashing over the windows below, so it goes at once.
    const bool plainDesktop = !m_platform.appearance || !m_platform.appearance->supportsTranslucency();
    if (!animated || !layout.animates || inPlace || (!m_isExpanded && plainDesktop)) {
        finishFrame();
        return;
    }
    QPointer<NotchLauncherWindow> self = this;
    auto finishIfCurrent = [self, generation] {
        if (self && self->m_frameGeneration == generation)
            self->finishFrame();
    };
    if (m_isExpanded) {
        panel()->animateFrame(layout.frame, frameAnimationDuration, AnimationTiming::EaseInEaseOut, finishIfCurrent);
        return;
    }
    const QRectF target = layout.frame;
    panel()->animateFrame(layout.collapseInterimFrame, frameAnimationDuration, AnimationTiming::EaseInEaseOut,
                          [self, target, generation, finishIfCurrent] {
                              if (!self || self->m_frameGeneration != generation || self->m_isClosed)
                                  return;
                              self->panel()->animateFrame(target, collapseSecondPhaseDuration,
                                                          AnimationTiming::EaseOut, finishIfCurrent);
                          });
}

void NotchLauncherWindow::finishFrame()
{
    if (!m_hostingView || m_isClosed)
        return;
    const NotchLauncherGeometry g = geometry();
    panel()->setFrame(g.placedFrame(g.targetSize(), m_collapsedFrame));
    applyCollapsedVisibility();
}

// --- Showing and visibility ---

bool NotchLauncherWindow::canInteract() const
{
    return !m_isClosed && !m_isPerformingSelection && !m_viewModel->isDesktopSwitchSuspended() && !isPasting();
}

void NotchLauncherWindow::clearWidgetFocus()
{
    panel()->setFocusedWidget(nullptr);
}

void NotchLauncherWindow::showWithoutActivating()
{
    panel()->showWithoutActivating();
}

void NotchLauncherWindow::updateWindowShown()
{
    if (!isNotchMode() && !m_isExpanded) {
        clearWidgetFocus();
        if (!m_isShrinking)
            panel()->hide();
        return;
    }
    showWithoutActivating();
}

void NotchLauncherWindow::applyCollapsedVisibility()
{
    bool hidden;
    if (m_viewModel->isDesktopSwitchSuspended())
        hidden = true;
    else if (isNotchMode())
        hidden = screenHasRealNotch() && !m_isExpanded;
    else
        hidden = !m_isExpanded;
    // The shrinking compact window is still drawn, but the pointer already reaches what lies below.
    panel()->setOpacity(hidden && !m_isShrinking ? 0 : 1);
    panel()->setIgnoresMouseEvents(hidden);
}

void NotchLauncherWindow::finishShrinking()
{
    if (!m_isShrinking)
        return;
    m_isShrinking = false;
    if (m_isClosed || m_isExpanded)
        return;
    applyCollapsedVisibility();
    updateWindowShown();
}

// --- Lists and focus ---

void NotchLauncherWindow::selectList(NotchLauncherListKind list)
{
    NotchLauncherViewModel &model = *m_viewModel;
    if (list == NotchLauncherListKind::recent)
        model.setHasSelectedHistoryTab(true);
    if (model.selectedList() != list || model.displayedList() != list) {
        model.setSelectedList(list);
        model.setDisplayedList(list);
        model.setIsListContentVisible(true);
        m_hoverOutLockUntil = now() + listChangeLock;
        applyFrame(m_isExpanded);
    }
    if (list == NotchLauncherListKind::recent && !model.aiContext() && onAIContextRequest)
        onAIContextRequest(list);
}

void NotchLauncherWindow::focusClipboardSearch()
{
    if (!m_isExpanded || showsDemoItems() || !canInteract())
        return;
    rememberFrontmostApplication();
    takeKeyboard();
    m_viewModel->requestClipboardSearchFocus();
}

void NotchLauncherWindow::takeKeyboard()
{
    m_window->takeKeyboard();
    holdForKeyboard();
}

void NotchLauncherWindow::holdForKeyboard()
{
    if (!m_isExpanded || m_isHeldForKeyboard)
        return;
    m_isHeldForKeyboard = true;
    m_pointerWasOutsideWhileHeld = !contains(expandedFrame(), pointerLocation());
    m_pointerVisitedWhileHeld = false;
}

bool NotchLauncherWindow::notePointer(bool inside)
{
    if (!m_isHeldForKeyboard)
        return true;
    if (inside) {
        m_pointerVisitedWhileHeld = m_pointerVisitedWhileHeld || m_pointerWasOutsideWhileHeld;
        return false;
    }
    m_pointerWasOutsideWhileHeld = true;
    if (!m_pointerVisitedWhileHeld)
        return false;
    m_isHeldForKeyboard = false;
    return true;
}

void NotchLauncherWindow::rememberFrontmostApplication()
{
    ClipboardService *service = m_appState ? m_appState->clipboardService() : nullptr;
    Workspace *workspace = m_platform.workspace;
    if (!service || !workspace)
        return;
    const std::optional<RunningApplication> front = workspace->frontmostApplication();
    if (!front || !front->isRegular || workspace->isTerminated(*front))
        return;
    if (front->applicationId == workspace->currentApplication().applicationId)
        return;
    service->setPreviousActiveApp(*front);
}

void NotchLauncherWindow::prepareListsForExpansion()
{
    NotchLauncherViewModel &model = *m_viewModel;
    if (showsDemoItems() || model.aiContext()) {
        model.setShowsAIControls(true);
        return;
    }
    const bool focused = hasFocusedField && hasFocusedField();
    model.setShowsAIControls(focused || model.hasSelectedHistoryTab());
    if (focused)
        return;
    model.clearAIContext();
    // The hot key's list wins over the remembered tab: without a focused field the recent list is empty.
    NotchLauncherListKind list = model.hasSelectedHistoryTab() ? NotchLauncherListKind::recent
                                                               : NotchLauncherListKind::clipboard;
    if (m_listRequestedByShow)
        list = *m_listRequestedByShow;
    model.setSelectedList(list);
    model.setDisplayedList(list);
    model.setIsListContentVisible(true);
}

// --- Opening and closing ---

void NotchLauncherWindow::show(NotchLauncherListKind list)
{
    if (!canInteract())
        return;
    m_collapseTask.cancel();
    m_collapsedStateResetTask.cancel();
    m_viewModel->clearAIContext();
    showWithoutActivating();

    const bool demo = showsDemoItems();
    std::optional<bool> focused;
    auto askFocused = [&] {
        if (!focused)
            focused = hasFocusedField && hasFocusedField();
        return *focused;
    };
    if (list == NotchLauncherListKind::recent && !demo && !askFocused())
        list = NotchLauncherListKind::clipboard;
    m_viewModel->setShowsAIControls(demo || list == NotchLauncherListKind::recent || askFocused());

    selectList(list);
    if (!m_isExpanded) {
        m_listRequestedByShow = list;
        expand(true, true);
        m_listRequestedByShow.reset();
    }
    if (list == NotchLauncherListKind::clipboard)
        focusClipboardSearch();
    holdForKeyboard();
    m_hoverOutLockUntil = now() + showLock;
}

void NotchLauncherWindow::expand(bool expanded, bool animated)
{
    if (!expanded) {
        if (!m_isExpanded)
            return;
        // A compact window on screen shrinks to its corner before it leaves; one that is leaving for a
        // paste or at once is simply gone.
        NotchLauncherView *shrinking = animated && !isNotchMode() && panel()->isVisible() && !m_isPerformingSelection
            ? view() : nullptr;
        if (shrinking) {
            shrinking->holdLookWhileCollapsing();
            m_isShrinking = true;
        }
    } else {
        if (!canInteract() || m_isExpanded)
            return;
        if (onWillExpand)
            onWillExpand(this);
        if (!showsDemoItems() && !m_clipboardPasteTarget)
            m_clipboardPasteTarget = focusedFieldTargetFromService();
        prepareListsForExpansion();
    }

    m_expandSettleTask.cancel();
    if (expanded) {
        m_shrinkTask.cancel();
        m_isShrinking = false;
        panel()->setOpacity(1);
    }
    m_isExpanded = expanded;
    m_window->setAllowsKeyboardFocus(expanded);

    if (expanded) {
        m_collapsedStateResetTask.cancel();
        m_hoverOutLockUntil = now() + expandLock;
        m_viewModel->setIsListSettled(false);
        startPointerExitMonitor();
        if (!isNotchMode())
            installFieldWindowDismissMonitors();
    } else {
        m_isHeldForKeyboard = false;
        m_clipboardPasteTarget.reset();
        m_pointerExitMonitorTask.cancel();
        removeFieldWindowDismissMonitors();
        m_viewModel->setIsListSettled(false);
        m_viewModel->setIsListContentVisible(true);
        startCollapsedStateReset();
    }

    if (!isNotchMode())
        applyFrame(false);
    m_viewModel->setIsExpanded(expanded);
    if (m_isShrinking)
        m_shrinkTask.start(hideAfterShrinking(this, m_platform.clock, view()->floatingPresence().remaining(now())));
    if (!isNotchMode())
        updateWindowShown();
    else
        applyFrame(animated);

    if (expanded)
        m_expandSettleTask.start(settleAfterExpand(this, m_platform.clock));
}

void NotchLauncherWindow::collapseImmediately()
{
    if (!m_isExpanded)
        return;
    m_collapseTask.cancel();
    clearWidgetFocus();
    panel()->hide();
    expand(false, false);
    updateWindowShown();
}

bool NotchLauncherWindow::openForPasteTarget(const NotchAIContext &context, NotchLauncherListKind list,
                                             std::optional<ClipboardPasteTarget> target)
{
    if (!canInteract())
        return false;
    if (!showsDemoItems())
        m_clipboardPasteTarget = target ? target : focusedFieldTargetFromService();
    m_collapseTask.cancel();
    m_collapsedStateResetTask.cancel();

    const bool notchMode = isNotchMode();
    if (notchMode)
        m_viewModel->setAIContext(context);
    else
        m_viewModel->setAIContext(
            NotchAIContext::compact(context.fieldName, context.historySuggestions, context.randomSuggestions));
    m_viewModel->setShowsAIControls(true);

    const NotchLauncherListKind shown = notchMode ? list : NotchLauncherListKind::recent;
    m_viewModel->setSelectedList(shown);
    m_viewModel->setDisplayedList(shown);
    m_viewModel->setIsListContentVisible(true);

    showWithoutActivating();
    const bool wasExpanded = m_isExpanded;
    expand(true, true);

    const bool hasSuggestions = !context.historySuggestions.isEmpty() || !context.randomSuggestions.isEmpty();
    // Suggestions at the notch, and the compact window's values (it has no text field to type into), leave
    // the keyboard with the other application: typing goes on there, at the caret the value will go to.
    if (notchMode && !(shown == NotchLauncherListKind::recent && hasSuggestions))
        takeKeyboard();
    if (wasExpanded)
        applyFrame(true);
    return m_isExpanded;
}

void NotchLauncherWindow::updateFieldContext(std::optional<QRectF> anchor, QPointF point,
                                             std::optional<ClipboardPasteTarget> target)
{
    if (isNotchMode())
        return;
    m_fieldWindowAnchor = anchor ? *anchor : QRectF(point, QSizeF(0, 0));
    m_clipboardPasteTarget = std::move(target);
    applyFrame(false);
}

void NotchLauncherWindow::suspendForDesktopSwitch()
{
    if (!isNotchMode() || !screenHasRealNotch() || m_isClosed || m_isExpanded
        || m_viewModel->isDesktopSwitchSuspended())
        return;
    m_shouldRestoreAfterDesktopSwitch = panel()->isVisible() || m_isPerformingSelection;
    m_suspendedWithFieldContext = !showsDemoItems()
        && (m_viewModel->aiContext() || m_viewModel->selectedList() == NotchLauncherListKind::recent);
    m_viewModel->setIsDesktopSwitchSuspended(true);
    m_collapseTask.cancel();
    m_pointerExitMonitorTask.cancel();
    applyCollapsedVisibility();
    m_window->setAllowsKeyboardFocus(false);
    clearWidgetFocus();
    panel()->hide();
}

void NotchLauncherWindow::resumeAfterDesktopSwitch(bool didChangeDesktop)
{
    if (m_isClosed || !m_viewModel->isDesktopSwitchSuspended())
        return;
    if (didChangeDesktop && !showsDemoItems()) {
        if (m_suspendedWithFieldContext)
            expand(false, false);
        m_viewModel->clearAIContext();
        m_viewModel->setShowsAIControls(false);
        m_clipboardPasteTarget.reset();
        if (m_isExpanded) {
            rememberFrontmostApplication();
            m_clipboardPasteTarget = focusedFieldTargetFromService();
        }
    }
    m_viewModel->setIsDesktopSwitchSuspended(false);
    m_suspendedWithFieldContext = false;
    const bool restore = std::exchange(m_shouldRestoreAfterDesktopSwitch, false);
    if (!restore || m_isPerformingSelection)
        return;

    m_requiresPointerExitAfterDesktopSwitch =
        isNotchMode() && screenHasRealNotch() && !m_isExpanded && contains(hoverZone(), pointerLocation());
    startHardwareNotchHoverMonitor();
    m_window->setAllowsKeyboardFocus(m_isExpanded);
    applyFrame(false);
    showWithoutActivating();
    if (m_isExpanded) {
        m_hoverOutLockUntil = showsDemoItems() ? lockedForGood : now() + showLock;
        startPointerExitMonitor();
    }
}

void NotchLauncherWindow::applyDemoConfiguration(const NotchLauncherDemoConfiguration &configuration)
{
    closeDemoPreviewWindow();
    m_collapseTask.cancel();
    m_collapsedStateResetTask.cancel();
    m_demoConfiguration = configuration;
    NotchLauncherViewModel &model = *m_viewModel;
    model.setDemoClipboardItems(configuration.clipboardItems);
    model.setDemoHighlights({});
    model.setShowsAIControls(true);
    model.clearAIContext();
    model.setSelectedList(NotchLauncherListKind::clipboard);
    model.setDisplayedList(NotchLauncherListKind::clipboard);
    model.setIsListContentVisible(true);
    showWithoutActivating();
    expand(false, true);
    applyFrame(false);
    startHardwareNotchHoverMonitor();
    m_hoverOutLockUntil = lockedForGood;
}

void NotchLauncherWindow::clearDemoConfiguration()
{
    if (!m_demoConfiguration && !showsDemoItems())
        return;
    closeDemoPreviewWindow();
    m_demoConfiguration.reset();
    NotchLauncherViewModel &model = *m_viewModel;
    model.setDemoClipboardItems(std::nullopt);
    model.setDemoHighlights({});
    model.setShowsAIControls(false);
    model.clearAIContext();
    expand(false, true);
    applyFrame(false);
    startHardwareNotchHoverMonitor();
    updateWindowShown();
}

void NotchLauncherWindow::closeDemoPreviewWindow()
{
    // The demo keeps no preview window of its own: the panel's view opens and closes previews itself.
}

void NotchLauncherWindow::close()
{
    closeDemoPreviewWindow();
    m_isClosed = true;
    // A paste already under way is left to finish: only the wait before it is cancelled.
    if (!m_isSelectionActionRunning)
        m_selectionTask.cancel();
    m_collapseTask.cancel();
    m_collapsedStateResetTask.cancel();
    m_expandSettleTask.cancel();
    m_pointerExitMonitorTask.cancel();
    m_hardwareNotchHoverMonitorTask.cancel();
    m_shrinkTask.cancel();
    m_isShrinking = false;
    removeMonitor(m_localHardwareNotchClickMonitor);
    removeMonitor(m_globalHardwareNotchClickMonitor);
    removeFieldWindowDismissMonitors();
    removeMonitor(m_dismissKeyMonitor);
    m_shouldRestoreAfterDesktopSwitch = false;
    panel()->hide();
    if (auto *view = qobject_cast<NotchLauncherView *>(m_view.data()))
        view->goOffScreen();
    panel()->setContentWidget(nullptr);
    m_view = nullptr;
    m_hostingView = nullptr;
    panel()->close();
}

// --- Content ---

void NotchLauncherWindow::installContent()
{
    if (m_isClosed)
        return;
    QWidget *root = nullptr;
    if (m_appState && m_clipboardHistory) {
        auto *view = new NotchLauncherView(m_platform, *m_viewModel, m_appState, m_clipboardHistory);
        m_view = view;
        connectView(view);
        root = view;
        connect(view, &NotchLauncherView::chromeShapeChanged, this,
                [this](const QPainterPath &path) { panel()->setShape(path); });
        view->setFilterBar(new NotchFilterBar(*m_viewModel, *m_appState->filters(),
                                              [view] { return view->panelPalette(); }, *m_platform.clock));
        view->setPreviewPresenter(previewPresenter(view));
        connect(m_appState->settings(), &SettingsStore::settingsChanged, this,
                &NotchLauncherWindow::startHardwareNotchHoverMonitor);
    } else {
        root = new QWidget;
    }
    m_hostingView = root;
    panel()->setContentWidget(root);
    applyFrame(false);
    if (auto *view = qobject_cast<NotchLauncherView *>(root))
        view->goOnScreen();
    if (isNotchMode()) {
        startHardwareNotchHoverMonitor();
        installHardwareNotchClickMonitors();
    }
    if (!m_dismissKeyMonitor) {
        QPointer<NotchLauncherWindow> self = this;
        m_dismissKeyMonitor = m_platform.eventMonitors->addLocalKeyDownMonitor([self](const KeyDownEvent &event) {
            if (!self || event.key != Qt::Key_Escape || event.window != self->panel() || !self->handleEscape())
                return EventDisposition::Pass;
            return EventDisposition::Consume;
        });
    }
}

NotchLauncherView::PreviewPresenter NotchLauncherWindow::previewPresenter(QObject *owner)
{
    QPointer<NotchLauncherWindow> self = this;
    QPointer<QObject> parent = owner;
    NotchLauncherView::PreviewPresenter presenter;
    presenter.open = [self, parent](const NotchLauncherView::PreviewRequest &request) -> QObject * {
        if (!self)
            return nullptr;
        auto model = std::make_unique<ClipboardPreviewModel>(request.items, request.selected.id(),
                                                             request.onSelectionChanged);
        auto *window = new ClipboardPreviewWindow(self->m_platform, self->m_appState, std::move(model), parent);
        window->onPaste = request.onPaste;
        window->onClose = request.onClose;
        // On the screen of the window that has the keyboard, which is this launcher's when it has it.
        window->show(self->panel()->hasKeyboard() ? std::optional<ScreenInfo>(self->m_screen) : std::nullopt);
        return window;
    };
    presenter.close = [](QObject *window) {
        if (auto *preview = qobject_cast<ClipboardPreviewWindow *>(window))
            preview->close();
    };
    return presenter;
}

void NotchLauncherWindow::connectView(NotchLauncherView *view)
{
    QPointer<NotchLauncherWindow> self = this;
    NotchLauncherView::Host host;
    host.ownsKeyboardEvent = [self](const KeyDownEvent &event) { return self && event.window == self->panel(); };
    host.keyboardWindowScreen = [self]() -> std::optional<ScreenInfo> {
        if (self && self->panel()->hasKeyboard())
            return self->m_screen;
        return std::nullopt;
    };
    view->setHost(std::move(host));
    connect(view, &NotchLauncherView::hoverChanged, this, &NotchLauncherWindow::handleHover);
    connect(view, &NotchLauncherView::collapsedTapped, this, [this] {
        m_hoverOutLockUntil = now() + expandLock;
        expand(true, true);
        if (m_viewModel->displayedList() == NotchLauncherListKind::clipboard)
            focusClipboardSearch();
    });
    connect(view, &NotchLauncherView::clipboardListFocusRequested, this, [this] {
        if (!m_isExpanded || showsDemoItems() || m_viewModel->displayedList() != NotchLauncherListKind::clipboard)
            return;
        if (!panel()->hasKeyboard()) {
            rememberFrontmostApplication();
            m_window->takeKeyboard();
        }
        clearWidgetFocus();
    });
    connect(view, &NotchLauncherView::clipboardItemSelected, this, &NotchLauncherWindow::selectClipboardItem);
    connect(view, &NotchLauncherView::clipboardPreviewOpening, this, [this](const ClipboardItem &item) {
        if (m_demoConfiguration && m_demoConfiguration->onClipboardPreview)
            m_demoConfiguration->onClipboardPreview(item);
    });
    connect(view, &NotchLauncherView::aiSuggestionSelected, this, &NotchLauncherWindow::selectAISuggestion);
    connect(view, &NotchLauncherView::listKindSelected, this, [self](NotchLauncherListKind list) {
        if (self->m_demoConfiguration && self->m_demoConfiguration->onListKindSelect)
            self->m_demoConfiguration->onListKindSelect(list);
        if (!self)
            return;
        self->selectList(list);
        if (list == NotchLauncherListKind::clipboard)
            self->focusClipboardSearch();
    });
    connect(view, &NotchLauncherView::searched, this, [this](const QString &query) {
        if (m_demoConfiguration && m_demoConfiguration->onSearch)
            m_demoConfiguration->onSearch(query);
    });
    connect(view, &NotchLauncherView::settingsOpened, this, [self] {
        if (self->m_demoConfiguration && self->m_demoConfiguration->onSettingsOpen)
            self->m_demoConfiguration->onSettingsOpen();
        // The settings window opens under the panel, however the panel was opened.
        if (self && !self->showsDemoItems())
            self->expand(false, true);
    });
    connect(view, &NotchLauncherView::contentLayoutChanged, this, [this] { applyFrame(true); });
    connect(view, &NotchLauncherView::textInputFocusRequested, this, [this] {
        // Suggestions at the notch leave the keyboard with the other application; a click into the history's
        // search field or the manual entry takes it.
        if (!m_isExpanded || panel()->hasKeyboard())
            return;
        rememberFrontmostApplication();
        takeKeyboard();
    });
    connect(view, &NotchLauncherView::keyboardActivity, this, [this] {
        // A panel being typed into stays open while the pointer rests elsewhere.
        if (m_isExpanded) {
            m_hoverOutLockUntil = std::max(m_hoverOutLockUntil, now() + showLock);
            holdForKeyboard();
        }
    });
}

// --- Monitors and tasks ---

void NotchLauncherWindow::removeMonitor(std::optional<MonitorToken> &token)
{
    if (token)
        m_platform.eventMonitors->removeMonitor(*token);
    token.reset();
}

bool NotchLauncherWindow::hardwareNotchHoverPollCanAct() const
{
    if (m_isClosed || !isNotchMode() || !screenHasRealNotch())
        return false;
    return m_requiresPointerExitAfterDesktopSwitch || (m_appState && expandsOnHover(false));
}

void NotchLauncherWindow::startHardwareNotchHoverMonitor()
{
    // A poll that could change nothing would only wake the program 20 times a second.
    if (!hardwareNotchHoverPollCanAct()) {
        m_hardwareNotchHoverMonitorTask.cancel();
        return;
    }
    if (!m_hardwareNotchHoverMonitorTask.isRunning())
        m_hardwareNotchHoverMonitorTask.start(hardwareNotchHoverLoop(this, m_platform.clock));
}

void NotchLauncherWindow::startPointerExitMonitor()
{
    if (!isNotchMode())
        return;
    m_pointerExitMonitorTask.start(pointerExitLoop(this, m_platform.clock));
}

void NotchLauncherWindow::startCollapsedStateReset()
{
    m_collapsedStateResetTask.start(resetCollapsedState(this, m_platform.clock));
}

void NotchLauncherWindow::installHardwareNotchClickMonitors()
{
    EventMonitors &monitors = *m_platform.eventMonitors;
    QPointer<NotchLauncherWindow> self = this;
    if (!m_localHardwareNotchClickMonitor) {
        m_localHardwareNotchClickMonitor =
            monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [self](const MouseDownEvent &event) {
                if (self && event.clickCount == 1)
                    self->handleHardwareNotchClick();
                return EventDisposition::Pass;
            });
    }
    if (!m_globalHardwareNotchClickMonitor) {
        m_globalHardwareNotchClickMonitor =
            monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left, [self](const MouseDownEvent &event) {
                if (!self || event.clickCount != 1)
                    return;
                QMetaObject::invokeMethod(
                    self,
                    [self] {
                        if (self)
                            self->handleClickInOtherApplication();
                        if (self)
                            self->handleHardwareNotchClick();
                    },
                    Qt::QueuedConnection);
            });
    }
}

void NotchLauncherWindow::installFieldWindowDismissMonitors()
{
    EventMonitors &monitors = *m_platform.eventMonitors;
    QPointer<NotchLauncherWindow> self = this;
    if (!m_localFieldWindowDismissMonitor) {
        m_localFieldWindowDismissMonitor =
            monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [self](const MouseDownEvent &event) {
                if (self && event.clickCount == 1)
                    self->handleFieldWindowOutsideClick();
                return EventDisposition::Pass;
            });
    }
    if (!m_globalFieldWindowDismissMonitor) {
        m_globalFieldWindowDismissMonitor =
            monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left, [self](const MouseDownEvent &event) {
                if (!self || event.clickCount != 1)
                    return;
                QMetaObject::invokeMethod(
                    self, [self] { if (self) self->handleFieldWindowOutsideClick(); }, Qt::QueuedConnection);
            });
    }
}

void NotchLauncherWindow::removeFieldWindowDismissMonitors()
{
    removeMonitor(m_localFieldWindowDismissMonitor);
    removeMonitor(m_globalFieldWindowDismissMonitor);
}

// --- Hover tracking ---

void NotchLauncherWindow::handleHover(bool inside)
{
    if (!isNotchMode()) {
        // The compact window's values take the keyboard once the pointer comes to them: Escape closes the
        // window then, and Space shows a value's card.
        if (inside && m_isExpanded && !showsDemoItems() && canInteract()
            && m_viewModel->displayedList() == NotchLauncherListKind::recent && !panel()->hasKeyboard()) {
            rememberFrontmostApplication();
            takeKeyboard();
        }
        return;
    }
    if (m_viewModel->isDesktopSwitchSuspended())
        return;
    if (m_requiresPointerExitAfterDesktopSwitch) {
        if (!inside)
            m_requiresPointerExitAfterDesktopSwitch = false;
        return;
    }
    m_collapseTask.cancel();
    if (inside) {
        notePointer(true);
        if (!expandsOnHover(true) && !m_isExpanded)
            return;
        expand(true, true);
        return;
    }
    if (showsDemoItems())
        return;
    // Only a pointer that came in and leaves again closes a panel the keyboard is using.
    if (!notePointer(false))
        return;
    if (m_isExpanded) {
        if (m_viewModel->aiContext() || now() < m_hoverOutLockUntil || contains(expandedFrame(), pointerLocation()))
            return;
    }
    m_collapseTask.start(collapseAfterHoverOut(this, m_platform.clock, m_platform.screens));
}

void NotchLauncherWindow::pollHardwareNotchHover()
{
    if (m_requiresPointerExitAfterDesktopSwitch) {
        if (!contains(hoverZone(), pointerLocation()))
            m_requiresPointerExitAfterDesktopSwitch = false;
        return;
    }
    if (!isNotchMode() || !screenHasRealNotch() || !canInteract() || !m_appState || !expandsOnHover(false)
        || m_isExpanded || !panel()->isVisible() || !contains(hoverZone(), pointerLocation()))
        return;
    expand(true, true);
}

void NotchLauncherWindow::handleHardwareNotchClick()
{
    if (!canInteract())
        return;
    if (m_isExpanded && m_viewModel->aiContext() && !showsDemoItems()
        && !contains(expandedFrame(), pointerLocation())) {
        expand(false, true);
        m_viewModel->clearAIContext();
        return;
    }
    if (!isNotchMode() || !screenHasRealNotch() || !m_appState)
        return;
    const std::optional<bool> hover = m_appState->settings()->settings().notchExpandOnHover;
    if (hover != std::optional<bool>(false) || m_isExpanded || !panel()->isVisible()
        || !contains(hoverZone(), pointerLocation()))
        return;
    m_hoverOutLockUntil = now() + expandLock;
    expand(true, true);
    if (m_viewModel->displayedList() == NotchLauncherListKind::clipboard)
        focusClipboardSearch();
}

void NotchLauncherWindow::handleClickInOtherApplication()
{
    if (m_isExpanded && m_isHeldForKeyboard && !showsDemoItems() && !contains(expandedFrame(), pointerLocation()))
        expand(false, true);
}

bool NotchLauncherWindow::handleEscape()
{
    if (!m_isExpanded || showsDemoItems())
        return false;
    NotchLauncherView *shown = view();
    if (shown && (shown->isPreviewOpen() || shown->suggestionPreviewWindow())) {
        shown->previews().closeAll();
        return true;
    }
    expand(false, true);
    return true;
}

void NotchLauncherWindow::handleFieldWindowOutsideClick()
{
    if (isNotchMode() || !m_isExpanded || showsDemoItems() || contains(expandedFrame(), pointerLocation()))
        return;
    expand(false, true);
    m_viewModel->clearAIContext();
}

bool NotchLauncherWindow::pollPointerExit()
{
    if (!m_isExpanded || showsDemoItems())
        return false;
    const bool inside = contains(expandedFrame(), pointerLocation());
    if (!notePointer(inside))
        return true;
    if (now() >= m_hoverOutLockUntil && !inside) {
        if (!m_viewModel->aiContext()) {
            expand(false, true);
            return false;
        }
    }
    return true;
}

// --- Selection ---

std::optional<Task<>> NotchLauncherWindow::performSelection(std::function<Task<>()> action)
{
    if (m_isPerformingSelection || m_isClosed)
        return std::nullopt;
    m_isPerformingSelection = true;
    m_collapseTask.cancel();
    m_window->setAllowsKeyboardFocus(false);
    clearWidgetFocus();
    panel()->hide();
    expand(false, true);

    const Lifetime::Pointer<NotchLauncherWindow> self(this, m_lifetime);
    auto actionRunning = [self](bool running) {
        if (self)
            self->m_isSelectionActionRunning = running;
    };
    auto finish = [self] {
        if (!self)
            return;
        if (!self->m_isClosed) {
            self->applyCollapsedVisibility();
            self->updateWindowShown();
        }
        self->m_isPerformingSelection = false;
        Q_EMIT self->selectionFinished();
    };
    Task<> task = runSelection(self, m_platform.clock, std::move(action), actionRunning, finish);
    m_selectionTask.start(task);
    return task;
}

void NotchLauncherWindow::selectClipboardItem(const ClipboardItem &item)
{
    if (m_demoConfiguration) {
        if (m_demoConfiguration->onClipboardItemSelect)
            m_demoConfiguration->onClipboardItemSelect(item);
        m_hoverOutLockUntil = lockedForGood;
        return;
    }
    if (!m_appState)
        return;
    // The collapse that follows clears the target: take it now.
    const std::optional<ClipboardPasteTarget> target = m_clipboardPasteTarget;
    QPointer<NotchLauncherWindow> self = this;
    QPointer<AppState> appState = m_appState;
    QPointer<ClipboardHistoryManager> history = m_clipboardHistory;
    performSelection([self, appState, history, item, target] {
        return pasteClipboardItem(self, appState, history, item, target);
    });
}

void NotchLauncherWindow::selectAISuggestion(const FocusedFieldSuggestion &suggestion)
{
    if (m_demoConfiguration) {
        if (m_demoConfiguration->onAISuggestionSelect)
            m_demoConfiguration->onAISuggestionSelect(suggestion);
        m_hoverOutLockUntil = lockedForGood;
        return;
    }
    QPointer<NotchLauncherWindow> self = this;
    performSelection([self, suggestion] { return insertSuggestion(self, suggestion); });
}
