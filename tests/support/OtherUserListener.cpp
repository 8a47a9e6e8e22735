#include "OtherUserListener.h"

#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray httpAnswer(const QByteArray &body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
           + "\r\nConnection: close\r\n\r\n" + body;
}

// What follows runs in the forked child of a threaded process: system calls only, no allocation.
void writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0)
            ::_exit(0);
        data += written;
        size -= size_t(written);
    }
}

void report(int fd, char kind, const char *data, quint32 size)
{
    writeAll(fd, &kind, 1);
    writeAll(fd, reinterpret_cast<const char *>(&size), sizeof size);
    writeAll(fd, data, size);
}

[[noreturn]] void serve(int reportFd, uid_t uid, gid_t gid, const QByteArray &models, const QByteArray &completion)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 || ::setresuid(uid, uid, uid) != 0)
        ::_exit(1);
    // Created as that user: the socket is that user's.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        ::_exit(1);
    const quint16 port = ntohs(address.sin_port);
    report(reportFd, 'P', reinterpret_cast<const char *>(&port), sizeof port);

    static char buffer[1 << 20];
    for (;;) {
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0)
            continue;
        report(reportFd, 'C', nullptr, 0);
        size_t held = 0;
        for (;;) {
            const ssize_t count = ::read(connection, buffer + held, sizeof buffer - held - 1);
            if (count <= 0)
                break;
            report(reportFd, 'D', buffer + held, quint32(count));
            held += size_t(count);
            buffer[held] = 0;
            const char *headEnd = std::strstr(buffer, "\r\n\r\n");
            if (!headEnd)
                continue;
            const char *lengthField = std::strstr(buffer, "Content-Length: ");
            const size_t bodyLength = lengthField ? size_t(std::strtoul(lengthField + 16, nullptr, 10)) : 0;
            if (held < size_t(headEnd + 4 - buffer) + bodyLength)
                continue;
            const QByteArray &answer = buffer[0] == 'G' ? models : completion;
            writeAll(connection, answer.constData(), size_t(answer.size()));
            break;
        }
        ::close(connection);
    }
}

} // namespace

OtherUserListener::OtherUserListener(const QByteArray &completion)
{
    if (::geteuid() != 0) {
        m_problem = QStringLiteral("only root can start a program as another user");
        return;
    }
    const passwd *nobody = ::getpwnam("nobody");
    m_uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    const QByteArray models = httpAnswer(R"({"object":"list","data":[{"id":"stranger-model","object":"model"}]})");
    const QByteArray answer = httpAnswer(completion);
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        m_problem = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_child = ::fork();
    if (m_child == 0) {
        ::close(pipe[0]);
        serve(pipe[1], m_uid, gid, models, answer);
    }
    ::close(pipe[1]);
    m_report = pipe[0];
    if (m_child < 0) {
        m_problem = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    ::fcntl(m_report, F_SETFL, O_NONBLOCK);
    for (int waited = 0; m_port == 0 && waited < 10000; waited += 10) {
        drain();
        if (m_port == 0)
            QThread::msleep(10);
    }
    if (m_port == 0)
        m_problem = QStringLiteral("the listener of the user nobody did not start");
}

OtherUserListener::~OtherUserListener()
{
    if (m_child > 0) {
        ::kill(m_child, SIGKILL);
        ::waitpid(m_child, nullptr, 0);
    }
    if (m_report >= 0)
        ::close(m_report);
}

QString OtherUserListener::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/v1").arg(m_port);
}

int OtherUserListener::connections()
{
    drain();
    return m_connections;
}

QByteArray OtherUserListener::received()
{
    drain();
    return m_received;
}

void OtherUserListener::drain()
{
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(m_report, chunk, sizeof chunk);
        if (count <= 0)
            break;
        m_records.append(chunk, count);
    }
    constexpr qsizetype head = 1 + sizeof(quint32);
    while (m_records.size() >= head) {
        quint32 size = 0;
        std::memcpy(&size, m_records.constData() + 1, sizeof size);
        if (m_records.size() < head + qsizetype(size))
            break;
        const QByteArray data = m_records.mid(head, size);
        switch (m_records.at(0)) {
        case 'P':
            std::memcpy(&m_port, data.constData(), sizeof m_port);
            break;
        case 'C':
            ++m_connections;
            break;
        default:
            m_received += data;
        }
        m_records.remove(0, head + size);
    }
}
