#include "app/AppDelegate.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardItemStore.h"
#include "clipboard/ClipboardService.h"
#include "clipboard/PasteboardManager.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FocusedFieldAutoPasteService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAnalysisQueue.h"
#include "intelligence/ClipboardOCRService.h"
#include "intelligence/SpellingServiceProvider.h"
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchShortcutService.h"
#include "model/FilterManager.h"
#include "model/MainStoreContainer.h"
#include "model/SettingsStore.h"
#include "platform/LanguageModel.h"
#include "platform/Permissions.h"
#include "platform/SecretStore.h"
#include "platform/StorageLocations.h"
#include "settings/SettingsWindow.h"
#include "state/AppState.h"
#include "state/RuntimeState.h"
#include "state/SystemStatus.h"

#include <QGuiApplication>
#include <QPointer>

AppDelegate::AppDelegate(const Platform &platform, LaunchOptions options, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_options(options)
{
    m_appState = std::make_unique<AppState>(m_platform);
    // The settings window is part of the application in every mode, test mode included.
    m_systemStatus = std::make_unique<SystemStatus>(m_platform.notifications);
    m_settingsWindow = std::make_unique<SettingsWindow>(*m_appState->settings(), *m_appState->filters(), m_platform,
                                                        m_appState->ai(), m_systemStatus.get());
    connect(m_appState->runtime(), &RuntimeState::settingsPresentationTokenChanged, m_settingsWindow.get(),
            [window = m_settingsWindow.get()] { window->show(); });

    // An empty folder gives a store in memory.
    m_mainStore = std::make_unique<MainStoreContainer>(options.inMemoryStore ? QString() : m_platform.storage->dataFolder());
    m_itemStore = std::make_unique<ClipboardItemStore>(*m_mainStore);
    m_history = std::make_unique<ClipboardHistoryManager>(*m_platform.clock, m_itemStore.get());
    m_ocrService = std::make_unique<ClipboardOCRService>(*m_platform.textRecognizer);
    m_analysisQueue = std::make_unique<ClipboardAnalysisQueue>(*m_history, *m_appState->settings(), *m_appState->ai(),
                                                               *m_ocrService, *m_platform.clock);
    m_pasteboard = std::make_unique<PasteboardManager>(*m_platform.clock, *m_platform.pasteboard, m_platform.workspace);
    m_clipboardService = std::make_unique<ClipboardService>(m_platform, *m_pasteboard);

    SettingsStore *settings = m_appState->settings();
    RuntimeState *runtime = m_appState->runtime();
    m_history->setRetentionDaysProvider([settings] { return settings->settings().clipboardHistoryRetentionDays; });
    m_history->setPasteAsPlainTextProvider([settings] { return settings->settings().pasteAsPlainText; });
    // A copy's path: the pasteboard captures it, the history stores it, and the stored item goes out to the
    // logo pulse, the field values, the analysis queue and, pasting as plain text, back to the pasteboard.
    ClipboardHistoryManager *history = m_history.get();
    PasteboardManager *pasteboard = m_pasteboard.get();
    connect(pasteboard, &PasteboardManager::captured, history, &ClipboardHistoryManager::ingest);
    connect(history, &ClipboardHistoryManager::copyArrived, runtime, &RuntimeState::raiseClipboardPulse);
    connect(history, &ClipboardHistoryManager::plainTextRewriteRequested, pasteboard, &PasteboardManager::writePlainText);
    connect(history, &ClipboardHistoryManager::analysisWanted, m_analysisQueue.get(), &ClipboardAnalysisQueue::enqueue);
    connect(pasteboard, &PasteboardManager::captureReplaced, history, &ClipboardHistoryManager::replaceCapture);
    // Hashing and writing a large copy happen on a worker, before the history takes it on the main thread.
    // stop() waits for that worker, so the store is never used after it.
    ClipboardItemStore *itemStore = m_itemStore.get();
    m_pasteboard->stageCapture = [itemStore](ClipboardCapture &capture) { itemStore->stage(capture); };
    // The newest copy outlives the application that made it: the pasteboard reloads it from the history.
    m_pasteboard->keptContent = [history] {
        return history->items().isEmpty() ? PasteboardContentLoader()
                                          : PasteboardManager::contentLoader(history->items().first());
    };

    // A text copied out of another application's field belongs to that field.
    QPointer<FocusedFieldSuggestionService> fields = m_appState->focusedFieldSuggestions();
    QPointer<FieldValueAssociationService> values = m_appState->fieldValueAssociations();
    connect(history, &ClipboardHistoryManager::textItemAdded, this,
            [fields, values](const QString &text, const QString &sourceApplicationId) {
                if (!fields || !values)
                    return;
                const std::optional<FocusedFieldDescriptor> field
                    = fields->focusedFieldDescriptorForCopy(text, sourceApplicationId);
                if (field)
                    values->recordValue(text, *field);
            });
    m_clipboardService->setFocusedFieldReader([fields](const RunningApplication &app) -> std::optional<FocusedFieldTarget> {
        return fields ? fields->focusedFieldTarget(app) : std::nullopt;
    });

    SystemStatus *status = m_systemStatus.get();
    connect(m_history.get(), &ClipboardHistoryManager::saveProblemChanged, status, &SystemStatus::setHistorySaveProblem);
    if (m_platform.secrets)
        connect(m_platform.secrets, &SecretStore::unusable, status, &SystemStatus::setSecretStoreProblem);
    if (m_platform.languageModel)
        connect(m_platform.languageModel, &LanguageModel::foreignListenerChanged, status,
                &SystemStatus::setModelAddressTaken);
    connect(m_pasteboard.get(), &PasteboardManager::stormFolded, status,
            [status](const QString &application, qint64 changes) {
                status->report({SystemNotice::Kind::clipboardStorm, application, changes});
            });
    connect(m_history.get(), &ClipboardHistoryManager::floodKeptToItsOwnCopies, status,
            [status](const QString &application) {
                status->report({SystemNotice::Kind::clipboardFlood, application});
            });
    connect(m_pasteboard.get(), &PasteboardManager::copyTooLarge, status, [status] {
        status->report({SystemNotice::Kind::copyTooLarge,
                        QStringLiteral("%1 MB").arg(PasteboardManager::captureByteBudget / 1'000'000)});
    });
    MainStoreContainer *mainStore = m_mainStore.get();
    connect(m_history.get(), &ClipboardHistoryManager::storeReplaced, status, [status, mainStore] {
        status->report({SystemNotice::Kind::historyReplaced, mainStore->storePath()});
        if (!mainStore->status().keepsCopiesOnDisk())
            status->setHistoryStore(mainStore->status());
    });
    connect(m_history.get(), &ClipboardHistoryManager::changesLostAtStop, status, [status](const QString &what) {
        status->report({SystemNotice::Kind::changesLostAtQuit, what});
    });
    if (values) {
        connect(values.data(), &FieldValueAssociationService::storeMovedAside, status,
                [status](const QString &movedTo) {
                    status->report({SystemNotice::Kind::fieldValuesMovedAside, movedTo});
                });
    }

    // The poll is faster while Tavlen itself is in front (the launcher has focus).
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [pasteboard](Qt::ApplicationState state) {
        pasteboard->setApplicationActive(state == Qt::ApplicationActive);
    });
}

