#include "platform/linux/LinuxLanguageModel.h"

#include "platform/Clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>

namespace {

const QString timedOutText = QStringLiteral("The local language model did not answer in time.");
const QString connectionLostText
    = QStringLiteral("The connection to the local model server was lost before the answer was complete.");
const QString httpErrorText = QStringLiteral("The local model server answered with an error (HTTP %1).");
const QString unreadableText = QStringLiteral("The local model server sent an answer Tavlen cannot read.");
const QString tooLargeText = QStringLiteral("The local model server sent an answer that is too large.");
const QString truncatedText = QStringLiteral("The answer was cut off at its length limit.");
const QString unavailableText = QStringLiteral("The local language model is not available on this computer.");

// A JSON string literal for `text`, quotes included.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// Resumes the awaiting task when the reply has finished; cancelling the task aborts the reply.
class ReplyAwaiter : public CancellableAwaiter {
public:
    explicit ReplyAwaiter(QNetworkReply *reply)
        : m_reply(reply)
    {
    }
    bool await_ready() const noexcept { return m_reply->isFinished(); }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        m_connection = QObject::connect(m_reply, &QNetworkReply::finished, m_reply, [resume = resumer()] { resume(true); });
        return true;
    }

private:
    void disarm() override
    {
        QObject::disconnect(m_connection);
        m_reply->abort();
    }
    QNetworkReply *m_reply;
    QMetaObject::Connection m_connection;
};

struct DeleteLater {
    void operator()(QObject *object) const { object->deleteLater(); }
};

} // namespace

struct LinuxLanguageModel::Reply {
    bool finished = false; // false: the awaiting task was cancelled
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int httpStatus = 0;
    QByteArray body;
    bool timedOut = false;
    bool tooLarge = false;
};

LinuxLanguageModel::LinuxLanguageModel(Clock &clock, std::function<ModelEndpoint()> endpoint, QObject *parent)
    : LanguageModel(parent)
    , m_clock(clock)
    , m_endpoint(std::move(endpoint))
{
    // Clipboard content goes to the configured server and nowhere else: never through a proxy.
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

LinuxLanguageModel::~LinuxLanguageModel() = default;

ModelEndpoint LinuxLanguageModel::currentEndpoint()
{
    ModelEndpoint endpoint = m_endpoint();
    QString report;
    if (!endpoint.isUsable())
        report = endpoint.problem;
    else if (!endpoint.isLoopback())
        report = QStringLiteral("the language model endpoint %1 is not on this computer; clipboard content is sent there")
                     .arg(endpoint.baseUrl.toDisplayString(QUrl::RemovePath));
    if (report != m_lastReportedProblem && !report.isEmpty())
        qWarning("tavlen: local intelligence: %s.", qPrintable(report));
    m_lastReportedProblem = report;
    return endpoint;
}

Task<LinuxLanguageModel::Reply> LinuxLanguageModel::send(QNetworkRequest request, QByteArray body, double timeout)
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept", "application/json");
    std::unique_ptr<QNetworkReply, DeleteLater> reply;
    if (body.isNull()) {
        reply.reset(m_network.get(request));
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        reply.reset(m_network.post(request, body));
    }

    auto outcome = std::make_shared<Reply>();
    QPointer<QNetworkReply> watched(reply.get());
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(), [watched, outcome](qint64 received, qint64) {
        if (received > maximumAnswerBytes && watched) {
            outcome->tooLarge = true;
            watched->abort();
        }
    });
    const Clock::TimerId timer = m_clock.callAfter(timeout, [watched, outcome] {
        if (watched && !watched->isFinished()) {
            outcome->timedOut = true;
            watched->abort();
        }
    });

    const bool finished = co_await ReplyAwaiter(reply.get());
    m_clock.cancelTimer(timer);
    if (!finished)
        co_return Reply();
    outcome->finished = true;
    outcome->error = reply->error();
    outcome->httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        outcome->body = reply->readAll();
    co_return *outcome;
}

Task<LinuxLanguageModel::Probe> LinuxLanguageModel::probe(ModelEndpoint endpoint)
{
    Probe result;
    if (!endpoint.isUsable()) {
        result.availability = LanguageModelAvailability::notEnabled;
        co_return result;
    }
    const std::optional<Reply> reply = co_await send(QNetworkRequest(endpoint.modelsUrl()), QByteArray(), probeTimeout);
    if (!reply || !reply->finished)
        co_return result;
    const QString where = endpoint.baseUrl.toDisplayString();
    if (reply->httpStatus != 200) {
        if (reply->timedOut)
            reportState(QStringLiteral("the model server at %1 does not answer").arg(where));
        else if (reply->httpStatus == 503)
            reportState(QStringLiteral("the model server at %1 is still loading its model").arg(where));
        else if (reply->httpStatus == 0)
            reportState(QStringLiteral("no model server answers at %1").arg(where));
        else
            reportState(QStringLiteral("the model server at %1 answered HTTP %2").arg(where).arg(reply->httpStatus));
        co_return result;
    }

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply->body, &error);
    const QJsonArray models = document.object().value(QLatin1String("data")).toArray();
    for (const QJsonValue &entry : models) {
        const QString id = entry.toObject().value(QLatin1String("id")).toString();
        if (id.isEmpty())
            continue;
        // Ollama lists "name:tag"; a configured "name" means its default tag.
        const bool wanted = endpoint.modelName.isEmpty() || id == endpoint.modelName
                            || id == endpoint.modelName + QStringLiteral(":latest");
        if (wanted) {
            result.availability = LanguageModelAvailability::available;
            result.model = id;
            reportState(QStringLiteral("using the model %1 at %2").arg(id, where));
            co_return result;
        }
    }
    reportState(endpoint.modelName.isEmpty()
                    ? QStringLiteral("the model server at %1 lists no model").arg(where)
                    : QStringLiteral("the model server at %1 does not list the model %2").arg(where, endpoint.modelName));
    co_return result;
}

