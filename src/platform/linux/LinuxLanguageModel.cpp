#include "platform/linux/LinuxLanguageModel.h"

#include "platform/Clock.h"
#include "platform/linux/BoundedHttpRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

#include <memory>

#include <pwd.h>

namespace {

const QString timedOutText = QStringLiteral("The local language model did not answer in time.");
const QString connectionLostText
    = QStringLiteral("The connection to the local model server was lost before the answer was complete.");
const QString httpErrorText = QStringLiteral("The local model server answered with an error (HTTP %1).");
const QString unreadableText = QStringLiteral("The local model server sent an answer Tavlen cannot read.");
const QString tooLargeText = QStringLiteral("The local model server sent an answer that is too large.");
const QString truncatedText = QStringLiteral("The answer was cut off at its length limit.");
const QString unavailableText = QStringLiteral("The local language model is not available on this computer.");
const QString foreignListenerText = QStringLiteral(
    "Another user's program listens where the local model server should be; Tavlen sent it nothing.");

// A user by name, else by number.
QString userName(uint uid)
{
    char buffer[4096];
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

// A JSON string literal for `text`, quotes included.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// Resumes the awaiting task when the request has finished; cancelling the task closes its connection.
class RequestAwaiter : public CancellableAwaiter {
public:
    explicit RequestAwaiter(BoundedHttpRequest *request)
        : m_request(request)
    {
    }
    bool await_ready() const noexcept { return m_request->isFinished(); }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        m_connection = QObject::connect(m_request, &BoundedHttpRequest::finished, m_request,
                                        [resume = resumer()] { resume(true); });
        return true;
    }

private:
    void disarm() override
    {
        QObject::disconnect(m_connection);
        m_request->abort();
    }
    BoundedHttpRequest *m_request;
    QMetaObject::Connection m_connection;
};

struct DeleteLater {
    void operator()(QObject *object) const { object->deleteLater(); }
};

} // namespace

struct LinuxLanguageModel::Reply {
    bool finished = false; // false: the awaiting task was cancelled
    BoundedHttpRequest::Failure failure = BoundedHttpRequest::Failure::none;
    std::optional<uint> foreignListenerUid;
    int httpStatus = 0;
    QByteArray body;
    bool timedOut = false;

    bool tooLarge() const { return failure == BoundedHttpRequest::Failure::tooLarge; }
    // A complete answer with status 200.
    bool isAnswer() const { return !timedOut && failure == BoundedHttpRequest::Failure::none && httpStatus == 200; }
};

LinuxLanguageModel::LinuxLanguageModel(Clock &clock, std::function<ModelEndpoint()> endpoint, QObject *parent)
    : LanguageModel(parent)
    , m_clock(clock)
    , m_endpoint(std::move(endpoint))
{
}

LinuxLanguageModel::~LinuxLanguageModel()
{
    m_lifetime.end();
}

QString LinuxLanguageModel::remoteAddress() const
{
    const ModelEndpoint endpoint = m_endpoint();
    if (!endpoint.isUsable() || endpoint.isLoopback())
        return {};
    return endpoint.baseUrl.toDisplayString(QUrl::RemovePath | QUrl::RemoveUserInfo);
}

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
        qWarning("local intelligence: %s.", qPrintable(report));
    m_lastReportedProblem = report;
    return endpoint;
}

Task<LinuxLanguageModel::Reply> LinuxLanguageModel::send(QUrl url, QByteArray body, double timeout)
{
    std::unique_ptr<BoundedHttpRequest, DeleteLater> request(new BoundedHttpRequest(url, body, maximumAnswerBytes));
    auto timedOut = std::make_shared<bool>(false);
    QPointer<BoundedHttpRequest> watched(request.get());
    const Clock::TimerId timer = m_clock.callAfter(timeout, [watched, timedOut] {
        if (watched && !watched->isFinished()) {
            *timedOut = true;
            watched->abort();
        }
    });

    // The model may be deleted while the request runs: the clock outlives it.
    Clock &clock = m_clock;
    const bool finished = co_await RequestAwaiter(request.get());
    clock.cancelTimer(timer);
    if (!finished)
        co_return Reply();
    Reply reply;
    reply.finished = true;
    reply.failure = request->failure();
    reply.foreignListenerUid = request->foreignListenerUid();
    reply.httpStatus = request->status();
    reply.body = request->body();
    reply.timedOut = *timedOut;
    co_return reply;
}

