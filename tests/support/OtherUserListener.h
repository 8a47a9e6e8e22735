// A model server of another user on 127.0.0.1, as on a shared computer: a child process that becomes the
// user "nobody" before it creates its socket, answers GET with a model list and POST with `completion`, and
// tells the test every connection and every byte it received. Needs root (the test runs as root in CI).
//
//   OtherUserListener stranger(LocalModelServer::answer(...).body);
//   ASSERT_TRUE(stranger.isListening()) << stranger.problem().toStdString();
//   ... point the client at stranger.baseUrl() ...
//   EXPECT_EQ(stranger.received(), QByteArray());
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

class OtherUserListener {
public:
    explicit OtherUserListener(const QByteArray &completion);
    ~OtherUserListener();
    OtherUserListener(const OtherUserListener &) = delete;
    OtherUserListener &operator=(const OtherUserListener &) = delete;

    bool isListening() const { return m_port != 0; }
    // Why it is not listening.
    QString problem() const { return m_problem; }
    quint16 port() const { return m_port; }
    // http://127.0.0.1:PORT/v1
    QString baseUrl() const;
    uid_t uid() const { return m_uid; }

    // Connections it accepted and bytes it read so far.
    int connections();
    QByteArray received();

private:
    void drain();

    pid_t m_child = 0;
    int m_report = -1;
    uid_t m_uid = 0;
    quint16 m_port = 0;
    QString m_problem;
    QByteArray m_records;
    int m_connections = 0;
    QByteArray m_received;
};
