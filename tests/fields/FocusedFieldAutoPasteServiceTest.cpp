// The auto-paste service on the simulated desktop: Super + double-click recognition and its one pending
// request, what opens by settings and permissions, the launcher's field operations, and putting a value
// into a field (order of steps, focus checks, the outcome only once the value is in the field).
#include "../launcher/LauncherTestFixture.h"
#include "DesktopTest.h"

#include "fields/FocusedFieldAutoPasteService.h"
#include "fields/views/FocusedFieldTypingEffectWindow.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "state/RuntimeState.h"

#include <gtest/gtest.h>

namespace {

using A = AccessibilityAttribute;
using Outcome = FocusedFieldAutoPasteService::InsertionOutcome;

class AutoPasteTest : public LauncherTest {
public:
    AutoPasteTest()
    {
        browser = sim.workspace.addApplication(QStringLiteral("firefox"), QStringLiteral("Firefox"));
        auto app = sim.accessibility.application(browser.pid);
        auto window = app->addChild(AccessibilityRole::window);
        window->set(A::frame, QRectF(200, 100, 700, 400));
        field = window->addChild(AccessibilityRole::textField);
        field->set(A::frame, fieldFrame).set(A::placeholder, "E-mail address").set(A::value, "");
        sim.accessibility.place(field, fieldFrame);
        sim.workspace.bringToFront(browser);
        appState->setClipboardService(clipboardService.get());
        clipboardService->setPreviousActiveApp(browser);
        appState->fieldValueAssociations()->fetchAssociations();
        sim.eventMonitors.setDoubleClickInterval(0.5);
    }

    ~AutoPasteTest() override
    {
        if (autoPaste)
            autoPaste->stopMonitoring();
        autoPaste.reset();
    }

    FocusedFieldAutoPasteService &start(bool withLauncher = true)
    {
        if (withLauncher)
            startService();
        autoPaste = std::make_unique<FocusedFieldAutoPasteService>(sim.platform(), appState->settings(),
                                                                   appState->focusedFieldSuggestions());
        autoPaste->setClipboardService(clipboardService.get());
        autoPaste->setFieldValueAssociations(appState->fieldValueAssociations());
        RuntimeState *runtime = appState->runtime();
        QObject::connect(autoPaste.get(), &FocusedFieldAutoPasteService::valuePasted, runtime,
                         &RuntimeState::raiseClipboardPulse);
        if (service) {
            autoPaste->setLauncher(service.get(), service.get());
            service->setAIActionHandler(autoPaste.get());
        }
        autoPaste->startMonitoring();
        return *autoPaste;
    }

    void enableFieldSuggestions(bool on = true)
    {
        updateSettings([on](UserSettingsData &s) {
            s.aiEnabled = on;
            s.fieldSuggestionsEnabled = on;
        });
    }

    // A Super + double-click (first click, then the second 0.2 s later) at a point of the global space.
    void superDoubleClick(QPointF at, Qt::KeyboardModifiers modifiers = Qt::MetaModifier)
    {
        sim.eventMonitors.sendGlobalMouseDown(sim.eventMonitors.leftMouseDown(at, 1, modifiers));
        sim.clock.advance(0.2);
        sim.eventMonitors.sendGlobalMouseDown(sim.eventMonitors.leftMouseDown(at, 2, modifiers));
    }

    // What a Super + double-click in the field opened, once its request has run and the store has answered.
    NotchLauncherWindow *openedByDoubleClick()
    {
        superDoubleClick(inField);
        sim.clock.advance(0.1);
        DesktopTest::waitUntil([this] { return !autoPaste->isFieldContextPending(); }, 10000);
        return expandedWindow();
    }

    NotchLauncherWindow *expandedWindow() const
    {
        for (NotchLauncherWindow *w : service->windows().values() + service->fieldWindows().values()) {
            if (w->isExpanded())
                return w;
        }
        return nullptr;
    }
    bool isCompactWindow(NotchLauncherWindow *w) const { return w && service->fieldWindows().values().contains(w); }

    // The target application's field as the keys change it: Control+A selects everything, text replaces
    // a selection or goes after the text.
    void emulateTyping()
    {
        sim.keyboard.beforeUnicodeText = [this](const QString &chunk) {
            const auto front = sim.workspace.frontmostApplication();
            if (!front || front->pid != browser.pid)
                return;
            bool selectedAll = false;
            for (qsizetype i = chordsSeen; i < sim.keyboard.chords.size(); ++i)
                selectedAll = selectedAll || sim.keyboard.chords.at(i).chord == KeyChord::selectAll();
            chordsSeen = sim.keyboard.chords.size();
            const QString before = field->attribute(A::value).string().value_or(QString());
            field->set(A::value, selectedAll ? chunk : before + chunk);
        };
    }

