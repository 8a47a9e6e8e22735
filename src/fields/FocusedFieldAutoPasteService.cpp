#include "fields/FocusedFieldAutoPasteService.h"

#include "clipboard/ClipboardService.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FocusedFieldReader.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "fields/views/FocusedFieldTypingEffectWindow.h"
#include "fields/views/NotchAIContext.h"
#include "model/SettingsStore.h"
#include "platform/Accessibility.h"
#include "platform/AccessibilitySpace.h"
#include "platform/AccessibilityValue.h"
#include "platform/Beeper.h"
#include "platform/Clock.h"
#include "platform/KeyboardOutput.h"
#include "platform/Permissions.h"
#include "platform/Screens.h"

#include <functional>
#include <limits>
#include <vector>

namespace {

using A = AccessibilityAttribute;

// The field's text or, for a field that never tells its text (a password field), its length.
struct FieldContent {
    std::optional<QString> text;
    std::optional<qint64> characterCount;
    bool isReadable() const { return text || characterCount; }
};

FieldContent readContent(const FocusedFieldTarget &target)
{
    FieldContent content;
    content.text = target.element.attribute(A::value).string();
    if (const std::optional<double> count = target.element.attribute(A::characterCount).number())
        content.characterCount = qint64(*count);
    return content;
}

// Whether the field now shows the value: its text holds it, or its length is what typing it gives.
bool showsValue(const FieldContent &content, const QString &value, bool clearFirst)
{
    if (content.text)
        return content.text->contains(value);
    if (!content.characterCount)
        return false;
    // Toolkits count characters either as code points or as UTF-16 units.
    const qint64 codePoints = value.toUcs4().size();
    const qint64 units = value.size();
    if (clearFirst)
        return *content.characterCount == codePoints || *content.characterCount == units;
    return *content.characterCount >= codePoints;
}

} // namespace

struct FocusedFieldAutoPasteService::InsertionState {
    std::optional<InsertionOutcome> outcome;
    std::vector<std::function<void()>> waiters;

    // The first outcome counts; waiters resume at once, in order.
    void finish(InsertionOutcome result)
    {
        if (outcome)
            return;
        outcome = result;
        const std::vector<std::function<void()>> resume = std::move(waiters);
        for (const auto &waiter : resume)
            waiter();
    }
};

// Suspends a task until an insertion has ended; none when the waiting task was cancelled first (the
// insertion itself goes on).
class FocusedFieldAutoPasteService::InsertionAwaiter : public CancellableAwaiter {
public:
    explicit InsertionAwaiter(std::shared_ptr<InsertionState> state)
        : m_insertion(std::move(state))
    {
    }
    bool await_ready() const noexcept { return m_insertion->outcome.has_value(); }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        m_insertion->waiters.push_back([resume = resumer()] { resume(true); });
        return true;
    }
    std::optional<InsertionOutcome> await_resume() const
    {
        if (m_state && (m_state->cancelled || !m_result))
            return std::nullopt;
        return m_insertion->outcome;
    }

private:
    std::shared_ptr<InsertionState> m_insertion;
};

FocusedFieldAutoPasteService::FocusedFieldAutoPasteService(const Platform &platform, SettingsStore *settings,
                                                           FocusedFieldSuggestionService *fields, QObject *parent)
    : NotchAIActionHandling(parent)
    , m_platform(platform)
    , m_settings(settings)
    , m_fields(fields)
{
}

void FocusedFieldAutoPasteService::setLauncher(QObject *owner, NotchFieldLauncher *launcher)
{
    m_launcherOwner = owner;
    m_launcher = launcher;
}

void FocusedFieldAutoPasteService::setClipboardService(ClipboardService *service)
{
    m_clipboardService = service;
}

void FocusedFieldAutoPasteService::setFieldValueAssociations(FieldValueAssociationService *store)
{
    m_associations = store;
}

FocusedFieldAutoPasteService::~FocusedFieldAutoPasteService()
{
    m_lifetime.end();
    stopMonitoring();
}

// --- Conditions, read at the moment of each event ---

bool FocusedFieldAutoPasteService::hasPermissions() const
{
    Permissions *permissions = m_platform.permissions;
    return permissions && permissions->isTrusted() && permissions->canPostEvents();
}

bool FocusedFieldAutoPasteService::fieldSuggestionCondition() const
{
    return m_settings && m_fields && m_settings->settings().areFieldSuggestionsActive() && hasPermissions();
}

