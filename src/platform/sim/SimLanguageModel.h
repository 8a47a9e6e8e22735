#pragma once
// A scripted language model for tests: answers availability and requests as told, after delays on the
// simulated clock, and records every request it received.

#include "platform/LanguageModel.h"

#include <QList>

#include <functional>

class Clock;

class SimLanguageModel : public LanguageModel {
    Q_OBJECT
public:
    explicit SimLanguageModel(Clock &clock, QObject *parent = nullptr);

    QString remoteAddress() const override { return remote; }
    Task<LanguageModelAvailability> availability() override;
    Task<LanguageModelResponse> respond(LanguageModelRequest request) override;

    // Where the model answers from; empty: this computer.
    QString remote;
    using LanguageModel::setForeignListener;

    // Availability checks answer queued answers in turn, then `currentAvailability` (after `availabilityDelay`).
    void queueAvailability(LanguageModelAvailability answer, double delay = 0);
    LanguageModelAvailability currentAvailability = LanguageModelAvailability::available;
    double availabilityDelay = 0;

    // Requests answer queued answers in turn, then what `answerer` gives (by default the completed answer
    // "answer"), after `responseDelay`.
    void queueResponse(LanguageModelResponse response, double delay = 0);
    std::function<LanguageModelResponse(const LanguageModelRequest &)> answerer;
    double responseDelay = 0;

    const QList<LanguageModelRequest> &requests() const { return m_requests; }
    int availabilityChecks() const { return m_availabilityChecks; }
    // Requests whose awaiting task was cancelled before the answer came.
    int cancelledRequests() const { return m_cancelled; }
    int runningRequests() const { return m_running; }

private:
    struct Scripted {
        LanguageModelResponse response;
        double delay = 0;
    };
    struct ScriptedAvailability {
        LanguageModelAvailability answer;
        double delay = 0;
    };
    Clock &m_clock;
    QList<Scripted> m_responses;
    QList<ScriptedAvailability> m_availabilities;
    QList<LanguageModelRequest> m_requests;
    int m_availabilityChecks = 0;
    int m_cancelled = 0;
    int m_running = 0;
};