AppDelegate::~AppDelegate()
{
    stop();
}

LaunchOptions AppDelegate::launchOptions(const QStringList &arguments)
{
    LaunchOptions options;
    options.testMode = arguments.contains(QStringLiteral("--test-mode"));
    return options;
}

void AppDelegate::linkClipboardService(ClipboardService &service, AppState *appState, ClipboardHistoryManager *history)
{
    service.setHistory(history);
    QPointer<AppState> state(appState);
    service.setPermissionRequester([state] { return state && state->requestAutomationPermissions(); });
    service.setPasteAsPlainTextProvider([state] { return state && state->settings()->settings().pasteAsPlainText; });
    if (!appState)
        return;
    // Unique: tests link the same service again. A lambda cannot be unique, so the earlier one is dropped.
    connect(&service, &ClipboardService::itemPasted, appState->runtime(), &RuntimeState::raiseClipboardPulse,
            Qt::UniqueConnection);
    FieldValueAssociationService *values = appState->fieldValueAssociations();
    disconnect(&service, &ClipboardService::textPastedIntoField, values, nullptr);
    connect(&service, &ClipboardService::textPastedIntoField, values,
            [values](const QString &text, const FocusedFieldTarget &field) { values->recordValue(text, field.descriptor); });
}

void AppDelegate::start()
{
    startStores();
    if (m_started)
        return;
    m_started = true;

    if (m_options.testMode) {
        // Test mode only marks the event-posting permission as asked and installs nothing global.
        m_appState->settings()->update([](UserSettingsData &s) { s.hasRequestedEventPostingPermission = true; });
        return;
    }
    startLauncher();
    // Other applications' selections reach the spelling check from here on.
    m_spellingService = std::make_unique<SpellingServiceProvider>(*m_appState->settings(), *m_appState->ai(), m_platform);
    m_spellingService->install();
    requestPermissionsWhenNeeded();
}