bool FocusedFieldAutoPasteService::handlerCondition() const
{
    return m_settings && m_fields && m_settings->settings().aiEnabled && hasPermissions();
}

bool FocusedFieldAutoPasteService::isFieldWindowEnabled() const
{
    return m_settings && m_settings->settings().fieldWindowEnabled;
}

bool FocusedFieldAutoPasteService::isThisApplication(const RunningApplication &app) const
{
    Workspace *workspace = m_platform.workspace;
    if (!workspace)
        return false;
    // Two applications without identifiers count as the same one.
    return workspace->isCurrentApplication(app)
        || app.applicationId == workspace->currentApplication().applicationId;
}

// --- Monitoring ---

void FocusedFieldAutoPasteService::startMonitoring()
{
    if (m_mouseMonitor || m_localMouseMonitor || !m_platform.eventMonitors)
        return;
    const Lifetime::Pointer<FocusedFieldAutoPasteService> self(this, m_lifetime);
    m_localMouseMonitor = m_platform.eventMonitors->addLocalMouseDownMonitor(
        MouseButtonMask::Left, [self](const MouseDownEvent &event) {
            return self ? self->handleLocalMouseDown(event) : EventDisposition::Pass;
        });
    m_mouseMonitor = m_platform.eventMonitors->addGlobalMouseDownMonitor(MouseButtonMask::Left,
                                                                         [self](const MouseDownEvent &event) {
                                                                             if (self)
                                                                                 self->handleGlobalMouseDown(event);
                                                                         });
    if (m_platform.workspace && !m_desktopObserver) {
        m_desktopObserver = connect(m_platform.workspace, &Workspace::currentDesktopChanged, this,
                                    &FocusedFieldAutoPasteService::handleDesktopChange);
    }
    if (m_settings)
        m_settingsObserver = connect(m_settings, &SettingsStore::settingsChanged, this,
                                     &FocusedFieldAutoPasteService::updateSuperDoubleClickHold);
    if (m_platform.permissions)
        m_permissionsObserver = connect(m_platform.permissions, &Permissions::changed, this,
                                        &FocusedFieldAutoPasteService::updateSuperDoubleClickHold);
    updateSuperDoubleClickHold();
}

void FocusedFieldAutoPasteService::stopMonitoring()
{
    m_pendingNotchActivationTask.cancel();
    m_fieldContextTask.cancel();
    m_fieldTypingTask.cancel();
    m_fieldTypingEffectHideTask.cancel();
    if (m_fieldTypingEffectWindow) {
        m_fieldTypingEffectWindow->close();
        m_fieldTypingEffectWindow.reset();
    }
    m_notchApplication.reset();
    m_notchTarget.reset();
    if (m_platform.eventMonitors) {
        if (m_mouseMonitor)
            m_platform.eventMonitors->removeMonitor(*m_mouseMonitor);
        if (m_localMouseMonitor)
            m_platform.eventMonitors->removeMonitor(*m_localMouseMonitor);
    }
    m_mouseMonitor.reset();
    m_localMouseMonitor.reset();
    disconnect(m_desktopObserver);
    m_desktopObserver = {};
    disconnect(m_settingsObserver);
    m_settingsObserver = {};
    disconnect(m_permissionsObserver);
    m_permissionsObserver = {};
    updateSuperDoubleClickHold();
}

// The application under the pointer gets no more than the first click of a Super + double-click exactly
// while that double-click opens something here: the word it would select stays as it is, and a chosen
// value goes in at the caret that first click placed.
void FocusedFieldAutoPasteService::updateSuperDoubleClickHold()
{
    const bool opensSomething = isFieldWindowEnabled() || fieldSuggestionCondition();
    if (EventMonitors *monitors = m_platform.eventMonitors)
        monitors->setHoldsBackSuperDoubleClicks(isMonitoring() && opensSomething);
}

EventDisposition FocusedFieldAutoPasteService::handleLocalMouseDown(const MouseDownEvent &event)
{
    m_pendingNotchActivationTask.cancel();
    m_doubleClickTracker.recordOwnClick(event.timestamp);
    return EventDisposition::Pass;
}

