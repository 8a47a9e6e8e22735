#include "intelligence/ClipboardAIController.h"

#include "intelligence/ClipboardAIService.h"
#include "platform/Clock.h"

ClipboardAIController::ClipboardAIController(ClipboardAIService &service, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_service(service)
    , m_clock(clock)
{
}

ClipboardAIController::~ClipboardAIController()
{
    m_lifetime.end();
    m_watchTask.cancel();
    for (const Task<> &refresh : std::as_const(m_ownRefreshes))
        refresh.cancel();
}

void ClipboardAIController::setAvailability(ClipboardAIAvailability availability)
{
    if (m_availability == availability)
        return;
    m_availability = availability;
    Q_EMIT availabilityChanged();
}

void ClipboardAIController::changeActiveRequestCount(int delta)
{
    m_activeRequestCount += delta;
    Q_EMIT activeRequestCountChanged();
}

void ClipboardAIController::setLastErrorMessage(std::optional<QString> message)
{
    const bool changed = m_lastErrorMessage != message;
    m_lastErrorMessage = std::move(message);
    if (changed)
        Q_EMIT lastErrorMessageChanged();
}

Task<> ClipboardAIController::refreshAvailability()
{
    const Lifetime::Pointer<ClipboardAIController> self(this, m_lifetime);
    const quint64 ticket = ++m_refreshesStarted;
    const std::optional<ClipboardAIAvailability> read = co_await m_service.currentAvailability();
    if (!read || !self)
        co_return;
    // A refresh started later has answered already: its answer is the newer one.
    if (ticket < m_newestRefreshApplied)
        co_return;
    m_newestRefreshApplied = ticket;
    setAvailability(*read);
}

void ClipboardAIController::requestAvailabilityRefresh()
{
    m_ownRefreshes.removeIf([](const Task<> &task) { return task.isFinished(); });
    // One read in flight answers for all who asked meanwhile.
    if (!m_ownRefreshes.isEmpty())
        return;
    m_ownRefreshes.append(refreshAvailability());
}

void ClipboardAIController::setAvailabilityWatch(bool on)
{
    if (on == m_watchTask.isRunning())
        return;
    if (on)
        m_watchTask.start(watchAvailability());
    else
        m_watchTask.cancel();
}

Task<> ClipboardAIController::watchAvailability()
{
    for (;;) {
        const bool awake = co_await m_clock.sleep(recheckInterval);
        if (!awake)
            co_return;
        if (m_availability != ClipboardAIAvailability::available) {
            const bool finished = co_await refreshAvailability();
            if (!finished)
                co_return;
        }
    }
}

template<typename T>
void ClipboardAIController::finishRequest(const ClipboardAIResult<T> &result)
{
    if (result.hasValue()) {
        setLastErrorMessage(std::nullopt);
    } else {
        setLastErrorMessage(result.error().localizedDescription());
        // A failure of the model itself may mean it went away (or came back): look again.
        const ClipboardAIError::Kind kind = result.error().kind();
        if (kind == ClipboardAIError::Kind::unavailable || kind == ClipboardAIError::Kind::generation)
            requestAvailabilityRefresh();
    }
    changeActiveRequestCount(-1);
}

template<typename T>
Task<ClipboardAIResult<T>> ClipboardAIController::counted(std::function<Task<ClipboardAIResult<T>>()> request)
{
    const Lifetime::Pointer<ClipboardAIController> self(this, m_lifetime);
    changeActiveRequestCount(+1);
    Task<ClipboardAIResult<T>> work = request();
    const std::optional<ClipboardAIResult<T>> result = co_await std::move(work);
    if (!self)
        co_return ClipboardAIError::unavailable();
    if (!result) {
        // Cancelled: the count goes down, the last message stays.
        changeActiveRequestCount(-1);
        co_return ClipboardAIError::unavailable();
    }
    finishRequest(*result);
    co_return *result;
}

Task<ClipboardAIResult<ClipboardAIAnalysis>> ClipboardAIController::analyze(ClipboardAIInput input)
{
    return counted<ClipboardAIAnalysis>([this, input = std::move(input)]() mutable {
        return m_service.analyze(std::move(input));
    });
}

Task<ClipboardAIResult<QString>> ClipboardAIController::perform(ClipboardAIAction action, QString text)
{
    return counted<QString>([this, action, text = std::move(text)]() mutable {
        return m_service.transform(std::move(text), action);
    });
}