Task<LinuxLanguageModel::Probe> LinuxLanguageModel::probe(ModelEndpoint endpoint)
{
    Probe result;
    if (!endpoint.isUsable()) {
        result.availability = LanguageModelAvailability::notEnabled;
        co_return result;
    }
    const Lifetime::Pointer<LinuxLanguageModel> self(this, m_lifetime);
    const std::optional<Reply> reply = co_await send(endpoint.modelsUrl(), QByteArray(), probeTimeout);
    if (!reply || !reply->finished || !self)
        co_return result;
    noteListener(*reply, endpoint);
    const QString where = endpoint.baseUrl.toDisplayString();
    if (!reply->isAnswer()) {
        if (reply->failure == BoundedHttpRequest::Failure::foreignListener)
            reportState(QStringLiteral("another user's program listens at %1; nothing is sent to it").arg(foreignListener()));
        else if (reply->timedOut)
            reportState(QStringLiteral("the model server at %1 does not answer").arg(where));
        else if (reply->httpStatus == 503)
            reportState(QStringLiteral("the model server at %1 is still loading its model").arg(where));
        else if (reply->httpStatus == 0 || reply->httpStatus == 200)
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

void LinuxLanguageModel::noteListener(const Reply &reply, const ModelEndpoint &endpoint)
{
    if (reply.failure != BoundedHttpRequest::Failure::foreignListener) {
        // Whatever else became of it, the request reached no other user's program.
        if (!reply.timedOut)
            setForeignListener({});
        return;
    }
    const QUrl &url = endpoint.baseUrl;
    const QString host = url.host().contains(QLatin1Char(':')) ? QLatin1Char('[') + url.host() + QLatin1Char(']') : url.host();
    const QString user = reply.foreignListenerUid ? QStringLiteral("user %1").arg(userName(*reply.foreignListenerUid))
                                                  : QStringLiteral("its user unknown");
    setForeignListener(QStringLiteral("%1:%2 (%3)").arg(host).arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80)).arg(user));
}

void LinuxLanguageModel::reportState(const QString &state)
{
    // Said once per change, not at every minute's check.
    if (state == m_lastReportedState)
        return;
    m_lastReportedState = state;
    qInfo("local intelligence: %s.", qPrintable(state));
}

std::optional<QString> LinuxLanguageModel::foundModel(const ModelEndpoint &endpoint) const
{
    if (!m_found || !endpoint.isUsable() || m_found->baseUrl != endpoint.baseUrl
        || m_found->modelName != endpoint.modelName)
        return std::nullopt;
    return m_found->model;
}

Task<LanguageModelAvailability> LinuxLanguageModel::availability()
{
    const ModelEndpoint endpoint = currentEndpoint();
    if (foundModel(endpoint))
        co_return LanguageModelAvailability::available;
    const Lifetime::Pointer<LinuxLanguageModel> self(this, m_lifetime);
    const std::optional<Probe> probed = co_await probe(endpoint);
    if (!probed || !self)
        co_return LanguageModelAvailability::modelNotReady;
    if (probed->availability == LanguageModelAvailability::available)
        m_found = FoundModel{endpoint.baseUrl, endpoint.modelName, probed->model};
    else
        m_found.reset();
    co_return probed->availability;
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
    const Lifetime::Pointer<LinuxLanguageModel> self(this, m_lifetime);
    std::optional<QString> model = foundModel(endpoint);
    if (!model) {
        const std::optional<LanguageModelAvailability> availability = co_await this->availability();
        if (!availability || !self)
            co_return LanguageModelResponse();
        if (*availability != LanguageModelAvailability::available || !(model = foundModel(endpoint)))
            co_return LanguageModelResponse::failedWith(Status::unavailable, unavailableText);
    }

    const QByteArray body = requestBody(request, *model);
    const std::optional<Reply> reply = co_await send(endpoint.chatCompletionsUrl(), body, request.timeout);
    if (!reply || !reply->finished || !self)
        co_return LanguageModelResponse();
    noteListener(*reply, endpoint);
    // The next request asks for the model list again: the server may have gone or changed its model.
    if (!reply->isAnswer())
        m_found.reset();
    if (reply->failure == BoundedHttpRequest::Failure::foreignListener)
        co_return LanguageModelResponse::failedWith(Status::unavailable, foreignListenerText);
    if (reply->timedOut)
        co_return LanguageModelResponse::failedWith(Status::failed, timedOutText);
    if (reply->tooLarge())
        co_return LanguageModelResponse::failedWith(Status::failed, tooLargeText);
    // The server went away between the model list and the answer, or is loading another model.
    if (reply->failure == BoundedHttpRequest::Failure::connectionRefused || reply->httpStatus == 503)
        co_return LanguageModelResponse::failedWith(Status::unavailable, unavailableText);
    // A head that is no HTTP is unreadable, though it carried no status either.
    if (reply->failure == BoundedHttpRequest::Failure::malformed)
        co_return LanguageModelResponse::failedWith(Status::failed, unreadableText);
    if (reply->httpStatus == 0)
        co_return LanguageModelResponse::failedWith(Status::failed, connectionLostText);
    if (reply->failure != BoundedHttpRequest::Failure::none)
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
    co_return parseCompletion(reply->body);
}
