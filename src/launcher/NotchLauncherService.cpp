#include "launcher/NotchLauncherService.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "fields/NotchAIActionHandling.h"
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/SettingsStore.h"
#include "platform/Workspace.h"
#include "state/AppState.h"

namespace {

Task<bool> falseAtOnce()
{
    co_return false;
}

} // namespace

NotchLauncherService::NotchLauncherService(const Platform &platform, AppState *appState,
                                           ClipboardHistoryManager *clipboardHistory, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_appState(appState)
    , m_clipboardHistory(clipboardHistory)
{
}

NotchLauncherService::~NotchLauncherService()
{
    disconnect(m_screenObserver);
    disconnect(m_settingsObserver);
    for (NotchLauncherWindow *window : allWindows())
        window->close();
}

NotchAIActionHandling *NotchLauncherService::aiActionHandler() const
{
    return m_aiActionHandler;
}

void NotchLauncherService::setAIActionHandler(NotchAIActionHandling *handler)
{
    m_aiActionHandler = handler;
}

NotchLauncherWindow *NotchLauncherService::demoWindow() const
{
    return m_demoWindow;
}

bool NotchLauncherService::isFieldWindowEnabled() const
{
    return m_appState && m_appState->settings()->settings().fieldWindowEnabled;
}

QList<NotchLauncherWindow *> NotchLauncherService::allWindows() const
{
    return m_windows.values() + m_fieldWindows.values();
}

// --- Building the window set ---

void NotchLauncherService::refreshWindows()
{
    if (!m_appState || !m_clipboardHistory)
        return;
    ++m_refreshCount;
    closeAll();

    const QList<ScreenInfo> screens = m_platform.screens->screens();
    for (const ScreenInfo &screen : screens) {
        if (!screen.number)
            continue;
        const quint32 number = *screen.number;
        NotchLauncherWindow *launcher = makeLauncherWindow(screen, LauncherPresentation::notch);
        insertWindow(m_windows, number, launcher);
        launcher->applyFrame(false);
        launcher->updateWindowShown();

        if (isFieldWindowEnabled()) {
            NotchLauncherWindow *field = makeLauncherWindow(screen, LauncherPresentation::window);
            insertWindow(m_fieldWindows, number, field);
            field->applyFrame(false);
            field->updateWindowShown();
        }
        if (desktopSwitchMonitor().state().isSuspended)
            launcher->suspendForDesktopSwitch();
    }
}

void NotchLauncherService::insertWindow(WindowMap &map, quint32 number, NotchLauncherWindow *window)
{
    // Two screens can report the same number: the later one wins, and the earlier window must not stay
    // on screen without an owner.
    if (NotchLauncherWindow *replaced = map.value(number); replaced && replaced != window)
        retire(replaced);
    map.insert(number, window);
}

void NotchLauncherService::closeAll()
{
    const QList<NotchLauncherWindow *> windows = allWindows();
    m_windows.clear();
    m_fieldWindows.clear();
    m_demoWindow = nullptr;
    for (NotchLauncherWindow *window : windows)
        retire(window);
}

void NotchLauncherService::retire(NotchLauncherWindow *window)
{
    window->close();
    // A paste under way keeps its window until it has finished.
    if (window->isPerformingSelection())
        connect(window, &NotchLauncherWindow::selectionFinished, window, &QObject::deleteLater);
    else
        window->deleteLater();
}

NotchLauncherWindow *NotchLauncherService::makeLauncherWindow(const ScreenInfo &screen,
                                                              LauncherPresentation presentation)
{
    auto *window = new NotchLauncherWindow(m_platform, screen, presentation, m_appState, m_clipboardHistory, this);
    QPointer<NotchLauncherService> self = this;
    window->onWillExpand = [self](NotchLauncherWindow *expanding) {
        if (self)
            self->m_expansionCoordinator.willExpand(expanding);
    };
    window->hasFocusedField = [self] {
        NotchAIActionHandling *handler = self ? self->aiActionHandler() : nullptr;
        return handler && handler->hasFocusedField();
    };
    window->onAIContextRequest = [self](NotchLauncherListKind list) {
        NotchAIActionHandling *handler = self ? self->aiActionHandler() : nullptr;
        if (!handler)
            return;
        std::optional<RunningApplication> front;
        if (self->m_platform.workspace)
            front = self->m_platform.workspace->frontmostApplication();
        handler->requestAIContext(front, std::nullopt, list, std::nullopt);
    };
    window->onAISuggestionSelect = [self](const FocusedFieldSuggestion &suggestion) {
        NotchAIActionHandling *handler = self ? self->aiActionHandler() : nullptr;
        if (!handler)
            return;
        if (const std::optional<NotchAIActionHandling::NotchTarget> target = handler->currentNotchTarget())
            handler->insertValue(suggestion, target->field, target->application, target->frame);
        else
            handler->clearNotchTarget();
    };
    window->onFocusedFieldClipboardItemSelect = [self](const ClipboardItem &item,
                                                       const ClipboardPasteTarget &target) -> Task<bool> {
        NotchAIActionHandling *handler = self ? self->aiActionHandler() : nullptr;
        if (!handler)
            return falseAtOnce();
        return handler->handleClipboardItemSelect(item, target);
    };
    window->installContent();
    return window;
}

// --- Observation ---

void NotchLauncherService::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            refreshWindows();
        },
        Qt::QueuedConnection);
}