    ClipboardPasteTarget fieldTarget() const
    {
        return ClipboardPasteTarget{browser, FocusedFieldTarget{field->element(), descriptor()}};
    }
    FocusedFieldTarget target() const { return *fieldTarget().field; }
    // The field's remembered values, once the store has answered.
    QList<FocusedFieldSuggestion> rememberedValues(const FocusedFieldDescriptor &field)
    {
        return DesktopTest::finish(appState->fieldValueAssociations()->suggestions(field, 10, false))
            .value_or(QList<FocusedFieldSuggestion>());
    }
    FocusedFieldDescriptor descriptor() const
    {
        FocusedFieldDescriptor d;
        d.applicationId = browser.applicationId;
        d.placeholder = QStringLiteral("E-mail address");
        d.role = QStringLiteral("AXTextField");
        d.fieldType = QStringLiteral("Email");
        return d;
    }
    static FocusedFieldSuggestion suggestion(const QString &value)
    {
        FocusedFieldSuggestion s;
        s.title = QStringLiteral("Latest");
        s.value = value;
        return s;
    }
    QString fieldValue() const { return field->attribute(A::value).string().value_or(QStringLiteral("<none>")); }
    int selectAllCount() const
    {
        int count = 0;
        for (const auto &chord : sim.keyboard.chords)
            count += chord.chord == KeyChord::selectAll() ? 1 : 0;
        return count;
    }
    bool overlayVisible() const
    {
        return autoPaste->fieldTypingEffectWindow() && autoPaste->fieldTypingEffectWindow()->panel()
            && autoPaste->fieldTypingEffectWindow()->panel()->isVisible();
    }

    // The field in the accessibility space (y down), and a point inside it in the global space (y up).
    const QRectF fieldFrame{300, 200, 320, 28};
    const QPointF inField{400, 982 - 214};
    RunningApplication browser;
    std::shared_ptr<SimAccessibilityNode> field;
    std::unique_ptr<FocusedFieldAutoPasteService> autoPaste;
    qsizetype chordsSeen = 0;
};

// --- Monitoring and recognising Super + double-click ---

TEST_F(AutoPasteTest, StartingTwiceInstallsOnePairOfMonitorsAndStoppingRemovesThem)
{
    FocusedFieldAutoPasteService &s = start(false);
    const int localBefore = sim.eventMonitors.localMonitorCount(SimEventMonitors::Kind::MouseDown);
    const int globalBefore = sim.eventMonitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown);
    s.startMonitoring();
    EXPECT_EQ(sim.eventMonitors.localMonitorCount(SimEventMonitors::Kind::MouseDown), localBefore);
    EXPECT_EQ(sim.eventMonitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown), globalBefore);
    EXPECT_EQ(globalBefore, 1);
    s.stopMonitoring();
    EXPECT_EQ(sim.eventMonitors.localMonitorCount(SimEventMonitors::Kind::MouseDown), 0);
    EXPECT_EQ(sim.eventMonitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown), 0);
    EXPECT_FALSE(s.isMonitoring());
    s.startMonitoring();
    EXPECT_EQ(sim.eventMonitors.globalMonitorCount(SimEventMonitors::Kind::MouseDown), 1);
    // Super + double-clicks are kept from other applications while the compact window (on by default) or
    // field suggestions would answer them, following the settings.
    EXPECT_TRUE(sim.eventMonitors.holdsBackSuperDoubleClicks());
    updateSettings([](UserSettingsData &settings) { settings.fieldWindowEnabled = false; });
    EXPECT_FALSE(sim.eventMonitors.holdsBackSuperDoubleClicks());
    enableFieldSuggestions();
    EXPECT_TRUE(sim.eventMonitors.holdsBackSuperDoubleClicks());
}

TEST_F(AutoPasteTest, DoubleClickRecognition)
{
    struct Row {
        const char *name;
        std::optional<double> ownClickBefore; // seconds before the double-click's second click
        bool singleClickElsewhereBetween;
        int clickCount;
        Qt::KeyboardModifiers modifiers;
        bool starts;
    };
    const Row rows[] = {
        {"Super + double-click", std::nullopt, false, 2, Qt::MetaModifier, true},
        {"double-click without Super", std::nullopt, false, 2, {}, false},
        {"Control instead of Super", std::nullopt, false, 2, Qt::ControlModifier, false},
        {"triple click", std::nullopt, false, 3, Qt::MetaModifier, false},
        {"single click", std::nullopt, false, 1, Qt::MetaModifier, false},
        {"first click in our window, within the interval", 0.3, false, 2, Qt::MetaModifier, false},
        {"first click in our window, at the interval's very end", 0.5, false, 2, Qt::MetaModifier, false},
        {"our click longer ago than the interval", 0.51, false, 2, Qt::MetaModifier, true},
        {"our click, then a single click elsewhere", 0.3, true, 2, Qt::MetaModifier, true},
    };
    FocusedFieldAutoPasteService &s = start(false);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        s.stopMonitoring();
        s.startMonitoring();
        if (row.ownClickBefore) {
            sim.eventMonitors.sendLocalMouseDown(sim.eventMonitors.leftMouseDown(QPointF(700, 900)));
            sim.clock.advance(*row.ownClickBefore - (row.singleClickElsewhereBetween ? 0.1 : 0));
        }
        if (row.singleClickElsewhereBetween) {
            sim.eventMonitors.sendGlobalMouseDown(sim.eventMonitors.leftMouseDown(inField, 1));
            sim.clock.advance(0.1);
        }
        sim.eventMonitors.sendGlobalMouseDown(sim.eventMonitors.leftMouseDown(inField, row.clickCount, row.modifiers));
        EXPECT_EQ(s.isNotchActivationPending(), row.starts);
        sim.clock.advance(1);
    }
}