void AppDelegate::startStores()
{
    if (m_storesStarted)
        return;
    m_storesStarted = true;

    m_appState->fieldValueAssociations()->fetchAssociations();
    m_history->start();
    // Once the history is loaded: a store found damaged while it was read has been set aside by then.
    m_systemStatus->setHistoryStore(m_mainStore->status());
    if (m_platform.languageModel)
        m_systemStatus->setModelAddress(m_platform.languageModel->remoteAddress());
    m_analysisQueue->start();
    // A shorter retention takes effect at once, not at the next minute's clean-up.
    ClipboardHistoryManager *history = m_history.get();
    connect(m_appState->settings(), &SettingsStore::settingsChanged, history, [history] { history->cleanUp(); });
    m_pasteboard->start();
    linkClipboardService(*m_clipboardService, m_appState.get(), m_history.get());
    m_appState->setClipboardService(m_clipboardService.get());
}

void AppDelegate::startLauncher()
{
    m_launcherService = std::make_unique<NotchLauncherService>(m_platform, m_appState.get(), m_history.get());
    m_launcherService->refreshWindows();
    m_launcherService->observeScreenChanges();
    m_launcherService->desktopSwitchMonitor().start();
    m_launcherService->observeSettingsChanges();

    m_shortcutService = std::make_unique<NotchShortcutService>(*m_launcherService, *m_platform.screens);
    // A refused registration is not retried or reported: the hot key then simply does nothing.
    m_shortcutService->registerClipboardHotKey(*m_platform.hotKeys, *m_platform.clock);

    m_autoPasteService = std::make_unique<FocusedFieldAutoPasteService>(m_platform, m_appState->settings(),
                                                                        m_appState->focusedFieldSuggestions());
    m_autoPasteService->setLauncher(m_launcherService.get(), m_launcherService.get());
    m_autoPasteService->setClipboardService(m_clipboardService.get());
    m_autoPasteService->setFieldValueAssociations(m_appState->fieldValueAssociations());
    RuntimeState *runtime = m_appState->runtime();
    connect(m_autoPasteService.get(), &FocusedFieldAutoPasteService::valuePasted, runtime,
            &RuntimeState::raiseClipboardPulse);
    m_launcherService->setAIActionHandler(m_autoPasteService.get());
    m_autoPasteService->startMonitoring();
}

void AppDelegate::requestPermissionsWhenNeeded()
{
    const UserSettingsData &settings = m_appState->settings()->settings();
    const bool needed = settings.fieldWindowEnabled || settings.areFieldSuggestionsActive();
    Permissions &permissions = *m_platform.permissions;
    if (needed && (!permissions.isTrusted() || !permissions.canPostEvents())) {
        permissions.requestTrust();
        permissions.requestEventPosting();
    }
}

void AppDelegate::stop()
{
    if (m_stopped || !m_storesStarted)
        return;
    m_stopped = true;
    if (m_spellingService)
        m_spellingService->uninstall();
    if (m_shortcutService)
        m_shortcutService->stop();
    if (m_launcherService)
        m_launcherService->stop();
    if (m_autoPasteService)
        m_autoPasteService->stopMonitoring();
    m_pasteboard->stop();
    m_analysisQueue->stop();
    m_history->stop();
}
