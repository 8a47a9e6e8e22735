#pragma once
// The local language model as the intelligence services need it: whether it can answer now, and one
// request at a time answered as plain text or as JSON that follows a schema. Every request is stateless (no
// conversation is kept), never blocks the main thread, and ends at once when the awaiting task is cancelled.

#include "platform/Task.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// Why the model can or cannot be used.
enum class LanguageModelAvailability {
    available,         // a model answers
    deviceNotEligible, // this computer cannot run the model
    notEnabled,        // no model endpoint is configured (or the configured one is refused)
    modelNotReady,     // the model is loading, missing, or nothing answers at the endpoint
};

struct LanguageModelRequest {
    QString instructions; // the system message
    QString prompt;       // the user message
    double temperature = 0.2;
    int maximumResponseTokens = 0; // 0: the model's own limit
    // A JSON schema (compact JSON text, properties in generation order) for a structured answer; empty for
    // plain text. `schemaName` names it to the model.
    QByteArray jsonSchema;
    QString schemaName;
    bool includeSchemaInPrompt = false;
    // Seconds the whole request may take before it ends as timed out.
    double timeout = 120;
};

struct LanguageModelResponse {
    enum class Status {
        completed,   // `content` holds the whole answer
        unavailable, // no model could take the request (see LanguageModelAvailability)
        truncated,   // the answer was cut at the token limit
        failed,      // anything else: `failure` says what, in words for the user
    };
    Status status = Status::failed;
    // The answer: plain text, or the JSON text of a structured answer.
    QString content;
    QString failure;

    static LanguageModelResponse completedWith(QString content)
    {
        return {Status::completed, std::move(content), {}};
    }
    static LanguageModelResponse failedWith(Status status, QString failure)
    {
        return {status, {}, std::move(failure)};
    }
};

class LanguageModel : public QObject {
    Q_OBJECT
public:
    // Where requests go when the model is on another computer (its address); empty when it runs on this
    // computer or none is set up.
    virtual QString remoteAddress() const = 0;
    // Where, on this computer, another user's program listens at the model's address, so that nothing is
    // sent there: the address and that user, in words; empty otherwise.
    QString foreignListener() const { return m_foreignListener; }

#ifndef Q_MOC_RUN
    // Asks the model whether it can answer now.
    virtual Task<LanguageModelAvailability> availability() = 0;
    // One request. Awaiting it gives none when the awaiting task was cancelled.
    virtual Task<LanguageModelResponse> respond(LanguageModelRequest request) = 0;
#endif

Q_SIGNALS:
    void foreignListenerChanged(const QString &listener);

protected:
    using QObject::QObject;
    void setForeignListener(const QString &listener)
    {
        if (listener == m_foreignListener)
            return;
        m_foreignListener = listener;
        Q_EMIT foreignListenerChanged(listener);
    }

private:
    QString m_foreignListener;
};