TEST_F(AutoPasteTest, ThePendingRequestIsCancelledByEverythingThatShouldCancelIt)
{
    struct Row {
        const char *name;
        std::function<void(AutoPasteTest &)> meanwhile;
    };
    const Row rows[] = {
        {"a click in another application",
         [](AutoPasteTest &t) { t.sim.eventMonitors.sendGlobalMouseDown(t.sim.eventMonitors.leftMouseDown(QPointF(50, 50))); }},
        {"a click in our own window",
         [](AutoPasteTest &t) { t.sim.eventMonitors.sendLocalMouseDown(t.sim.eventMonitors.leftMouseDown(QPointF(700, 900))); }},
        {"a desktop change", [](AutoPasteTest &t) { t.sim.workspace.switchDesktop(2); }},
        {"stopping the service", [](AutoPasteTest &t) { t.autoPaste->stopMonitoring(); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (service)
            service->stop();
        start();
        superDoubleClick(inField);
        ASSERT_TRUE(autoPaste->isNotchActivationPending());
        sim.clock.advance(0.05);
        row.meanwhile(*this);
        EXPECT_FALSE(autoPaste->isNotchActivationPending());
        sim.clock.advance(0.2);
        EXPECT_EQ(expandedWindow(), nullptr);
        autoPaste->stopMonitoring();
    }

    // Without anything in between, the compact window opens after 0.08 s, not before.
    service->stop();
    start();
    superDoubleClick(inField);
    sim.clock.advance(0.079);
    EXPECT_EQ(expandedWindow(), nullptr);
    sim.clock.advance(0.002);
    EXPECT_TRUE(isCompactWindow(expandedWindow()));
    EXPECT_FALSE(autoPaste->isNotchActivationPending());
}

TEST_F(AutoPasteTest, ANewerRequestReplacesTheOlderWhichNeverClearsItsHandle)
{
    start();
    superDoubleClick(inField);
    sim.clock.advance(0.05);
    // A second Super + double-click: its first click cancels the first request, its second starts anew.
    superDoubleClick(QPointF(2000, 500));
    // Where the first request would have ended, the second is still pending.
    sim.clock.advance(0.04);
    EXPECT_TRUE(autoPaste->isNotchActivationPending());
    EXPECT_EQ(expandedWindow(), nullptr);
    sim.clock.advance(0.05);
    NotchLauncherWindow *opened = expandedWindow();
    ASSERT_TRUE(isCompactWindow(opened));
    EXPECT_EQ(opened, service->fieldWindows().value(rightNumber)); // where the newer click was
}

// --- What opens ---

TEST_F(AutoPasteTest, WhatOpensBySettingsPermissionsAndTheFieldUnderThePointer)
{
    enum class Opens { fieldPane, fieldPaneInLauncher, compactClipboard, nothing };
    struct Row {
        const char *name;
        bool ai, suggestions, compactWindow, trusted, postEvents, fieldUnderPointer;
        Opens opens;
    };
    const Row rows[] = {
        {"suggestions on, a field", true, true, true, true, true, true, Opens::fieldPane},
        {"suggestions on, a field, compact window off", true, true, false, true, true, true, Opens::fieldPaneInLauncher},
        {"suggestions on, no field", true, true, true, true, true, false, Opens::compactClipboard},
        {"suggestions on, no field, compact window off", true, true, false, true, true, false, Opens::nothing},
        {"suggestions off", true, false, true, true, true, true, Opens::compactClipboard},
        {"intelligence off", false, true, true, true, true, true, Opens::compactClipboard},
        {"no accessibility trust", true, true, true, false, true, true, Opens::compactClipboard},
        {"no event posting", true, true, true, true, false, true, Opens::compactClipboard},
        {"everything off", false, false, false, true, true, true, Opens::nothing},
        {"no permissions, compact window off", true, true, false, false, false, true, Opens::nothing},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (service)
            service->stop();
        updateSettings([&](UserSettingsData &s) {
            s.aiEnabled = row.ai;
            s.fieldSuggestionsEnabled = row.suggestions;
            s.fieldWindowEnabled = row.compactWindow;
        });
        sim.permissions.trusted = row.trusted;
        sim.permissions.postEvents = row.postEvents;
        sim.accessibility.clearPlacements();
        if (row.fieldUnderPointer)
            sim.accessibility.place(field, fieldFrame);
        start();
        // Where a Super + double-click opens something, the application under the pointer gets no more than
        // its first click.
        const bool acts = row.compactWindow || (row.ai && row.suggestions && row.trusted && row.postEvents);
        EXPECT_EQ(sim.eventMonitors.holdsBackSuperDoubleClicks(), acts);
        const int lookupsBefore = sim.accessibility.lookups();
        NotchLauncherWindow *opened = openedByDoubleClick();
        switch (row.opens) {
        case Opens::fieldPane:
        case Opens::fieldPaneInLauncher:
            ASSERT_TRUE(opened);
            EXPECT_EQ(isCompactWindow(opened), row.opens == Opens::fieldPane);
            EXPECT_EQ(opened->viewModel()->displayedList(), NotchLauncherListKind::recent);
            ASSERT_TRUE(opened->viewModel()->aiContext());
            EXPECT_EQ(opened->viewModel()->aiContext()->fieldName, QStringLiteral("E-mail address"));
            ASSERT_TRUE(autoPaste->notchTarget());
            EXPECT_EQ(autoPaste->notchTarget()->element, field->element());
            EXPECT_EQ(autoPaste->notchApplication(), browser);
            break;
        case Opens::compactClipboard:
            ASSERT_TRUE(isCompactWindow(opened));
            EXPECT_EQ(opened->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
            ASSERT_TRUE(opened->clipboardPasteTarget());
            EXPECT_EQ(opened->clipboardPasteTarget()->application, browser);
            EXPECT_FALSE(opened->clipboardPasteTarget()->field); // a plain paste target
            EXPECT_FALSE(autoPaste->notchTarget());
            break;
        case Opens::nothing:
            EXPECT_EQ(opened, nullptr);
            break;
        }
        if (!acts) {
            EXPECT_EQ(sim.accessibility.lookups(), lookupsBefore) << "nothing is read for nothing";
        }
        autoPaste->stopMonitoring();
        EXPECT_FALSE(sim.eventMonitors.holdsBackSuperDoubleClicks());
        sim.permissions.trusted = sim.permissions.postEvents = true;
    }
}

TEST_F(AutoPasteTest, AFieldOfAnotherProcessAfterTheWaitTakesTheCompactPath)
{
    enableFieldSuggestions();
    start();
    superDoubleClick(inField);
    // Meanwhile another application's field comes to lie under the pointer.
    const RunningApplication other = sim.workspace.addApplication(QStringLiteral("gedit"));
    auto otherField = sim.accessibility.application(other.pid)->addChild(AccessibilityRole::textField);
    otherField->set(A::frame, fieldFrame);
    sim.accessibility.place(otherField, fieldFrame);
    sim.clock.advance(0.1);
    NotchLauncherWindow *opened = expandedWindow();
    ASSERT_TRUE(isCompactWindow(opened));
    EXPECT_EQ(opened->viewModel()->displayedList(), NotchLauncherListKind::clipboard);
    EXPECT_FALSE(autoPaste->notchTarget());
}

TEST_F(AutoPasteTest, TheLaunchersContextHoldsEveryRememberedValueThreeSamplesAndTheSearchableList)
{
    enableFieldSuggestions();
    updateSettings([](UserSettingsData &s) { s.fieldWindowEnabled = false; });
    start();
    NotchLauncherWindow *opened = openedByDoubleClick();
    ASSERT_TRUE(opened);
    ASSERT_FALSE(isCompactWindow(opened));
    const std::optional<NotchAIContext> &context = opened->viewModel()->aiContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(context->randomSuggestions.size(), 3);
    EXPECT_TRUE(context->searchableHistorySuggestions.has_value());
}

TEST_F(AutoPasteTest, TheFieldsRememberedValuesAreOffered)
{
    enableFieldSuggestions();
    const std::optional<ClipboardPasteTarget> read = appState->focusedFieldSuggestions()->pasteTarget(QPointF(400, 214));
    ASSERT_TRUE(read && read->field);
    FieldValueAssociationService *store = appState->fieldValueAssociations();
    ASSERT_EQ(DesktopTest::finish(store->recordValue(QStringLiteral("older@example.org"), read->field->descriptor)), true);
    ASSERT_EQ(DesktopTest::finish(store->recordValue(QStringLiteral("newer@example.org"), read->field->descriptor)), true);
    start();
    NotchLauncherWindow *opened = openedByDoubleClick();
    ASSERT_TRUE(opened && opened->viewModel()->aiContext());
    QStringList offered;
    for (const FocusedFieldSuggestion &suggestion : opened->viewModel()->aiContext()->historySuggestions)
        offered << suggestion.value;
    EXPECT_TRUE(offered.contains(QStringLiteral("older@example.org"))) << offered.join(u',').toStdString();
    EXPECT_TRUE(offered.contains(QStringLiteral("newer@example.org")));
}

TEST_F(AutoPasteTest, ContextRequestsThatCannotBeServedBeep)
{
    enableFieldSuggestions();
    FocusedFieldAutoPasteService &s = start();
    const auto date = sim.accessibility.application(browser.pid)->addChild(AccessibilityRole::textField);
    date->set(A::placeholder, "Expiry date");
    const auto slider = sim.accessibility.application(browser.pid)->addChild(AccessibilityRole::other);
    struct Row {
        const char *name;
        std::function<void()> arrange;
        std::optional<RunningApplication> application;
        bool served;
        // What the launcher hears of the frontmost application (the browser) meanwhile.
        bool frontHasField;
    };
    const RunningApplication tavlen = sim.workspace.currentApplication();
    const Row rows[] = {
        {"an eligible focused field", [&] { field->setFocused(); }, browser, true, true},
        {"no application", [] {}, std::nullopt, false, true},
        {"this application itself", [] {}, tavlen, false, true},
        {"a date field", [&] { date->setFocused(); }, browser, false, false},
        {"an element that is no text field", [&] { slider->setFocused(); }, browser, false, false},
        {"intelligence off", [&] {
             field->setFocused();
             updateSettings([](UserSettingsData &u) { u.aiEnabled = false; });
         },
         browser, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        s.clearNotchTarget();
        row.arrange();
        const int beeps = sim.beeper.beeps;
        s.requestAIContext(row.application, std::nullopt, NotchLauncherListKind::recent, std::nullopt);
        EXPECT_EQ(sim.beeper.beeps, beeps + (row.served ? 0 : 1));
        EXPECT_EQ(s.notchTarget().has_value(), row.served);
        EXPECT_EQ(s.hasFocusedField(), row.frontHasField);
    }
}

TEST_F(AutoPasteTest, AnEligibleFieldIsRememberedEvenWithoutALauncherWindow)
{
    enableFieldSuggestions();
    FocusedFieldAutoPasteService &s = start(false);
    field->setFocused();
    s.requestAIContext(browser, std::nullopt, NotchLauncherListKind::recent, std::nullopt);
    EXPECT_EQ(sim.beeper.beeps, 0);
    ASSERT_TRUE(s.notchTarget());
    const std::optional<NotchAIActionHandling::NotchTarget> current = s.currentNotchTarget();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->frame, fieldFrame);
    EXPECT_EQ(current->application, browser);

    // Once the application has quit, the target is of no use.
    sim.workspace.terminate(browser);
    EXPECT_FALSE(s.currentNotchTarget());
    EXPECT_TRUE(s.notchTarget()); // reading it changes nothing
}

TEST_F(AutoPasteTest, ADesktopChangeClearsContextsAndCollapsesOnlyWithTheCompactWindowOn)
{
    enableFieldSuggestions();
    for (const bool compactWindow : {true, false}) {
        SCOPED_TRACE(compactWindow);
        if (service)
            service->stop();
        updateSettings([&](UserSettingsData &s) { s.fieldWindowEnabled = compactWindow; });
        start();
        field->setFocused();
        autoPaste->requestAIContext(browser, std::nullopt, NotchLauncherListKind::recent, inField);
        ASSERT_TRUE(autoPaste->notchTarget());
        NotchLauncherWindow *right = service->windows().value(rightNumber);
        right->show(NotchLauncherListKind::clipboard);
        sim.workspace.switchDesktop(compactWindow ? 3 : 4);
        EXPECT_FALSE(autoPaste->notchTarget());
        for (NotchLauncherWindow *w : service->windows().values() + service->fieldWindows().values())
            EXPECT_FALSE(w->viewModel()->aiContext());
        EXPECT_EQ(right->isExpanded(), !compactWindow);
        autoPaste->stopMonitoring();
    }
}

// --- Putting a value into the field ---

TEST_F(AutoPasteTest, InsertionRunsItsStepsInOrderAndSucceedsOnceTheValueIsInTheField)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    field->set(A::value, "old@example.org");
    const int pulse = appState->runtime()->clipboardPulseToken();
    const QString value = QString::fromUtf8("zażółć 😀 ok");
    sim.workspace.bringToFront(editor); // the launcher took the focus elsewhere
    ASSERT_TRUE(s.insertValue(suggestion(value), target(), browser, fieldFrame));
    EXPECT_EQ(clipboardService->previousActiveApp(), browser);
    EXPECT_TRUE(s.isTyping());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty()); // nothing before the field has the focus again

    sim.clock.advance(0.1); // activated, focused, Control+A, overlay, 0.01 s, typed
    ASSERT_EQ(sim.keyboard.chords.size(), 1);
    const SimKeyboardOutput::PostedChord &selectAll = sim.keyboard.chords.first();
    EXPECT_EQ(selectAll.chord, KeyChord::selectAll());
    EXPECT_EQ(selectAll.pid, browser.pid);
    EXPECT_NEAR(selectAll.upAt - selectAll.downAt, 0.002, 1e-9);
    ASSERT_FALSE(sim.keyboard.typed.isEmpty());
    EXPECT_GE(sim.keyboard.typed.first().at, selectAll.upAt + 0.01 - 1e-9);
    EXPECT_EQ(sim.keyboard.typedText(browser.pid), value);
    EXPECT_EQ(fieldValue(), value);

    EXPECT_EQ(s.lastInsertionOutcome(), Outcome::typed);
    EXPECT_EQ(appState->runtime()->clipboardPulseToken(), pulse + 1);
    EXPECT_TRUE(overlayVisible());
    EXPECT_EQ(s.fieldTypingEffectWindow()->panel()->frame(), QRectF(300, 982 - 228, 320, 28));
    EXPECT_TRUE(s.fieldTypingEffectWindow()->model().pasteHighlight());
    EXPECT_EQ(sim.beeper.beeps, 0);

    // The overlay goes 0.6 s after the highlight began, not before.
    sim.clock.advance(FocusedFieldAutoPasteService::typingEffectHideDelay - 0.1);
    EXPECT_TRUE(overlayVisible());
    sim.clock.advance(0.2);
    EXPECT_FALSE(overlayVisible());
    EXPECT_FALSE(s.isTyping());
}

TEST_F(AutoPasteTest, ATypedValueIsRememberedForTheFieldEveryTimeItIsTyped)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    const std::optional<ClipboardPasteTarget> read = appState->focusedFieldSuggestions()->pasteTarget(QPointF(400, 214));
    ASSERT_TRUE(read && read->field);
    const int pulse = appState->runtime()->clipboardPulseToken();
    for (int i = 0; i < 2; ++i) {
        s.insertValue(suggestion(QStringLiteral("twice@example.org")), *read->field, browser, fieldFrame);
        sim.clock.advance(1);
        ASSERT_EQ(s.lastInsertionOutcome(), Outcome::typed);
    }
    EXPECT_EQ(appState->runtime()->clipboardPulseToken(), pulse + 2);
    const QList<FocusedFieldSuggestion> remembered = rememberedValues(read->field->descriptor);
    ASSERT_EQ(remembered.size(), 1);
    EXPECT_EQ(remembered.first().value, QStringLiteral("twice@example.org"));
    EXPECT_EQ(remembered.first().usageCount, 2);

    // A value that never arrived is not remembered.
    sim.keyboard.beforeUnicodeText = nullptr;
    s.insertValue(suggestion(QStringLiteral("lost@example.org")), *read->field, browser, fieldFrame);
    sim.clock.advance(3);
    EXPECT_EQ(rememberedValues(read->field->descriptor).size(), 1);
}

