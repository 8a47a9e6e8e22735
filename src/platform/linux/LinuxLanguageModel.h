#pragma once
// The local language model on Linux: an OpenAI-compatible chat-completions client (llama.cpp's server,
// Ollama…) over HTTP. The server's model list says whether a model answers and which one; once a model was
// found, each request is one stateless chat completion, and the list is asked again only after a request
// failed, the endpoint setting changed, or while no model answers. Redirects are never followed, no proxy
// is used and no answer is held past its size limit, so a request goes to the configured endpoint only and
// a server cannot take our memory.
//
// Availability: no usable endpoint setting → notEnabled; nothing listening, no answer in time, HTTP 503
// (loading), any other error, no model listed, or another user's program listening at a loopback address
// (sent nothing, and named by foreignListener) → modelNotReady; a listed model → available.

#include "platform/LanguageModel.h"
#include "platform/Lifetime.h"
#include "platform/linux/ModelEndpoint.h"

#include <QUrl>

#include <functional>
#include <optional>

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

    QString remoteAddress() const override;
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
    // The model found at an endpoint, used without asking again until a request fails.
    struct FoundModel {
        QUrl baseUrl;
        QString modelName; // as configured
        QString model;     // as listed
    };
    struct Reply;
    Task<Probe> probe(ModelEndpoint endpoint);
    Task<Reply> send(QUrl url, QByteArray body, double timeout);
    ModelEndpoint currentEndpoint();
    std::optional<QString> foundModel(const ModelEndpoint &endpoint) const;
    // Says where another user's program took the model's address, or that none did.
    void noteListener(const Reply &reply, const ModelEndpoint &endpoint);
    void reportState(const QString &state);

    Clock &m_clock;
    std::function<ModelEndpoint()> m_endpoint;
    std::optional<FoundModel> m_found;
    Lifetime m_lifetime;
    QString m_lastReportedProblem;
    QString m_lastReportedState;
};
