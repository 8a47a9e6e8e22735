// A small OpenAI-compatible model server on 127.0.0.1 for tests: answers GET /v1/models and
// POST /v1/chat/completions as scripted, frames its answers as real servers do (a length, chunks, or the
// connection's end), and can misbehave (hang, drop the connection, answer garbage).
//
//   LocalModelServer server;
//   server.completion = LocalModelServer::answer("{\"title\":…}");
//   server.completion = LocalModelServer::answer(longText).framed(LocalModelServer::Reply::Framing::chunked);
//   qputenv or ModelEndpoint::parse(server.baseUrl(), {});
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

class LocalModelServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray body;
        QJsonObject json() const;
    };
    struct Reply {
        enum class Kind {
            answer,     // status, then the body
            hang,       // read the request, never answer
            drop,       // close the connection without a word
            cutShort,   // headers promise the whole body, half of it comes, then the connection closes
            endless,    // a chunked answer whose chunks never stop coming, as fast as the client takes them
            understatedChunk, // a chunk longer than its size line says, then data without a line end, endlessly
        };
        // How an answer's end is told. The framings other than a length come in pieces a few milliseconds
        // apart, cut inside the head, the size lines, the chunks' line ends and the trailer.
        enum class Framing {
            contentLength,      // its length in the head, the connection kept open (llama.cpp's server)
            chunked,            // chunks of chunkBytes, cut wherever they fall in the text (Ollama past ~2 KB)
            chunkedWithTrailer, // the same with a chunk extension on each size line and a trailer field
            interimContinue,    // "100 Continue" first, then the answer with its length
            untilClose,         // no length: the answer ends where the server closes the connection
            http10,             // an HTTP/1.0 head without a length, ended by closing
            bareLineFeeds,      // head lines ended by a bare line feed, then the connection closes
        };
        static constexpr qsizetype chunkBytes = 1000;

        Kind kind = Kind::answer;
        int status = 200;
        QByteArray body;
        Framing framing = Framing::contentLength;

        Reply framed(Framing how) const
        {
            Reply reply = *this;
            reply.framing = how;
            return reply;
        }
    };
    using Handler = std::function<Reply(const Request &)>;

    explicit LocalModelServer(QObject *parent = nullptr);
    ~LocalModelServer() override;

    // http://127.0.0.1:PORT/v1
    QString baseUrl() const;
    quint16 port() const { return m_server.serverPort(); }
    // Stops listening (later connections are refused); open connections close.
    void shutDown();

    // What GET /v1/models answers (by default one model, "test-model").
    Handler models;
    // What POST /v1/chat/completions answers (by default a completion "ok").
    Handler completion;

    // A chat completion whose message is `content`, ending for `finishReason`.
    static Reply answer(const QString &content, const QString &finishReason = QStringLiteral("stop"));
    static Reply status(int code, const QByteArray &body = {});
    static Reply modelList(const QStringList &ids);

    const QList<Request> &requests() const { return m_requests; }
    QList<Request> completions() const;
    // Connections open now (a hung request keeps one open until the client gives up).
    int openConnections() const;
    // Bytes of answers handed to the kernel so far.
    qint64 sentBytes() const { return m_sentBytes; }

private:
    void accept();
    void readFrom(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const Reply &reply);
    void sendWithoutEnd(QTcpSocket *socket, bool understated);
    static QList<QByteArray> framedAnswer(const Reply &reply);
    // Writes the pieces one at a time, then closes the connection when `close`.
    void sendInPieces(QTcpSocket *socket, QList<QByteArray> pieces, bool close);

    QTcpServer m_server;
    QList<Request> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
    qint64 m_sentBytes = 0;
};