TEST_F(AutoPasteTest, ControlAGoesOnlyIntoOneLineFieldsWithClearingOn)
{
    struct Row {
        const char *name;
        bool clearFirst;
        AccessibilityRole role;
        int selectAlls;
        QString result;
    };
    const QString before = QStringLiteral("name: ");
    const Row rows[] = {
        {"a one-line field", true, AccessibilityRole::textField, 1, QStringLiteral("Ada")},
        {"a combo box", true, AccessibilityRole::comboBox, 1, QStringLiteral("Ada")},
        {"clearing off", false, AccessibilityRole::textField, 0, QStringLiteral("name: Ada")},
        // A document keeps its text: the value goes at the caret.
        {"a multi-line text", true, AccessibilityRole::textArea, 0, QStringLiteral("name: Ada")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (service)
            service->stop();
        updateSettings([&row](UserSettingsData &s) { s.clearFieldBeforePaste = row.clearFirst; });
        sim.keyboard.chords.clear();
        chordsSeen = 0;
        field->set(A::role, row.role).set(A::value, before);
        FocusedFieldAutoPasteService &s = start();
        emulateTyping();
        s.insertValue(suggestion(QStringLiteral("Ada")), target(), browser, fieldFrame);
        sim.clock.advance(0.5);
        EXPECT_EQ(selectAllCount(), row.selectAlls);
        EXPECT_EQ(fieldValue(), row.result);
        EXPECT_EQ(s.lastInsertionOutcome(), Outcome::typed);
    }
}

TEST_F(AutoPasteTest, FailedInsertionsTypeNothingAnywhereAndSaySo)
{
    struct Row {
        const char *name;
        std::function<void(AutoPasteTest &)> arrange;
        // Run this long after the insertion was asked for (the field has the focus again 0.06 s later,
        // Control+A goes out then, and typing 0.01 s after that).
        double meanwhileAt;
        std::function<void(AutoPasteTest &)> meanwhile;
        Outcome outcome;
        int selectAlls;
    };
    const QString value = QStringLiteral("ada@example.org");
    const Row rows[] = {
        {"the application never comes back to the front",
         [](AutoPasteTest &t) {
             t.sim.workspace.bringToFront(t.editor);
             t.sim.workspace.activationDelay = -1;
         },
         0, {}, Outcome::notStarted, 0},
        {"the application has quit",
         [](AutoPasteTest &t) { t.sim.workspace.terminate(t.browser); }, 0, {}, Outcome::notStarted, 0},
        {"the field is read-only",
         [](AutoPasteTest &t) { t.field->set(A::readOnly, true); }, 0, {}, Outcome::refused, 0},
        {"the field is disabled",
         [](AutoPasteTest &t) { t.field->set(A::enabled, false); }, 0, {}, Outcome::refused, 0},
        {"the focus moves away before Control+A", {}, 0.03,
         [](AutoPasteTest &t) { t.sim.workspace.bringToFront(t.editor); }, Outcome::notStarted, 0},
        {"the focus moves away after Control+A, before typing", {}, 0.065,
         [](AutoPasteTest &t) { t.sim.workspace.bringToFront(t.editor); }, Outcome::notStarted, 1},
        {"permission to post events is withdrawn before typing", {}, 0.065,
         [](AutoPasteTest &t) { t.sim.permissions.postEvents = false; }, Outcome::notStarted, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        AutoPasteTest &t = *this;
        if (service)
            service->stop();
        sim.keyboard.chords.clear();
        sim.keyboard.typed.clear();
        chordsSeen = 0;
        sim.workspace.activationDelay = 0;
        sim.permissions.postEvents = true;
        browser = sim.workspace.addApplication(QStringLiteral("firefox"), QStringLiteral("Firefox"));
        field = sim.accessibility.application(browser.pid)->addChild(AccessibilityRole::textField);
        field->set(A::frame, fieldFrame).set(A::value, "");
        sim.workspace.bringToFront(browser);
        start();
        emulateTyping();
        if (row.arrange)
            row.arrange(t);
        const int beeps = sim.beeper.beeps;
        autoPaste->insertValue(suggestion(value), target(), browser, fieldFrame);
        sim.clock.advance(row.meanwhileAt);
        if (row.meanwhile)
            row.meanwhile(t);
        sim.clock.advance(3);
        EXPECT_EQ(autoPaste->lastInsertionOutcome(), row.outcome);
        EXPECT_EQ(selectAllCount(), row.selectAlls);
        EXPECT_EQ(sim.keyboard.typed.size(), 0) << "nothing typed, into any application";
        EXPECT_EQ(sim.beeper.beeps, beeps + 1);
        EXPECT_FALSE(overlayVisible());
        EXPECT_EQ(fieldValue(), QString());
        autoPaste->stopMonitoring();
    }
}

TEST_F(AutoPasteTest, FocusMovingAwayMidTypingStopsAtOnce)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    sim.keyboard.runLength = 4;
    const auto typeIntoField = sim.keyboard.beforeUnicodeText;
    int runs = 0;
    sim.keyboard.beforeUnicodeText = [&](const QString &chunk) {
        if (++runs == 3)
            sim.workspace.bringToFront(editor);
        typeIntoField(chunk);
    };
    const int pulse = appState->runtime()->clipboardPulseToken();
    s.insertValue(suggestion(QStringLiteral("0123456789abcdef")), target(), browser, fieldFrame);
    sim.clock.advance(1);
    EXPECT_EQ(sim.keyboard.typedText(browser.pid), QStringLiteral("01234567"));
    EXPECT_EQ(sim.keyboard.typedText(editor.pid), QString());
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(s.lastInsertionOutcome(), Outcome::interrupted);
    EXPECT_EQ(sim.beeper.beeps, 1);
    EXPECT_FALSE(overlayVisible());
    EXPECT_EQ(appState->runtime()->clipboardPulseToken(), pulse);
}

TEST_F(AutoPasteTest, ControlAIsNeverSentToAnUnknownProcess)
{
    FocusedFieldAutoPasteService &s = start();
    RunningApplication unknown = browser;
    unknown.pid = 0;
    s.insertValue(suggestion(QStringLiteral("x")), target(), unknown, fieldFrame);
    sim.clock.advance(3);
    EXPECT_EQ(selectAllCount(), 0);
    EXPECT_TRUE(sim.keyboard.typed.isEmpty());
    EXPECT_NE(s.lastInsertionOutcome(), Outcome::typed);
}

TEST_F(AutoPasteTest, SuccessWaitsForTheValueToShowInTheField)
{
    struct Row {
        const char *name;
        std::function<void(AutoPasteTest &)> arrange;
        Outcome outcome;
    };
    const Row rows[] = {
        {"the field shows it", [](AutoPasteTest &t) { t.emulateTyping(); }, Outcome::typed},
        {"the field ignores the keys", [](AutoPasteTest &) {}, Outcome::interrupted},
        {"the field shows it late, within the wait",
         [](AutoPasteTest &t) {
             t.sim.keyboard.beforeUnicodeText = [&t](const QString &) {
                 t.sim.clock.callAfter(1.5, [&t] { t.field->set(A::value, "ada@example.org"); });
             };
         },
         Outcome::typed},
        {"a field that never tells its text",
         [](AutoPasteTest &t) { t.field->unset(A::value); }, Outcome::typed},
        {"a password field: its length tells",
         [](AutoPasteTest &t) {
             t.field->unset(A::value).set(A::characterCount, 0.0);
             t.sim.keyboard.beforeUnicodeText = [&t](const QString &chunk) {
                 t.field->set(A::characterCount, double(chunk.size()));
             };
         },
         Outcome::typed},
        {"a password field that stays empty",
         [](AutoPasteTest &t) { t.field->unset(A::value).set(A::characterCount, 0.0); }, Outcome::interrupted},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (service)
            service->stop();
        field->set(A::value, "").unset(A::characterCount);
        sim.keyboard.beforeUnicodeText = nullptr;
        start();
        row.arrange(*this);
        const int pulse = appState->runtime()->clipboardPulseToken();
        autoPaste->insertValue(suggestion(QStringLiteral("ada@example.org")), target(), browser, fieldFrame);
        sim.clock.advance(1);
        if (row.outcome == Outcome::interrupted) {
            EXPECT_FALSE(autoPaste->lastInsertionOutcome()) << "still waiting for the field";
        }
        sim.clock.advance(2);
        EXPECT_EQ(autoPaste->lastInsertionOutcome(), row.outcome);
        EXPECT_EQ(appState->runtime()->clipboardPulseToken(), pulse + (row.outcome == Outcome::typed ? 1 : 0));
        autoPaste->stopMonitoring();
    }
}

TEST_F(AutoPasteTest, ASecondValueChosenWhileTheFirstIsRefocusingTakesOver)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    sim.workspace.bringToFront(editor);
    sim.workspace.activationDelay = 0.05;
    s.insertValue(suggestion(QStringLiteral("first")), target(), browser, fieldFrame);
    sim.clock.advance(0.02);
    s.insertValue(suggestion(QStringLiteral("second")), target(), browser, fieldFrame);
    sim.clock.advance(0.3);
    EXPECT_EQ(sim.keyboard.typedText(browser.pid), QStringLiteral("second"));
    EXPECT_EQ(fieldValue(), QStringLiteral("second"));
    EXPECT_EQ(s.lastInsertionOutcome(), Outcome::typed);
    EXPECT_EQ(sim.beeper.beeps, 0);

    // A new insertion cancels the pending hide and hides the overlay at once.
    ASSERT_TRUE(overlayVisible());
    EXPECT_TRUE(s.isTypingEffectHidePending());
    sim.workspace.activationDelay = 0;
    s.insertValue(suggestion(QStringLiteral("third")), target(), browser, fieldFrame);
    EXPECT_FALSE(overlayVisible());
    EXPECT_FALSE(s.isTypingEffectHidePending());
    sim.clock.advance(0.5);
    EXPECT_EQ(s.lastInsertionOutcome(), Outcome::typed) << fieldValue().toStdString();
    EXPECT_TRUE(overlayVisible());
}

