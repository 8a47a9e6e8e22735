#pragma once
// Owns every launcher window: one at the notch of each screen and, while the compact window is enabled,
// one compact window per screen. Rebuilds them when the screens or any setting change, opens the right one
// for the hot key, a Super + double-click and the onboarding demo, keeps one list expanded at a time and
// forwards desktop switches to every window.

#include "clipboard/ClipboardPasteTarget.h"
#include "launcher/NotchExpansionCoordinator.h"
#include "launcher/NotchLauncherDemoConfiguration.h"
#include "fields/NotchFieldLauncher.h"
#include "launcher/NotchShortcutLauncher.h"
#include "model/NotchDemoHighlight.h"
#include "model/LauncherPresentation.h"
#include "model/NotchLauncherListKind.h"
#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QMap>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>

class AppState;
class ClipboardHistoryManager;
class NotchAIActionHandling;
class NotchLauncherWindow;
class NotchDesktopSwitchMonitor;

class NotchLauncherService : public QObject, public NotchShortcutLauncher, public NotchFieldLauncher {
    Q_OBJECT
public:
    // Windows by screen number; the order carries no meaning.
    using WindowMap = QMap<quint32, NotchLauncherWindow *>;

    // Holds both weakly; builds no window yet.
    NotchLauncherService(const Platform &platform, AppState *appState, ClipboardHistoryManager *clipboardHistory,
                         QObject *parent = nullptr);
    ~NotchLauncherService() override;

    // The field value engine; held weakly. Without it every window callback does nothing (or answers false).
    NotchAIActionHandling *aiActionHandler() const;
    void setAIActionHandler(NotchAIActionHandling *handler);

    const WindowMap &windows() const { return m_windows; }
    const WindowMap &fieldWindows() const { return m_fieldWindows; }
    NotchLauncherWindow *demoWindow() const;
    NotchExpansionCoordinator &expansionCoordinator() { return m_expansionCoordinator; }

    // Closes every window and builds the set again for the screens of this moment.
    void refreshWindows();
    // Rebuilds on every change of the screens (once installed).
    void observeScreenChanges();
    // Rebuilds once after every change of any setting, outside the change notification.
    void observeSettingsChanges();
    // Created on first use.
    NotchDesktopSwitchMonitor &desktopSwitchMonitor();

    // The window of the screen under the point (else the primary screen's; else any window of the map).
    NotchLauncherWindow *window(QPointF containing, const WindowMap &in) const;

    // Opens the launcher (or, for a point while the compact window is enabled, the compact window there).
    void openLauncher(NotchLauncherListKind list, std::optional<QPointF> at, std::optional<QRectF> anchor,
                      std::optional<ClipboardPasteTarget> pasteTarget) override;
    void presentFieldContext(const NotchAIContext &context, NotchLauncherListKind list,
                             const ClipboardPasteTarget &target, std::optional<QRectF> fieldFrame, QPointF point,
                             bool pointGiven) override;
    void collapseAllExpanded() override;
    // Collapses and empties every window that shows a field context.
    void clearAIContexts() override;

    // --- The onboarding demo ---
    bool presentDemo(const NotchLauncherDemoConfiguration &configuration, std::optional<quint32> screenNumber);
    void setDemoHighlights(const NotchDemoHighlights &highlights);
    void updateDemoHighlights(const NotchDemoHighlights &highlights);
    void closeDemoPreview();
    void finishDemo();

    // --- The hot key ---
    void prepareDesktopSwitchMonitor() override;
    void showClipboardLauncher(QPointF point) override;

    // Ends the service: the desktop-switch monitor, the screen observer and every window.
    void stop();

    // How many rebuilds have run (for tests and diagnostics).
    int refreshCount() const { return m_refreshCount; }

private:
    NotchLauncherWindow *makeLauncherWindow(const ScreenInfo &screen, LauncherPresentation presentation);
    void insertWindow(WindowMap &map, quint32 number, NotchLauncherWindow *window);
    void closeAll();
    void retire(NotchLauncherWindow *window);
    void scheduleRefresh();
    bool isFieldWindowEnabled() const;
    QList<NotchLauncherWindow *> allWindows() const;

    Platform m_platform;
    QPointer<AppState> m_appState;
    QPointer<ClipboardHistoryManager> m_clipboardHistory;
    QPointer<NotchAIActionHandling> m_aiActionHandler;
    WindowMap m_windows;
    WindowMap m_fieldWindows;
    QPointer<NotchLauncherWindow> m_demoWindow;
    QMetaObject::Connection m_screenObserver;
    QMetaObject::Connection m_settingsObserver;
    NotchExpansionCoordinator m_expansionCoordinator;
    NotchDesktopSwitchMonitor *m_desktopSwitchMonitor = nullptr;
    bool m_refreshPending = false;
    int m_refreshCount = 0;
};
