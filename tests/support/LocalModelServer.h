// A small OpenAI-compatible model server on 127.0.0.1 for tests: answers GET /v1/models and
// POST /v1/chat/completions as scripted, and can misbehave (hang, drop the connection, answer garbage).
//
//   LocalModelServer server;
//   server.completion = LocalModelServer::answer("{\"title\":…}");
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
        Kind kind = Kind::answer;
        int status = 200;
        QByteArray body;
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

    QTcpServer m_server;
    QList<Request> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
    qint64 m_sentBytes = 0;
};
