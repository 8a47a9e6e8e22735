#include "app/SingleInstanceGuard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <utility>

namespace {

struct SocketName {
    sockaddr_un address{};
    socklen_t size = 0;
};

// The history's name: the user, and the folder's place (its parent with symbolic links resolved, then its
// own name), not the folder, which may be gone or another one by now.
SocketName nameOf(const QString &dataFolder)
{
    const QFileInfo folder(QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath()));
    QString parent = QFileInfo(folder.absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        parent = folder.absolutePath();
    const QByteArray place = QFile::encodeName(QDir(parent).filePath(folder.fileName()));
    const QByteArray name = "trevik.tavlen/" + QByteArray::number(::getuid()) + '/'
        + QCryptographicHash::hash(place, QCryptographicHash::Sha256).toHex();
    SocketName socketName;
    socketName.address.sun_family = AF_UNIX;
    // After a leading NUL: the abstract namespace, with no file to delete and nothing left once we end.
    std::memcpy(socketName.address.sun_path + 1, name.constData(), size_t(name.size()));
    socketName.size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()));
    return socketName;
}

// The process that listens on `name`, when it is one of this user's; 0 when none does or it cannot be told.
qint64 listenerOf(const SocketName &name)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return 0;
    qint64 pid = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&name.address), name.size) == 0) {
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid())
            pid = peer.pid;
    }
    ::close(fd);
    return pid;
}

// Whether process `pid` holds the lock on `folder` (a canonical path). Its open files and folders and, for
// each, the locks it holds on it (Linux's fdinfo "lock:" lines): read-only, so asking never gets in the way
// of an instance taking the lock.
bool holdsFolderLock(const QString &folder, qint64 pid)
{
    if (folder.isEmpty())
        return false;
    const QString process = QStringLiteral("/proc/%1").arg(pid);
    const QDir descriptors(process + QStringLiteral("/fd"));
    for (const QString &fd : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(descriptors.filePath(fd)).symLinkTarget() != folder)
            continue;
        QFile info(QStringLiteral("%1/fdinfo/%2").arg(process, fd));
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("lock:") && line.contains(" FLOCK ") && line.contains(" WRITE "))
                return true;
        }
    }
    return false;
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &dataFolder)
    : m_path(dataFolder)
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // Closing lets go of the locks.
    m_askers.reset();
    if (m_nameFd >= 0)
        ::close(m_nameFd);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::takeName()
{
    if (m_nameFd >= 0)
        return true;
    const SocketName name = nameOf(m_path);
    // Twice: a holder that ended meanwhile leaves the name free for the second try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return true;
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&name.address), name.size) == 0) {
            // Listening lets a later start ask who holds it: one of this user's instances, or a stranger.
            if (::listen(fd, 16) != 0) {
                ::close(fd);
                return true;
            }
            m_nameFd = fd;
            m_askers = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(m_askers.get(), &QSocketNotifier::activated, [fd] {
                // An asker has what it wanted once connected.
                for (int asker; (asker = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
                    ::close(asker);
            });
            return true;
        }
        const int bindError = errno;
        ::close(fd);
        if (bindError != EADDRINUSE)
            return true;
        if (listenerOf(name) > 0)
            return false;
    }
    return true;
}

bool SingleInstanceGuard::acquire()
{
    if (m_fd >= 0)
        return true;
    if (!takeName())
        return false;
    // flock() on the folder rather than a lock file that must be written and synced: a start does not wait
    // for the disk, and a crashed instance leaves nothing that must be recognised as stale.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_error = QStringLiteral("cannot open the history folder %1 to keep Tavlen to one instance there: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            m_error = QStringLiteral("cannot lock %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        } else {
            // The same folder by another path: its instance has the history, name and all.
            m_askers.reset();
            ::close(std::exchange(m_nameFd, -1));
        }
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool SingleInstanceGuard::isHeldBy(const QString &dataFolder, qint64 pid)
{
    if (pid <= 0)
        return false;
    return listenerOf(nameOf(dataFolder)) == pid || holdsFolderLock(QFileInfo(dataFolder).canonicalFilePath(), pid);
}

bool SingleInstanceGuard::isHeld(const QString &dataFolder)
{
    if (listenerOf(nameOf(dataFolder)) > 0)
        return true;
    // Other users' processes cannot be read, and could not hold this user's history anyway.
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(processes.cbegin(), processes.cend(), [&](const QString &process) {
        bool number = false;
        const qint64 pid = process.toLongLong(&number);
        return number && holdsFolderLock(folder, pid);
    });
}