void FocusedFieldAutoPasteService::handleGlobalMouseDown(const MouseDownEvent &event)
{
    // Any click cancels a waiting request.
    m_pendingNotchActivationTask.cancel();
    const double interval = m_platform.eventMonitors ? m_platform.eventMonitors->doubleClickInterval() : 0;
    const bool superHeld = event.modifiers & Qt::MetaModifier;
    if (!m_doubleClickTracker.shouldHandleForeignClick(event.timestamp, event.clickCount, superHeld, interval))
        return;
    scheduleNotchActivation(m_platform.screens ? std::optional(AccessibilitySpace::fromScreenPoint(
                                                     event.location, m_platform.screens->screens()))
                                               : std::nullopt);
}

void FocusedFieldAutoPasteService::handleDesktopChange()
{
    m_pendingNotchActivationTask.cancel();
    clearNotchTarget();
    if (isFieldWindowEnabled() && launcher())
        launcher()->collapseAllExpanded();
}

// --- The Super + double-click request ---

std::optional<ClipboardPasteTarget> FocusedFieldAutoPasteService::fieldUnderPoint(QPointF point) const
{
    return m_fields ? m_fields->pasteTarget(point) : std::nullopt;
}

void FocusedFieldAutoPasteService::scheduleNotchActivation(std::optional<QPointF> at)
{
    if (!m_settings)
        return;
    const bool suggestions = fieldSuggestionCondition();
    if ((!isFieldWindowEnabled() && !suggestions) || !at || !m_platform.screens)
        return;
    const std::optional<ClipboardPasteTarget> clickTimeField = suggestions ? fieldUnderPoint(*at) : std::nullopt;
    std::optional<ClipboardPasteTarget> plainTarget;
    if (ClipboardService *clipboard = m_clipboardService) {
        plainTarget = clipboard->focusedFieldTarget();
        if (plainTarget)
            plainTarget->field.reset();
    }
    const QPointF anchor = AccessibilitySpace::toScreenPoint(*at, m_platform.screens->screens());
    m_pendingNotchActivationTask.start(runNotchActivation(*at, clickTimeField, anchor, plainTarget));
}

Task<> FocusedFieldAutoPasteService::runNotchActivation(QPointF point, std::optional<ClipboardPasteTarget> clickTimeField,
                                                        QPointF anchor, std::optional<ClipboardPasteTarget> plainTarget)
{
    const Lifetime::Pointer<FocusedFieldAutoPasteService> self(this, m_lifetime);
    const bool awake = co_await m_platform.clock->sleep(notchActivationDelay);
    if (!awake || !self || !self->m_settings)
        co_return;

    if (fieldSuggestionCondition()) {
        const std::optional<ClipboardPasteTarget> now = fieldUnderPoint(point);
        // The field counts only when it still belongs to the process found at the click.
        const bool counts = now && now->field
            && (!clickTimeField || clickTimeField->application.pid == now->application.pid);
        if (counts) {
            requestAIContext(now->application, now->field, NotchLauncherListKind::recent, anchor);
            co_return;
        }
    }
    if (!isFieldWindowEnabled())
        co_return;
    m_fieldContextTask.cancel();
    m_notchApplication.reset();
    m_notchTarget.reset();
    if (NotchFieldLauncher *windows = launcher())
        windows->openLauncher(NotchLauncherListKind::clipboard, anchor, std::nullopt, plainTarget);
}

// --- What the launcher asks ---

std::optional<FocusedFieldTarget> FocusedFieldAutoPasteService::focusedEligibleField(const RunningApplication &app) const
{
    if (!hasPermissions() || app.pid <= 0 || !m_platform.workspace || m_platform.workspace->isTerminated(app)
        || !m_platform.accessibility)
        return std::nullopt;
    const AccessibilityElement root = m_platform.accessibility->applicationElement(app.pid);
    const std::optional<AccessibilityElement> focused = FocusedFieldReader::copyElementAttribute(A::focusedElement, root);
    if (!focused || !FocusedFieldReader::isEditableTextField(*focused))
        return std::nullopt;
    const std::optional<QString> kind = FocusedFieldReader::focusedFieldType(*focused);
    if (!kind)
        return std::nullopt;
    return FocusedFieldTarget{*focused, FocusedFieldReader::descriptor(*focused, app, *kind)};
}

bool FocusedFieldAutoPasteService::hasFocusedField()
{
    if (!handlerCondition() || !m_platform.workspace)
        return false;
    const std::optional<RunningApplication> front = m_platform.workspace->frontmostApplication();
    if (!front || isThisApplication(*front))
        return false;
    return focusedEligibleField(*front).has_value();
}

