#include "LocalModelServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

QJsonObject LocalModelServer::Request::json() const
{
    return QJsonDocument::fromJson(body).object();
}

LocalModelServer::LocalModelServer(QObject *parent)
    : QObject(parent)
{
    models = [](const Request &) { return modelList({QStringLiteral("test-model")}); };
    completion = [](const Request &) { return answer(QStringLiteral("ok")); };
    connect(&m_server, &QTcpServer::newConnection, this, &LocalModelServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

LocalModelServer::~LocalModelServer()
{
    shutDown();
}

QString LocalModelServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/v1").arg(m_server.serverPort());
}

void LocalModelServer::shutDown()
{
    m_server.close();
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_sockets))
        if (socket)
            socket->abort();
}

int LocalModelServer::openConnections() const
{
    int open = 0;
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            ++open;
    return open;
}

QList<LocalModelServer::Request> LocalModelServer::completions() const
{
    QList<Request> found;
    for (const Request &request : m_requests)
        if (request.path.endsWith("/chat/completions"))
            found.append(request);
    return found;
}

LocalModelServer::Reply LocalModelServer::answer(const QString &content, const QString &finishReason)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")}, {QStringLiteral("content"), content}};
    const QJsonObject choice{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message},
                             {QStringLiteral("finish_reason"), finishReason}};
    const QJsonObject body{{QStringLiteral("object"), QStringLiteral("chat.completion")},
                           {QStringLiteral("choices"), QJsonArray{choice}}};
    return Reply{Reply::Kind::answer, 200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

LocalModelServer::Reply LocalModelServer::status(int code, const QByteArray &body)
{
    return Reply{Reply::Kind::answer, code, body};
}

LocalModelServer::Reply LocalModelServer::modelList(const QStringList &ids)
{
    QJsonArray data;
    for (const QString &id : ids)
        data.append(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("object"), QStringLiteral("model")}});
    const QJsonObject body{{QStringLiteral("object"), QStringLiteral("list")}, {QStringLiteral("data"), data}};
    return Reply{Reply::Kind::answer, 200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

void LocalModelServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_sockets.append(socket);
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) { m_sentBytes += bytes; });
    }
}

void LocalModelServer::readFrom(QTcpSocket *socket)
{
    // Requests are small: wait until the headers and the whole body are in, then answer one request.
    QByteArray buffered = socket->property("buffered").toByteArray() + socket->readAll();
    socket->setProperty("buffered", buffered);
    const qsizetype headerEnd = buffered.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    const QList<QByteArray> lines = buffered.left(headerEnd).split('\n');
    qsizetype length = 0;
    for (const QByteArray &line : lines)
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    if (buffered.size() < headerEnd + 4 + length)
        return;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    Request request{first.value(0), first.value(1), buffered.mid(headerEnd + 4, length)};
    socket->setProperty("buffered", buffered.mid(headerEnd + 4 + length));
    m_requests.append(request);
    const Handler &handler = request.path.endsWith("/models") ? models : completion;
    respond(socket, handler ? handler(request) : status(404));
}

