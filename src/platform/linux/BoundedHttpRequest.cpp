#include "platform/linux/BoundedHttpRequest.h"

#include "platform/linux/TcpListeners.h"

#include <QFutureWatcher>
#include <QNetworkProxy>
#include <QSslSocket>
#include <QTcpSocket>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

#include <unistd.h>

namespace {

// A head longer than this, or a chunk size line, is no answer of a model server.
constexpr qsizetype maximumHeadBytes = 64 * 1024;
constexpr qsizetype maximumLineBytes = 1024;

// The value of `name` in a head's header lines (case-insensitive), empty when absent.
QByteArray headerValue(const QList<QByteArray> &lines, const QByteArray &name)
{
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

BoundedHttpRequest::BoundedHttpRequest(const QUrl &url, const QByteArray &body, qint64 maximumBodyBytes,
                                       QObject *parent)
    : QObject(parent)
    , m_maximumBodyBytes(maximumBodyBytes)
{
    send(url, body);
}

BoundedHttpRequest::~BoundedHttpRequest()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void BoundedHttpRequest::send(const QUrl &url, const QByteArray &body)
{
    const bool encrypted = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    m_socket = encrypted ? new QSslSocket(this) : new QTcpSocket(this);
    // Clipboard content goes to the configured server and nowhere else.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // What arrives waits in the kernel, not in our memory, until we take it.
    m_socket->setReadBufferSize(readChunk);
    connect(m_socket, &QTcpSocket::connected, this, &BoundedHttpRequest::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &BoundedHttpRequest::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &BoundedHttpRequest::connectionEnded);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::ConnectionRefusedError && m_status == 0)
            finish(Failure::connectionRefused);
        else
            connectionEnded();
    });

    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (url.hasQuery())
        path += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray head = (body.isNull() ? "GET " : "POST ") + path + " HTTP/1.1\r\n";
    head += "Host: " + url.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() + "\r\n";
    head += "Accept: application/json\r\nConnection: close\r\n";
    if (!body.isNull())
        head += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "\r\n";
    m_request = head + body;

    const quint16 port = quint16(url.port(encrypted ? 443 : 80));
    if (encrypted)
        static_cast<QSslSocket *>(m_socket)->connectToHostEncrypted(url.host(), port);
    else
        m_socket->connectToHost(url.host(), port);
}

void BoundedHttpRequest::connected()
{
    // Asked of the connection made, not of the name: "localhost" may have led to either family.
    const QHostAddress peer = m_socket->peerAddress();
    bool mapped = false;
    const QHostAddress ipv4(peer.toIPv4Address(&mapped));
    if (!peer.isLoopback() && !(mapped && ipv4.isLoopback())) {
        write();
        return;
    }
    // The kernel walks all its sockets to list them (2 ms a table on an idle machine): not on this thread.
    const quint16 port = m_socket->peerPort();
    auto *owners = new QFutureWatcher<QList<uint>>(this);
    connect(owners, &QFutureWatcherBase::finished, this, [this, owners] {
        owners->deleteLater();
        if (m_finished)
            return;
        const QList<uint> uids = owners->result();
        const auto foreign = std::find_if(uids.begin(), uids.end(), [](uint uid) { return uid != ::getuid(); });
        if (uids.isEmpty() || foreign != uids.end()) {
            if (foreign != uids.end())
                m_foreignListenerUid = *foreign;
            finish(Failure::foreignListener);
            return;
        }
        write();
    });
    owners->setFuture(QtConcurrent::run([peer, port] { return TcpListeners::ownersFor(TcpListeners::read(), peer, port); }));
}

void BoundedHttpRequest::write()
{
    // An encrypted socket holds it until the handshake is done.
    m_socket->write(std::exchange(m_request, {}));
}

void BoundedHttpRequest::abort()
{
    finish(Failure::connectionLost);
}

void BoundedHttpRequest::readAvailable()
{
    while (!m_finished && m_socket->bytesAvailable() > 0) {
        QByteArray input = m_socket->read(readChunk);
        if (!take(input))
            return;
    }
}