void LinuxLanguageModel::reportState(const QString &state)
{
    // Said once per change, not at every minute's check.
    if (state == m_lastReportedState)
        return;
    m_lastReportedState = state;
    qInfo("tavlen: local intelligence: %s.", qPrintable(state));
}

Task<LanguageModelAvailability> LinuxLanguageModel::availability()
{
    const std::optional<Probe> probed = co_await probe(currentEndpoint());
    co_return probed ? probed->availability : LanguageModelAvailability::modelNotReady;
}

QByteArray LinuxLanguageModel::requestBody(const LanguageModelRequest &request, const QString &model)
{
    QString instructions = request.instructions;
    if (!request.jsonSchema.isEmpty() && request.includeSchemaInPrompt)
        instructions += QStringLiteral("\n\nAnswer with one JSON object that follows this JSON schema:\n")
                        + QString::fromUtf8(request.jsonSchema);

    // Written by hand so the schema keeps its property order, which is the order the model fills them in.
    QByteArray body = "{\"model\":" + jsonString(model);
    body += ",\"messages\":[{\"role\":\"system\",\"content\":" + jsonString(instructions) + "},";
    body += "{\"role\":\"user\",\"content\":" + jsonString(request.prompt) + "}]";
    body += ",\"temperature\":" + QByteArray::number(request.temperature, 'g', 15);
    if (request.maximumResponseTokens > 0)
        body += ",\"max_tokens\":" + QByteArray::number(request.maximumResponseTokens);
    body += ",\"stream\":false";
    if (!request.jsonSchema.isEmpty()) {
        body += ",\"response_format\":{\"type\":\"json_schema\",\"json_schema\":{\"name\":"
                + jsonString(request.schemaName.isEmpty() ? QStringLiteral("answer") : request.schemaName)
                + ",\"strict\":true,\"schema\":" + request.jsonSchema + "}}";
    }
    body += "}";
    return body;
}

LanguageModelResponse LinuxLanguageModel::parseCompletion(const QByteArray &body)
{
    using Status = LanguageModelResponse::Status;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return LanguageModelResponse::failedWith(Status::failed, unreadableText);
    const QJsonObject choice = document.object().value(QLatin1String("choices")).toArray().first().toObject();
    const QJsonValue content = choice.value(QLatin1String("message")).toObject().value(QLatin1String("content"));
    if (!content.isString() && !content.isNull())
        return LanguageModelResponse::failedWith(Status::failed, unreadableText);
    if (choice.isEmpty() || (content.isNull() && choice.value(QLatin1String("finish_reason")).toString().isEmpty()))
        return LanguageModelResponse::failedWith(Status::failed, unreadableText);
    if (choice.value(QLatin1String("finish_reason")).toString() == QLatin1String("length"))
        return LanguageModelResponse::failedWith(Status::truncated, truncatedText);
    return LanguageModelResponse::completedWith(content.toString());
}

Task<LanguageModelResponse> LinuxLanguageModel::respond(LanguageModelRequest request)
{
    using Status = LanguageModelResponse::Status;
    const ModelEndpoint endpoint = currentEndpoint();
    const std::optional<Probe> probed = co_await probe(endpoint);
    if (!probed)
        co_return LanguageModelResponse();
    if (probed->availability != LanguageModelAvailability::available)
        co_return LanguageModelResponse::failedWith(Status::unavailable, unavailableText);

    const QByteArray body = requestBody(request, probed->model);
    const std::optional<Reply> reply = co_await send(QNetworkRequest(endpoint.chatCompletionsUrl()), body, request.timeout);
    if (!reply || !reply->finished)
        co_return LanguageModelResponse();
    if (reply->timedOut)
        co_return LanguageModelResponse::failedWith(Status::failed, timedOutText);
    if (reply->tooLarge)
        co_return LanguageModelResponse::failedWith(Status::failed, tooLargeText);
    // The server went away between the model list and the answer, or is loading another model.
    if (reply->error == QNetworkReply::ConnectionRefusedError || reply->httpStatus == 503)
        co_return LanguageModelResponse::failedWith(Status::unavailable, unavailableText);
    if (reply->httpStatus == 0)
        co_return LanguageModelResponse::failedWith(Status::failed, connectionLostText);
    if (reply->httpStatus != 200) {
        QString text = httpErrorText.arg(reply->httpStatus);
        const QString detail = QJsonDocument::fromJson(reply->body)
                                   .object()
                                   .value(QLatin1String("error"))
                                   .toObject()
                                   .value(QLatin1String("message"))
                                   .toString()
                                   .left(200);
        if (!detail.isEmpty())
            text += QLatin1Char(' ') + detail;
        co_return LanguageModelResponse::failedWith(Status::failed, text);
    }
    if (reply->error != QNetworkReply::NoError)
        co_return LanguageModelResponse::failedWith(Status::failed, connectionLostText);
    co_return parseCompletion(reply->body);
}