void NotchLauncherService::observeScreenChanges()
{
    if (m_screenObserver)
        return;
    m_screenObserver = connect(m_platform.screens, &Screens::screensChanged, this, [this] { scheduleRefresh(); });
}

void NotchLauncherService::observeSettingsChanges()
{
    if (m_settingsObserver || !m_appState)
        return;
    m_settingsObserver =
        connect(m_appState->settings(), &SettingsStore::settingsChanged, this, [this] { scheduleRefresh(); });
}

NotchDesktopSwitchMonitor &NotchLauncherService::desktopSwitchMonitor()
{
    if (!m_desktopSwitchMonitor) {
        m_desktopSwitchMonitor = new NotchDesktopSwitchMonitor(*m_platform.desktopSwitchSignals, *m_platform.clock, this);
        connect(m_desktopSwitchMonitor, &NotchDesktopSwitchMonitor::suspendRequested, this, [this] {
            for (NotchLauncherWindow *window : allWindows())
                window->suspendForDesktopSwitch();
        });
        connect(m_desktopSwitchMonitor, &NotchDesktopSwitchMonitor::restoreRequested, this,
                [this](bool didChangeDesktop) {
                    for (NotchLauncherWindow *window : allWindows())
                        window->resumeAfterDesktopSwitch(didChangeDesktop);
                });
    }
    return *m_desktopSwitchMonitor;
}

// --- Opening ---

NotchLauncherWindow *NotchLauncherService::window(QPointF containing, const WindowMap &in) const
{
    std::optional<ScreenInfo> screen = m_platform.screens->screen(containing);
    if (!screen)
        screen = m_platform.screens->primaryScreen();
    if (screen && screen->number) {
        if (NotchLauncherWindow *found = in.value(*screen->number))
            return found;
    }
    return in.isEmpty() ? nullptr : in.first();
}

void NotchLauncherService::openLauncher(NotchLauncherListKind list, std::optional<QPointF> at,
                                        std::optional<QRectF> anchor, std::optional<ClipboardPasteTarget> pasteTarget)
{
    desktopSwitchMonitor().installEventTap();
    NotchLauncherWindow *target = nullptr;
    if (at && m_appState && isFieldWindowEnabled()) {
        target = window(*at, m_fieldWindows);
        if (!target)
            return;
        target->updateFieldContext(anchor, *at, std::move(pasteTarget));
    } else {
        const QPointF point = at ? *at : m_platform.screens->pointerLocation();
        target = m_demoWindow ? m_demoWindow.data() : window(point, m_windows);
        if (!target)
            return;
    }
    target->show(list);
    if (target->demoConfiguration() && target->demoConfiguration()->onListKindSelect)
        target->demoConfiguration()->onListKindSelect(list);
}