bool BoundedHttpRequest::take(QByteArray &input)
{
    while (!input.isEmpty() && !m_finished) {
        switch (m_stage) {
        case Stage::head:
            m_pending += input;
            input.clear();
            for (;;) {
                const qsizetype pending = m_pending.size();
                if (!takeHead())
                    return false;
                if (m_stage != Stage::head)
                    break;
                if (m_pending.size() == pending)
                    return true; // the head is still incomplete
            }
            input = std::exchange(m_pending, {});
            break;
        case Stage::fixedBody:
        case Stage::chunkData: {
            const qint64 count = std::min<qint64>(m_remaining, input.size());
            if (!appendBody(input, count))
                return false;
            m_remaining -= count;
            if (m_remaining == 0) {
                if (m_stage == Stage::fixedBody) {
                    finish(Failure::none);
                    return false;
                }
                m_stage = Stage::chunkEnd;
            }
            break;
        }
        case Stage::bodyUntilClose:
            if (!appendBody(input, input.size()))
                return false;
            break;
        case Stage::chunkSize:
        case Stage::chunkEnd:
        case Stage::trailer: {
            // A chunk ends with an empty line: anything else means the size line lied about its length.
            const qsizetype limit = m_stage == Stage::chunkEnd ? 0 : maximumLineBytes;
            const qsizetype newline = input.indexOf('\n');
            if (newline < 0) {
                m_pending += input;
                input.clear();
                if (m_pending.size() > limit + 1) {
                    finish(Failure::malformed);
                    return false;
                }
                return true;
            }
            QByteArray line = std::exchange(m_pending, {}) + input.left(newline);
            input.remove(0, newline + 1);
            if (!line.endsWith('\r') || line.size() - 1 > limit) {
                finish(Failure::malformed);
                return false;
            }
            line.chop(1);
            if (m_stage == Stage::chunkEnd) {
                m_stage = Stage::chunkSize;
            } else if (m_stage == Stage::trailer) {
                if (line.isEmpty()) {
                    finish(Failure::none);
                    return false;
                }
            } else {
                bool ok = false;
                const qsizetype extension = line.indexOf(';');
                const QByteArray digits = (extension < 0 ? line : line.left(extension)).trimmed();
                const qint64 size = digits.size() <= 15 ? digits.toLongLong(&ok, 16) : -1;
                if (!ok || size < 0) {
                    finish(Failure::malformed);
                    return false;
                }
                if (m_body.size() + size > m_maximumBodyBytes) {
                    finish(Failure::tooLarge);
                    return false;
                }
                m_remaining = size;
                m_stage = size == 0 ? Stage::trailer : Stage::chunkData;
            }
            break;
        }
        case Stage::done:
            return false;
        }
    }
    return !m_finished;
}

bool BoundedHttpRequest::takeHead()
{
    const qsizetype end = m_pending.indexOf("\r\n\r\n");
    // A head line ended by a bare line feed would never end the head: unreadable now, not lost at the close.
    const qsizetype headEnd = end < 0 ? m_pending.size() : end;
    for (qsizetype at = m_pending.indexOf('\n'); at >= 0 && at < headEnd; at = m_pending.indexOf('\n', at + 1)) {
        if (at == 0 || m_pending.at(at - 1) != '\r') {
            finish(Failure::malformed);
            return false;
        }
    }
    if (end < 0) {
        if (m_pending.size() > maximumHeadBytes)
            finish(Failure::malformed);
        return !m_finished;
    }
    if (end > maximumHeadBytes) {
        finish(Failure::malformed);
        return false;
    }
    const QList<QByteArray> lines = m_pending.left(end).split('\n');
    m_pending.remove(0, end + 4);
    const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
    bool ok = false;
    const int status = statusLine.value(1).toInt(&ok);
    if (!statusLine.value(0).startsWith("HTTP/1.") || !ok || status < 100 || status > 999) {
        finish(Failure::malformed);
        return false;
    }
    if (status < 200)
        return true; // an interim answer (100 Continue): the real head follows
    m_status = status;
    if (status == 204 || status == 304) {
        finish(Failure::none);
        return false;
    }
    const QByteArray transferEncoding = headerValue(lines, "Transfer-Encoding");
    const QByteArray contentLength = headerValue(lines, "Content-Length");
    if (transferEncoding.toLower().contains("chunked")) {
        m_stage = Stage::chunkSize;
    } else if (!contentLength.isEmpty()) {
        const qint64 length = contentLength.toLongLong(&ok);
        if (!ok || length < 0) {
            finish(Failure::malformed);
            return false;
        }
        if (length > m_maximumBodyBytes) {
            finish(Failure::tooLarge);
            return false;
        }
        if (length == 0) {
            finish(Failure::none);
            return false;
        }
        m_remaining = length;
        m_stage = Stage::fixedBody;
    } else {
        m_stage = Stage::bodyUntilClose;
    }
    return true;
}

bool BoundedHttpRequest::appendBody(QByteArray &input, qint64 count)
{
    if (m_body.size() + count > m_maximumBodyBytes) {
        finish(Failure::tooLarge);
        return false;
    }
    m_body += input.left(count);
    input.remove(0, count);
    return true;
}

void BoundedHttpRequest::connectionEnded()
{
    if (m_finished)
        return;
    // What the socket still holds belongs to the answer.
    readAvailable();
    if (m_finished)
        return;
    finish(m_stage == Stage::bodyUntilClose ? Failure::none : Failure::connectionLost);
}

void BoundedHttpRequest::finish(Failure failure)
{
    if (m_finished)
        return;
    m_finished = true;
    m_stage = Stage::done;
    m_failure = failure;
    m_pending = QByteArray();
    m_request = QByteArray();
    if (failure == Failure::tooLarge || failure == Failure::malformed)
        m_body = QByteArray();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    Q_EMIT finished();
}
