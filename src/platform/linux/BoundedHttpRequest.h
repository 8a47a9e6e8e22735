#pragma once
// One HTTP/1.1 request on a connection of its own, its answer read as it arrives and never held past a
// limit: a server that sends without end, or a chunk longer than its size line says, costs at most the
// limit plus one socket buffer. The answer may come with a length, in chunks (Ollama, past about 2 KB), or
// until the server closes (HTTP/1.0 and some others). No proxy, no redirects, no compression, no connection
// reuse: what a local model server needs and nothing a hostile one could stretch.
// Not QNetworkAccessManager: a chunk longer than its size line keeps it busy at more than half a CPU until
// the request's timeout.
// A server on this computer (a loopback address) is sent nothing unless the socket listening there is this
// user's: on a shared computer another user's program can listen at the model server's port.

#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <optional>

class QTcpSocket;

class BoundedHttpRequest : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        none,
        connectionRefused, // nothing listens there
        connectionLost,    // the connection ended before the whole answer
        malformed,         // not HTTP/1.x as it must be
        tooLarge,          // the body passed the limit; the connection was closed there
        foreignListener,   // another user's program listens at the loopback address: nothing was sent
    };

    // Bytes read from the socket at a time, and the most the socket holds before it stops reading.
    static constexpr qint64 readChunk = 64 * 1024;

    // Starts at once: a GET when `body` is null, otherwise a POST of JSON.
    BoundedHttpRequest(const QUrl &url, const QByteArray &body, qint64 maximumBodyBytes, QObject *parent = nullptr);
    ~BoundedHttpRequest() override;

    bool isFinished() const { return m_finished; }
    Failure failure() const { return m_failure; }
    // The status of the answer's head, 0 before it arrived.
    int status() const { return m_status; }
    QByteArray body() const { return m_body; }
    // The user of the program listening at a loopback address that was sent nothing; none when the listener
    // could not be found.
    std::optional<uint> foreignListenerUid() const { return m_foreignListenerUid; }
    // Closes the connection; `finished` is not emitted.
    void abort();

Q_SIGNALS:
    void finished();

private:
    enum class Stage { head, fixedBody, bodyUntilClose, chunkSize, chunkData, chunkEnd, trailer, done };

    void send(const QUrl &url, const QByteArray &body);
    // Writes the request once the connection stands, if the peer may have it.
    void connected();
    void write();
    void readAvailable();
    // Takes what the connection delivered; false once the answer is complete or unusable.
    bool take(QByteArray &input);
    bool takeHead();
    bool takeLine(QByteArray &input, QByteArray &line, qsizetype limit);
    bool appendBody(QByteArray &input, qint64 count);
    void connectionEnded();
    void finish(Failure failure);

    QTcpSocket *m_socket = nullptr;
    QByteArray m_request; // written once the connection stands
    std::optional<uint> m_foreignListenerUid;
    qint64 m_maximumBodyBytes;
    Stage m_stage = Stage::head;
    QByteArray m_pending; // the head or a size line while it is incomplete
    qint64 m_remaining = 0; // of the body with a length, or of the current chunk
    int m_status = 0;
    QByteArray m_body;
    Failure m_failure = Failure::none;
    bool m_finished = false;
};