void FocusedFieldAutoPasteService::requestAIContext(std::optional<RunningApplication> application,
                                                    std::optional<FocusedFieldTarget> target,
                                                    NotchLauncherListKind list, std::optional<QPointF> at)
{
    Beeper *beeper = m_platform.beeper;
    auto refuse = [beeper] {
        if (beeper)
            beeper->beep();
    };
    if (!handlerCondition() || !application || isThisApplication(*application) || !m_platform.workspace
        || m_platform.workspace->isTerminated(*application)) {
        refuse();
        return;
    }
    if (!target)
        target = focusedEligibleField(*application);
    if (!target) {
        refuse();
        return;
    }
    m_notchApplication = application;
    m_notchTarget = target;
    m_fieldContextTask.start(presentFieldContext(*application, *target, list, at));
}

Task<> FocusedFieldAutoPasteService::presentFieldContext(RunningApplication application, FocusedFieldTarget target,
                                                         NotchLauncherListKind list, std::optional<QPointF> at)
{
    const Lifetime::Pointer<FocusedFieldAutoPasteService> self(this, m_lifetime);
    const FocusedFieldDescriptor &descriptor = target.descriptor;
    const QString fieldName = descriptor.title.value_or(descriptor.placeholder.value_or(descriptor.fieldType));
    QList<FocusedFieldSuggestion> history;
    QList<FocusedFieldSuggestion> searchable;
    if (FieldValueAssociationService *store = m_associations) {
        // Both asked at once: the store answers them in this order while the launcher keeps drawing.
        Task<QList<FocusedFieldSuggestion>> historyQuery = store->suggestions(descriptor, std::numeric_limits<int>::max(), false);
        Task<QList<FocusedFieldSuggestion>> searchableQuery = store->suggestions(descriptor, std::numeric_limits<int>::max(), true);
        std::optional<QList<FocusedFieldSuggestion>> historyFound = co_await historyQuery;
        std::optional<QList<FocusedFieldSuggestion>> searchableFound = co_await searchableQuery;
        const bool cancelled = co_await isCancelled();
        if (!self || cancelled)
            co_return;
        history = std::move(historyFound).value_or(QList<FocusedFieldSuggestion>());
        searchable = std::move(searchableFound).value_or(QList<FocusedFieldSuggestion>());
    }
    const QList<FocusedFieldSuggestion> samples = m_sampleGenerator.sampleSuggestions(target, sampleSuggestionCount);

    NotchFieldLauncher *windows = launcher();
    if (!windows)
        co_return;
    const std::optional<QRectF> frame = fieldScreenFrame(target);
    const QPointF anchor = at ? *at : m_platform.eventMonitors ? m_platform.eventMonitors->mouseLocation() : QPointF();
    windows->presentFieldContext(NotchAIContext(fieldName, history, samples, searchable), list,
                                 ClipboardPasteTarget{application, target}, frame, anchor, at.has_value());
}

std::optional<NotchAIActionHandling::NotchTarget> FocusedFieldAutoPasteService::currentNotchTarget()
{
    if (!handlerCondition() || !m_notchApplication || !m_notchTarget || !m_platform.workspace
        || m_platform.workspace->isTerminated(*m_notchApplication))
        return std::nullopt;
    const std::optional<QRectF> frame = m_fields->fieldFrame(*m_notchTarget);
    if (!frame)
        return std::nullopt;
    return NotchTarget{*m_notchApplication, *m_notchTarget, *frame};
}

void FocusedFieldAutoPasteService::clearNotchTarget()
{
    m_fieldContextTask.cancel();
    if (NotchFieldLauncher *windows = launcher())
        windows->clearAIContexts();
    m_notchApplication.reset();
    m_notchTarget.reset();
}

std::optional<QRectF> FocusedFieldAutoPasteService::fieldScreenFrame(const FocusedFieldTarget &target) const
{
    if (!m_fields || !m_platform.screens)
        return std::nullopt;
    const std::optional<QRectF> frame = m_fields->fieldFrame(target);
    if (!frame || frame->isEmpty() || !std::isfinite(frame->x()) || !std::isfinite(frame->y())
        || !std::isfinite(frame->width()) || !std::isfinite(frame->height()))
        return std::nullopt;
    return AccessibilitySpace::toScreenRect(*frame, m_platform.screens->screens());
}

// --- Putting a value into a field ---

bool FocusedFieldAutoPasteService::insertValue(const FocusedFieldSuggestion &suggestion,
                                               const FocusedFieldTarget &target,
                                               const RunningApplication &application, const QRectF &frame)
{
    return startInsertion(suggestion, target, application, frame, false) != nullptr;
}