TEST_F(AutoPasteTest, TheOverlayUsesTheKnownFrameWhenTheFieldNoLongerGivesOne)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    field->unset(A::frame);
    s.insertValue(suggestion(QStringLiteral("v")), target(), browser, QRectF(10, 20, 200, 30));
    sim.clock.advance(0.2);
    ASSERT_TRUE(overlayVisible());
    EXPECT_EQ(s.fieldTypingEffectWindow()->accessibilityFieldFrame(), QRectF(10, 20, 200, 30));
}

TEST_F(AutoPasteTest, ALongValueOfMixedScriptsIsTypedWithoutBlockingTheMainThread)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    sim.keyboard.runLength = 19;
    sim.keyboard.pauseBeforeEachRun = 0.1;
    QString value;
    const QString pieces[] = {QStringLiteral("abc"), QString::fromUtf8("ąęł"), QString::fromUtf8("жзй"),
                              QString::fromUtf8("漢字"), QString::fromUtf8("😀"), QString::fromUtf8("é")};
    for (int i = 0; value.size() < 4096; ++i)
        value += pieces[i % 6];
    s.insertValue(suggestion(value), target(), browser, fieldFrame);
    sim.clock.advance(60);
    EXPECT_EQ(fieldValue(), value);
    EXPECT_EQ(s.lastInsertionOutcome(), Outcome::typed);
    // Every pause was waited on the clock, none blocked.
    EXPECT_LT(sim.clock.totalBlocked(), 0.01);
    for (const auto &chunk : sim.keyboard.typed) {
        EXPECT_LE(chunk.text.size(), 19);
        EXPECT_FALSE(chunk.text.back().isHighSurrogate());
    }
}