void LocalModelServer::respond(QTcpSocket *socket, const Reply &reply)
{
    switch (reply.kind) {
    case Reply::Kind::hang:
        return;
    case Reply::Kind::drop:
        socket->abort();
        return;
    case Reply::Kind::endless:
    case Reply::Kind::understatedChunk:
        sendWithoutEnd(socket, reply.kind == Reply::Kind::understatedChunk);
        return;
    case Reply::Kind::answer:
        if (reply.framing != Reply::Framing::contentLength) {
            const bool closes = reply.framing == Reply::Framing::untilClose || reply.framing == Reply::Framing::http10
                || reply.framing == Reply::Framing::bareLineFeeds;
            sendInPieces(socket, framedAnswer(reply), closes);
            return;
        }
        break;
    case Reply::Kind::cutShort:
        break;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
    head += "Content-Type: application/json\r\n";
    head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += "Connection: keep-alive\r\n\r\n";
    if (reply.kind == Reply::Kind::cutShort) {
        socket->write(head + reply.body.left(reply.body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    socket->write(head + reply.body);
}

namespace {

// Appends `bytes` to `pieces` cut at each of `at` (offsets into bytes, ascending).
void cutInto(QList<QByteArray> &pieces, const QByteArray &bytes, std::initializer_list<qsizetype> at)
{
    qsizetype from = 0;
    for (const qsizetype to : at) {
        pieces.append(bytes.mid(from, to - from));
        from = to;
    }
    pieces.append(bytes.mid(from));
}

} // namespace

QList<QByteArray> LocalModelServer::framedAnswer(const Reply &reply)
{
    using Framing = Reply::Framing;
    QList<QByteArray> pieces;
    if (reply.framing == Framing::interimContinue)
        cutInto(pieces, "HTTP/1.1 100 Continue\r\n\r\n", {12, 24});
    QByteArray head = (reply.framing == Framing::http10 ? "HTTP/1.0 " : "HTTP/1.1 ") + QByteArray::number(reply.status);
    head += " Status\r\nContent-Type: application/json\r\n";
    const bool chunked = reply.framing == Framing::chunked || reply.framing == Framing::chunkedWithTrailer;
    const bool trailer = reply.framing == Framing::chunkedWithTrailer;
    if (chunked)
        head += trailer ? "Transfer-Encoding: chunked\r\nTrailer: X-Model-Time\r\n" : "Transfer-Encoding: chunked\r\n";
    else if (reply.framing == Framing::untilClose || reply.framing == Framing::http10)
        head += "Connection: close\r\n";
    else
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += "\r\n";
    if (reply.framing == Framing::bareLineFeeds)
        head.replace("\r\n", "\n");
    // Cut in a header line and between the last line end's two bytes.
    cutInto(pieces, head, {head.size() / 2, head.size() - 1});
    if (!chunked) {
        cutInto(pieces, reply.body, {reply.body.size() / 2});
        return pieces;
    }
    // Each size line cut after its first digit, each chunk's line end between its two bytes.
    for (qsizetype at = 0; at < reply.body.size(); at += Reply::chunkBytes) {
        const QByteArray data = reply.body.mid(at, Reply::chunkBytes);
        const QByteArray sizeLine = QByteArray::number(data.size(), 16) + (trailer ? ";piece=" + QByteArray::number(at) : "") + "\r\n";
        const QByteArray chunk = sizeLine + data + "\r\n";
        cutInto(pieces, chunk, {1, chunk.size() - 1});
    }
    const QByteArray last = trailer ? "0;last\r\nX-Model-Time: 12 ms\r\n\r\n" : "0\r\n\r\n";
    cutInto(pieces, last, {1, last.size() - 1});
    return pieces;
}

void LocalModelServer::sendInPieces(QTcpSocket *socket, QList<QByteArray> pieces, bool close)
{
    socket->write(pieces.takeFirst());
    if (pieces.isEmpty()) {
        if (close)
            socket->disconnectFromHost();
        return;
    }
    // Apart enough that the client reads each piece on its own.
    QTimer::singleShot(10, socket, [this, socket, pieces, close] { sendInPieces(socket, pieces, close); });
}

void LocalModelServer::sendWithoutEnd(QTcpSocket *socket, bool understated)
{
    const QByteArray data(64 * 1024, 'x');
    socket->write("HTTP/1.1 200 Status\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n");
    // After a chunk one byte longer than it said, the rest never holds a line end.
    if (understated)
        socket->write(QByteArray::number(data.size() - 1, 16) + "\r\n");
    const QByteArray chunk = understated ? data : QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
    // Kept a little ahead of the kernel, so the client alone decides how much is sent.
    const auto refill = [socket, chunk] {
        while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 4 * chunk.size())
            if (socket->write(chunk) < 0)
                return;
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}
