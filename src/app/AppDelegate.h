#pragma once
// The composition root: builds the stores and services in their start-up order, owns them for the whole
// run and stops them in order at termination.

#include "platform/Platform.h"

#include <QObject>

#include <memory>

class AppState;
class ClipboardAnalysisQueue;
class ClipboardHistoryManager;
class ClipboardItemStore;
class ClipboardOCRService;
class ClipboardService;
class FocusedFieldAutoPasteService;
class MainStoreContainer;
class NotchLauncherService;
class NotchShortcutService;
class PasteboardManager;
class SettingsWindow;
class SpellingServiceProvider;
class SystemStatus;

struct LaunchOptions {
    // "--test-mode": the stores start, nothing global (hot key, launcher windows, prompts) is installed.
    bool testMode = false;
    // The history lives in memory only (tests that must not leave a store behind).
    bool inMemoryStore = false;
};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate(const Platform &platform, LaunchOptions options, QObject *parent = nullptr);
    ~AppDelegate() override;

    static LaunchOptions launchOptions(const QStringList &arguments);
    // Hands the paste service the root state's permission request, plain-text setting and pulse, and the
    // history, all held weakly: a hook whose owner is gone does nothing.
    static void linkClipboardService(ClipboardService &service, AppState *appState, ClipboardHistoryManager *history);

    // Runs the start-up sequence: startStores(), then the launcher with its windows, the hot key, the field
    // monitors, the spelling service and the permission prompts. Safe to call again.
    void start();
    // The first part of start(): the stores start, the history is loaded and copies are kept from here on.
    // The program runs it before its event loop and the rest of start() on the loop's first turn, so the
    // history answers without waiting for the launcher's windows.
    void startStores();
    // Unregisters the hot key, then stops the launcher and the capture. Safe to call twice.
    void stop();

    AppState &appState() const { return *m_appState; }
    ClipboardHistoryManager &history() const { return *m_history; }
    MainStoreContainer &mainStore() const { return *m_mainStore; }
    // Where the history is kept and where the model answers from; each failure told once.
    SystemStatus &systemStatus() const { return *m_systemStatus; }
    ClipboardService &clipboardService() const { return *m_clipboardService; }
    ClipboardOCRService &ocrService() const { return *m_ocrService; }
    ClipboardAnalysisQueue &analysisQueue() const { return *m_analysisQueue; }
    NotchLauncherService *launcherService() const { return m_launcherService.get(); }
    // The "tavlen-settings" window, opened whenever the runtime state asks for the settings.
    SettingsWindow &settingsWindow() const { return *m_settingsWindow; }
    FocusedFieldAutoPasteService *autoPasteService() const { return m_autoPasteService.get(); }
    // The spelling check other applications' selections reach; null in test mode and before start().
    SpellingServiceProvider *spellingService() const { return m_spellingService.get(); }

private:
    void startLauncher();
    void requestPermissionsWhenNeeded();

    Platform m_platform;
    LaunchOptions m_options;
    bool m_storesStarted = false;
    bool m_started = false;
    bool m_stopped = false;

    // The shared main store container.
    std::unique_ptr<MainStoreContainer> m_mainStore;

    std::unique_ptr<SystemStatus> m_systemStatus;
    std::unique_ptr<AppState> m_appState;
    // Shows the settings and filters of m_appState, so it goes first.
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<ClipboardItemStore> m_itemStore;
    std::unique_ptr<ClipboardHistoryManager> m_history;
    std::unique_ptr<ClipboardOCRService> m_ocrService;
    std::unique_ptr<ClipboardAnalysisQueue> m_analysisQueue;
    std::unique_ptr<PasteboardManager> m_pasteboard;
    std::unique_ptr<ClipboardService> m_clipboardService;
    std::unique_ptr<NotchLauncherService> m_launcherService;
    std::unique_ptr<NotchShortcutService> m_shortcutService;
    std::unique_ptr<FocusedFieldAutoPasteService> m_autoPasteService;
    std::unique_ptr<SpellingServiceProvider> m_spellingService;
};