Task<bool> FocusedFieldAutoPasteService::handleClipboardItemSelect(ClipboardItem item, ClipboardPasteTarget target)
{
    const ClipboardItemType kind = item.type();
    if ((kind != ClipboardItemType::text && kind != ClipboardItemType::url) || item.text().isEmpty()
        || item.text().size() > longestTypedItem)
        co_return false;
    if (!hasPermissions() || !m_platform.workspace || m_platform.workspace->isTerminated(target.application)
        || !m_settings || !m_fields || !target.field)
        co_return false;
    const std::optional<QRectF> frame = m_fields->fieldFrame(*target.field);
    if (!frame)
        co_return false;
    FocusedFieldSuggestion suggestion;
    suggestion.title = QStringLiteral("Clipboard");
    suggestion.value = item.text();
    suggestion.systemImage = QStringLiteral("doc.on.clipboard");
    const std::shared_ptr<InsertionState> insertion =
        startInsertion(suggestion, *target.field, target.application, *frame, true);
    if (!insertion)
        co_return false;
    const std::optional<InsertionOutcome> outcome = co_await InsertionAwaiter(insertion);
    // Only when nothing was typed may the launcher paste the item instead.
    co_return !outcome || *outcome != InsertionOutcome::notStarted;
}

std::shared_ptr<FocusedFieldAutoPasteService::InsertionState>
FocusedFieldAutoPasteService::startInsertion(const FocusedFieldSuggestion &suggestion, const FocusedFieldTarget &target,
                                             const RunningApplication &application, const QRectF &frame,
                                             bool fallbackFollows)
{
    if (!m_settings)
        return nullptr;
    if (ClipboardService *clipboard = m_clipboardService)
        clipboard->setPreviousActiveApp(application);
    m_fieldTypingTask.cancel();
    m_fieldTypingEffectHideTask.cancel();
    hideTypingEffect();

    Insertion insertion;
    insertion.application = application;
    insertion.target = target;
    // Selecting all replaces a one-line field's previous value; in a multi-line text or a document it would
    // wipe the person's work, so the value goes at the caret there.
    insertion.clearFirst = m_settings->settings().clearFieldBeforePaste
        && FocusedFieldReader::isSingleLineRole(FocusedFieldReader::accessibilityRole(target.element));
    insertion.pid = application.pid;
    insertion.frame = frame;
    insertion.value = suggestion.value;
    insertion.fallbackFollows = fallbackFollows;
    auto state = std::make_shared<InsertionState>();
    m_lastInsertionOutcome.reset();
    m_fieldTypingTask.start(runTyping(std::move(insertion), state));
    return state;
}

void FocusedFieldAutoPasteService::endInsertion(const Insertion &insertion, InsertionOutcome outcome,
                                                InsertionState &state)
{
    m_lastInsertionOutcome = outcome;
    const bool failed = outcome == InsertionOutcome::refused || outcome == InsertionOutcome::interrupted
        || (outcome == InsertionOutcome::notStarted && !insertion.fallbackFollows);
    if (failed && m_platform.beeper)
        m_platform.beeper->beep();
    state.finish(outcome);
}

