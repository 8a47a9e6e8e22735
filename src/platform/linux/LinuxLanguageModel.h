#pragma once
// The local language model on Linux: an OpenAI-compatible chat-completions client (llama.cpp's server,
// Ollama…) over HTTP. Each request first asks the server for its models (availability, and the model to
// use), then posts one stateless chat completion. Redirects are never followed and no proxy is used, so a
// request goes to the configured endpoint only.
//
// Availability: no usable endpoint setting → notEnabled; nothing listening, no answer in time, HTTP 503
// (loading), any other error, or no model listed → modelNotReady; a listed model → available.

#include "platform/LanguageModel.h"
#include "platform/linux/ModelEndpoint.h"

#include <QNetworkAccessManager>

#include <functional>

class Clock;

class LinuxLanguageModel : public LanguageModel {
    Q_OBJECT
public:
    // Seconds the model list may take to arrive.
    static constexpr double probeTimeout = 5;
    // The largest answer read, in bytes.
    static constexpr qint64 maximumAnswerBytes = 4 * 1024 * 1024;

    // `endpoint` is asked at every request, so a changed setting takes effect at once.
    LinuxLanguageModel(Clock &clock, std::function<ModelEndpoint()> endpoint, QObject *parent = nullptr);
    ~LinuxLanguageModel() override;

    Task<LanguageModelAvailability> availability() override;
    Task<LanguageModelResponse> respond(LanguageModelRequest request) override;

    // The chat-completions body for a request to `model` (exposed for tests).
    static QByteArray requestBody(const LanguageModelRequest &request, const QString &model);
    // The answer of a chat completion with HTTP status 200, read into a response.
    static LanguageModelResponse parseCompletion(const QByteArray &body);

private:
    struct Probe {
        LanguageModelAvailability availability = LanguageModelAvailability::modelNotReady;
        QString model;
    };
    struct Reply;
    Task<Probe> probe(ModelEndpoint endpoint);
    Task<Reply> send(QNetworkRequest request, QByteArray body, double timeout);
    ModelEndpoint currentEndpoint();
    void reportState(const QString &state);

    Clock &m_clock;
    std::function<ModelEndpoint()> m_endpoint;
    QNetworkAccessManager m_network;
    QString m_lastReportedProblem;
    QString m_lastReportedState;
};
