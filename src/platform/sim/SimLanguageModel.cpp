#include "platform/sim/SimLanguageModel.h"

#include "platform/Clock.h"

SimLanguageModel::SimLanguageModel(Clock &clock, QObject *parent)
    : LanguageModel(parent)
    , m_clock(clock)
{
}

void SimLanguageModel::queueAvailability(LanguageModelAvailability answer, double delay)
{
    m_availabilities.append({answer, delay});
}

void SimLanguageModel::queueResponse(LanguageModelResponse response, double delay)
{
    m_responses.append({std::move(response), delay});
}

Task<LanguageModelAvailability> SimLanguageModel::availability()
{
    ++m_availabilityChecks;
    ScriptedAvailability next{currentAvailability, availabilityDelay};
    if (!m_availabilities.isEmpty())
        next = m_availabilities.takeFirst();
    if (next.delay > 0) {
        const bool awake = co_await m_clock.sleep(next.delay);
        if (!awake)
            co_return LanguageModelAvailability::modelNotReady;
    }
    co_return next.answer;
}

Task<LanguageModelResponse> SimLanguageModel::respond(LanguageModelRequest request)
{
    m_requests.append(request);
    Scripted next;
    if (!m_responses.isEmpty()) {
        next = m_responses.takeFirst();
    } else {
        next.response = answerer ? answerer(request) : LanguageModelResponse::completedWith(QStringLiteral("answer"));
        next.delay = responseDelay;
    }
    if (next.delay > 0) {
        ++m_running;
        const bool awake = co_await m_clock.sleep(next.delay);
        --m_running;
        if (!awake) {
            ++m_cancelled;
            co_return LanguageModelResponse();
        }
    }
    co_return next.response;
}