Task<> FocusedFieldAutoPasteService::runTyping(Insertion insertion, std::shared_ptr<InsertionState> state)
{
    const Lifetime::Pointer<FocusedFieldAutoPasteService> self(this, m_lifetime);
    QPointer<ClipboardService> clipboard = m_clipboardService;
    KeyboardOutput *keyboard = m_platform.keyboard;
    if (!m_settings || !m_fields || !clipboard || !keyboard) {
        endInsertion(insertion, InsertionOutcome::notStarted, *state);
        co_return;
    }
    // A field that has become read-only, disabled or gone takes no value.
    if (!FocusedFieldReader::isEditableTextField(insertion.target.element)) {
        endInsertion(insertion, InsertionOutcome::refused, *state);
        co_return;
    }

    const std::optional<bool> refocused = co_await clipboard->refocus(insertion.application, insertion.target);
    if (!self) {
        state->finish(InsertionOutcome::superseded);
        co_return;
    }
    if (!refocused) {
        endInsertion(insertion, InsertionOutcome::superseded, *state);
        co_return;
    }
    // Keys go to whatever window has the focus: only to this process, and only while it has it.
    if (!*refocused || !hasPermissions() || insertion.pid <= 0) {
        endInsertion(insertion, InsertionOutcome::notStarted, *state);
        co_return;
    }
    const bool exposesText = readContent(insertion.target).isReadable();
    if (insertion.clearFirst && !keyboard->postChord(KeyChord::selectAll(), insertion.pid)) {
        endInsertion(insertion, InsertionOutcome::notStarted, *state);
        co_return;
    }

    FocusedFieldTypingEffectWindow &overlay = typingEffectWindow();
    const std::optional<QRectF> frame = m_fields ? m_fields->fieldFrame(insertion.target) : std::nullopt;
    overlay.update(frame.value_or(insertion.frame));
    const bool awake = co_await m_platform.clock->sleep(typingEffectDelay);
    if (!self) {
        state->finish(InsertionOutcome::superseded);
        co_return;
    }
    if (!awake) {
        hideTypingEffect();
        endInsertion(insertion, InsertionOutcome::superseded, *state);
        co_return;
    }
    if (!hasPermissions()) {
        hideTypingEffect();
        endInsertion(insertion, InsertionOutcome::notStarted, *state);
        co_return;
    }

    const std::optional<KeyboardOutput::Typed> typed = co_await keyboard->typeTextPaced(insertion.value, insertion.pid);
    if (!self) {
        state->finish(InsertionOutcome::superseded);
        co_return;
    }
    const qsizetype posted = typed ? typed->postedLength : 0;
    if (!typed || !typed->complete) {
        hideTypingEffect();
        const bool cancelled = co_await isCancelled();
        InsertionOutcome outcome = posted > 0 ? InsertionOutcome::interrupted : InsertionOutcome::notStarted;
        if (cancelled && posted == 0)
            outcome = InsertionOutcome::superseded;
        endInsertion(insertion, outcome, *state);
        co_return;
    }

    const std::optional<bool> arrived =
        co_await valueArrived(insertion.target, insertion.value, insertion.clearFirst, exposesText);
    if (!self) {
        state->finish(InsertionOutcome::superseded);
        co_return;
    }
    if (!arrived) {
        hideTypingEffect();
        endInsertion(insertion, InsertionOutcome::superseded, *state);
        co_return;
    }
    if (!*arrived) {
        hideTypingEffect();
        endInsertion(insertion, InsertionOutcome::interrupted, *state);
        co_return;
    }

    overlay.model().showPasteHighlight();
    Q_EMIT valuePasted();
    // The store decides whether and how the value is remembered.
    if (FieldValueAssociationService *store = m_associations)
        store->recordValue(insertion.value, insertion.target.descriptor);
    scheduleTypingEffectHide(typingEffectHideDelay);
    endInsertion(insertion, InsertionOutcome::typed, *state);
}

Task<bool> FocusedFieldAutoPasteService::valueArrived(FocusedFieldTarget target, QString value, bool clearFirst,
                                                      bool exposesText)
{
    // Nothing to see for an empty value, nor in a field that never showed its text: the keys went to the
    // field's own window while it had the focus, which is all that can be known.
    if (value.isEmpty() || !exposesText)
        co_return true;
    Clock &clock = *m_platform.clock;
    const double deadline = clock.uptime() + verificationTimeout;
    for (;;) {
        if (showsValue(readContent(target), value, clearFirst))
            co_return true;
        if (clock.uptime() >= deadline)
            co_return false;
        const bool awake = co_await clock.sleep(verificationPollInterval);
        if (!awake)
            co_return false;
    }
}

FocusedFieldTypingEffectWindow &FocusedFieldAutoPasteService::typingEffectWindow()
{
    if (!m_fieldTypingEffectWindow)
        m_fieldTypingEffectWindow = std::make_unique<FocusedFieldTypingEffectWindow>(m_platform);
    return *m_fieldTypingEffectWindow;
}

void FocusedFieldAutoPasteService::hideTypingEffect()
{
    if (m_fieldTypingEffectWindow)
        m_fieldTypingEffectWindow->hide();
}

void FocusedFieldAutoPasteService::scheduleTypingEffectHide(double delay)
{
    m_fieldTypingEffectHideTask.start(runTypingEffectHide(delay));
}

Task<> FocusedFieldAutoPasteService::runTypingEffectHide(double delay)
{
    const Lifetime::Pointer<FocusedFieldAutoPasteService> self(this, m_lifetime);
    co_await m_platform.clock->sleep(delay);
    const bool cancelled = co_await isCancelled();
    if (cancelled || !self)
        co_return;
    hideTypingEffect();
}
