#pragma once
// A simulated desktop for launcher tests: two screens (a notched 1512 x 982 one on the left, a plain
// 1920 x 1080 one on the right), the root state with its settings, the history and the paste service, and
// a scripted field value engine.

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardService.h"
#include "clipboard/PasteboardManager.h"
#include "fields/NotchAIActionHandling.h"
#include "launcher/NotchLauncherService.h"
#include "state/AppState.h"
#include "ui/CustomWindow.h"
#include "launcher/NotchDesktopSwitchMonitor.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/SettingsStore.h"
#include "platform/sim/SimPlatform.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

// The field value engine as the launcher sees it: answers are scripted, calls are counted.
class FakeAIHandler : public NotchAIActionHandling {
public:
    bool focusedField = false;
    std::optional<NotchTarget> notchTarget;
    bool acceptsClipboardItems = false;

    int contextRequests = 0;
    std::optional<NotchLauncherListKind> lastRequestedList;
    QList<QUuid> insertedSuggestions;
    int clearedTargets = 0;
    QList<QUuid> typedItems;

    bool hasFocusedField() override { return focusedField; }
    void requestAIContext(std::optional<RunningApplication>, std::optional<FocusedFieldTarget>,
                          NotchLauncherListKind list, std::optional<QPointF>) override
    {
        ++contextRequests;
        lastRequestedList = list;
    }
    std::optional<NotchTarget> currentNotchTarget() override { return notchTarget; }
    bool insertValue(const FocusedFieldSuggestion &suggestion, const FocusedFieldTarget &, const RunningApplication &,
                     const QRectF &) override
    {
        insertedSuggestions.append(suggestion.id);
        return true;
    }
    void clearNotchTarget() override { ++clearedTargets; }
    Task<bool> handleClipboardItemSelect(ClipboardItem item, ClipboardPasteTarget) override
    {
        if (acceptsClipboardItems)
            typedItems.append(item.id());
        co_return acceptsClipboardItems;
    }
};

class LauncherTest : public ::testing::Test {
public:
    static constexpr quint32 leftNumber = 1;
    static constexpr quint32 rightNumber = 2;

    LauncherTest()
    {
        sim.screens.setScreens({leftScreen(), rightScreen()});
        appState = std::make_unique<AppState>(sim.platform());
        history = std::make_unique<ClipboardHistoryManager>(sim.clock, nullptr);
        pasteboardManager = std::make_unique<PasteboardManager>(sim.clock, sim.pasteboard, &sim.workspace);
        clipboardService = std::make_unique<ClipboardService>(sim.platform(), *pasteboardManager);
        clipboardService->setHistory(history.get());
        appState->setClipboardService(clipboardService.get());
        editor = sim.workspace.addApplication(QStringLiteral("org.example.editor"), QStringLiteral("Editor"));
        sim.workspace.bringToFront(editor);
        // Park the pointer in the middle of the left screen, away from the notch.
        movePointer(QPointF(700, 400));
    }

    ~LauncherTest() override
    {
        if (service)
            service->stop();
        service.reset();
        QCoreApplication::processEvents();
    }

    static ScreenInfo leftScreen()
    {
        return SimScreens::withNotch(SimScreens::makeScreen(leftNumber, QRectF(0, 0, 1512, 982), 37, 2), 180, 37);
    }
    static ScreenInfo rightScreen()
    {
        return SimScreens::makeScreen(rightNumber, QRectF(1512, 0, 1920, 1080), 24, 1);
    }

    void movePointer(QPointF point)
    {
        sim.screens.setPointerLocation(point);
        sim.eventMonitors.setMouseLocation(point);
    }

    void updateSettings(const std::function<void(UserSettingsData &)> &change)
    {
        appState->settings()->update(change);
    }

    // A running service with its windows, as the application starts it.
    NotchLauncherService &startService()
    {
        service = std::make_unique<NotchLauncherService>(sim.platform(), appState.get(), history.get());
        service->setAIActionHandler(&handler);
        service->refreshWindows();
        service->observeScreenChanges();
        service->desktopSwitchMonitor().start();
        service->observeSettingsChanges();
        return *service;
    }

    // A single window outside any service (its callbacks go to the fake handler).
    std::unique_ptr<NotchLauncherWindow> makeWindow(const ScreenInfo &screen,
                                                    LauncherPresentation presentation = LauncherPresentation::notch)
    {
        auto window = std::make_unique<NotchLauncherWindow>(sim.platform(), screen, presentation, appState.get(),
                                                            history.get());
        FakeAIHandler *fake = &handler;
        window->hasFocusedField = [fake] { return fake->hasFocusedField(); };
        window->onAIContextRequest = [fake](NotchLauncherListKind list) {
            fake->requestAIContext(std::nullopt, std::nullopt, list, std::nullopt);
        };
        window->onFocusedFieldClipboardItemSelect = [fake](const ClipboardItem &item, const ClipboardPasteTarget &t) {
            return fake->handleClipboardItemSelect(item, t);
        };
        window->installContent();
        window->applyFrame(false);
        window->updateWindowShown();
        return window;
    }

    ClipboardItem textItem(const QString &text)
    {
        ClipboardItem item(QUuid::createUuid());
        item.setText(text);
        item.setTypeRawValue(QStringLiteral("text"));
        item.setDate(sim.clock.now());
        return item;
    }

    int pasteCount() const
    {
        int count = 0;
        for (const auto &chord : sim.keyboard.chords)
            count += chord.chord == KeyChord::paste() ? 1 : 0;
        return count;
    }

    static NotchAIContext contextWith(int history, int random)
    {
        NotchAIContext context;
        context.fieldName = QStringLiteral("Email");
        for (int i = 0; i < history; ++i)
            context.historySuggestions.append(FocusedFieldSuggestion{.value = QStringLiteral("h%1").arg(i)});
        for (int i = 0; i < random; ++i)
            context.randomSuggestions.append(FocusedFieldSuggestion{.value = QStringLiteral("r%1").arg(i)});
        return context;
    }

    void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    SimPlatform sim;
    std::unique_ptr<AppState> appState;
    std::unique_ptr<ClipboardHistoryManager> history;
    std::unique_ptr<PasteboardManager> pasteboardManager;
    std::unique_ptr<ClipboardService> clipboardService;
    FakeAIHandler handler;
    RunningApplication editor;
    std::unique_ptr<NotchLauncherService> service;
};