void NotchLauncherService::presentFieldContext(const NotchAIContext &context, NotchLauncherListKind list,
                                               const ClipboardPasteTarget &target, std::optional<QRectF> fieldFrame,
                                               QPointF point, bool pointGiven)
{
    NotchLauncherWindow *chosen = nullptr;
    if (m_appState && isFieldWindowEnabled() && fieldFrame)
        chosen = window(point, m_fieldWindows);
    else if (m_demoWindow)
        chosen = m_demoWindow;
    else
        chosen = window(point, m_windows);
    if (!chosen)
        return;
    desktopSwitchMonitor().installEventTap();
    if (pointGiven || !chosen->isExpanded())
        chosen->updateFieldContext(fieldFrame, point, target);
    chosen->openForPasteTarget(context, list, target);
}

void NotchLauncherService::prepareDesktopSwitchMonitor()
{
    desktopSwitchMonitor().installEventTap();
}

void NotchLauncherService::showClipboardLauncher(QPointF point)
{
    NotchLauncherWindow *target = m_demoWindow ? m_demoWindow.data() : window(point, m_windows);
    if (!target)
        return;
    target->show(NotchLauncherListKind::clipboard);
    if (target->demoConfiguration() && target->demoConfiguration()->onListKindSelect)
        target->demoConfiguration()->onListKindSelect(NotchLauncherListKind::clipboard);
}

void NotchLauncherService::collapseAllExpanded()
{
    for (NotchLauncherWindow *window : allWindows()) {
        if (window->isExpanded())
            window->expand(false, true);
    }
}

void NotchLauncherService::clearAIContexts()
{
    for (NotchLauncherWindow *window : allWindows()) {
        NotchLauncherViewModel *model = window->viewModel();
        if (!model->aiContext())
            continue;
        window->expand(false, true);
        model->clearAIContext();
    }
}

// --- The onboarding demo ---

bool NotchLauncherService::presentDemo(const NotchLauncherDemoConfiguration &configuration,
                                       std::optional<quint32> screenNumber)
{
    NotchLauncherWindow *chosen = screenNumber ? m_windows.value(*screenNumber) : nullptr;
    if (!chosen)
        chosen = m_demoWindow ? m_demoWindow.data() : window(m_platform.screens->pointerLocation(), m_windows);
    if (!chosen)
        return false;
    for (NotchLauncherWindow *other : m_windows) {
        if (other == chosen)
            continue;
        other->clearDemoConfiguration();
        if (other->isExpanded())
            other->expand(false, true);
    }
    for (NotchLauncherWindow *field : m_fieldWindows) {
        if (field->isExpanded())
            field->expand(false, true);
    }
    m_demoWindow = chosen;
    chosen->applyDemoConfiguration(configuration);
    return true;
}

void NotchLauncherService::setDemoHighlights(const NotchDemoHighlights &highlights)
{
    NotchLauncherWindow *demo = m_demoWindow;
    if (!demo || !demo->showsDemoItems())
        return;
    demo->viewModel()->setDemoHighlights(highlights);
    demo->show(NotchLauncherListKind::clipboard);
    demo->setHoverOutLockUntil(NotchLauncherWindow::lockedForGood);
}

void NotchLauncherService::updateDemoHighlights(const NotchDemoHighlights &highlights)
{
    NotchLauncherWindow *demo = m_demoWindow;
    if (!demo || !demo->showsDemoItems())
        return;
    demo->viewModel()->setDemoHighlights(highlights);
}

void NotchLauncherService::closeDemoPreview()
{
    NotchLauncherWindow *demo = m_demoWindow;
    if (!demo || !demo->showsDemoItems())
        return;
    demo->closeDemoPreviewWindow();
    if (demo->isExpanded())
        demo->expand(false, true);
}

void NotchLauncherService::finishDemo()
{
    for (NotchLauncherWindow *window : m_windows)
        window->clearDemoConfiguration();
    m_demoWindow = nullptr;
}

void NotchLauncherService::stop()
{
    desktopSwitchMonitor().stop();
    disconnect(m_screenObserver);
    m_screenObserver = {};
    const QList<NotchLauncherWindow *> windows = allWindows();
    m_windows.clear();
    m_fieldWindows.clear();
    for (NotchLauncherWindow *window : windows)
        retire(window);
}