// --- A clipboard item chosen while the target has a field ---

TEST_F(AutoPasteTest, ClipboardItemsAreTypedOnlyWhenTheyCanBe)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    ClipboardItem image(QUuid::createUuid());
    image.setTypeRawValue(QStringLiteral("image"));
    struct Row {
        const char *name;
        ClipboardItem item;
        ClipboardPasteTarget target;
        bool taken;
    };
    const Row rows[] = {
        {"an image", image, fieldTarget(), false},
        {"empty text", textItem(QString()), fieldTarget(), false},
        {"no field", textItem(QStringLiteral("t")), ClipboardPasteTarget{browser, std::nullopt}, false},
        // Typing it would take longer than pasting it.
        {"a long text", textItem(QString(FocusedFieldAutoPasteService::longestTypedItem + 1, QLatin1Char('x'))),
         fieldTarget(), false},
        {"a text just short enough", textItem(QString(FocusedFieldAutoPasteService::longestTypedItem, QLatin1Char('y'))),
         fieldTarget(), true},
        {"text into the field", textItem(QStringLiteral("from the clipboard")), fieldTarget(), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Task<bool> task = s.handleClipboardItemSelect(row.item, row.target);
        sim.clock.advance(1);
        ASSERT_TRUE(task.isFinished());
        EXPECT_EQ(task.result(), row.taken);
    }
    EXPECT_EQ(fieldValue(), QStringLiteral("from the clipboard"));

    // A field without a frame cannot be shown the overlay: the launcher pastes instead.
    field->unset(A::frame);
    Task<bool> noFrame = s.handleClipboardItemSelect(textItem(QStringLiteral("t")), fieldTarget());
    sim.clock.advance(1);
    EXPECT_EQ(noFrame.result(), false);
}

TEST_F(AutoPasteTest, ClipboardItemTypingReportsOnlyOnceItIsDone)
{
    struct Row {
        const char *name;
        std::function<void(AutoPasteTest &)> arrange;
        bool taken;
        int beeps;
    };
    const Row rows[] = {
        {"typed", [](AutoPasteTest &t) { t.emulateTyping(); }, true, 0},
        // Nothing typed: the launcher pastes the item instead, so no beep.
        {"the application does not come back", [](AutoPasteTest &t) { t.sim.workspace.activationDelay = -1; }, false, 0},
        // Typed but never arrived: a paste would repeat it.
        {"the keys went nowhere", [](AutoPasteTest &) {}, true, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (service)
            service->stop();
        sim.workspace.activationDelay = 0;
        sim.keyboard.beforeUnicodeText = nullptr;
        field->set(A::value, "");
        sim.workspace.bringToFront(editor);
        start();
        row.arrange(*this);
        const int beeps = sim.beeper.beeps;
        Task<bool> task = autoPaste->handleClipboardItemSelect(textItem(QStringLiteral("abc")), fieldTarget());
        sim.clock.advance(0.05);
        EXPECT_FALSE(task.isFinished()) << "no answer before the typing has ended";
        sim.clock.advance(4);
        ASSERT_TRUE(task.isFinished());
        EXPECT_EQ(task.result(), row.taken);
        EXPECT_EQ(sim.beeper.beeps, beeps + row.beeps);
        autoPaste->stopMonitoring();
    }
}

TEST_F(AutoPasteTest, ChoosingASuggestionInTheLauncherInsertsItIntoTheNotchTarget)
{
    enableFieldSuggestions();
    start();
    emulateTyping();
    NotchLauncherWindow *opened = openedByDoubleClick();
    ASSERT_TRUE(opened);
    opened->onAISuggestionSelect(suggestion(QStringLiteral("chosen@example.org")));
    sim.clock.advance(1);
    EXPECT_EQ(fieldValue(), QStringLiteral("chosen@example.org"));

    // With the application gone the launcher only forgets the target.
    sim.workspace.terminate(browser);
    opened->onAISuggestionSelect(suggestion(QStringLiteral("late")));
    EXPECT_FALSE(autoPaste->notchTarget());
}

TEST_F(AutoPasteTest, StoppingEndsTheInsertionAndClosesTheOverlay)
{
    FocusedFieldAutoPasteService &s = start();
    emulateTyping();
    s.insertValue(suggestion(QStringLiteral("v")), target(), browser, fieldFrame);
    sim.clock.advance(0.2);
    ASSERT_TRUE(s.fieldTypingEffectWindow());
    s.stopMonitoring();
    EXPECT_EQ(s.fieldTypingEffectWindow(), nullptr);
    EXPECT_FALSE(s.isTypingEffectHidePending());
    EXPECT_FALSE(s.notchTarget());
}

} // namespace
