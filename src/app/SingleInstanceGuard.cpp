#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(const QString &dataFolder)
    : m_path(dataFolder)
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // Closing lets go of the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::acquire()
{
    if (m_fd >= 0)
        return true;
    // flock() on the folder rather than a lock file that must be written and synced: a start does not wait
    // for the disk, and a crashed instance leaves nothing that must be recognised as stale.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_error = QStringLiteral("cannot open the history folder %1 to keep Tavlen to one instance there: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            m_error = QStringLiteral("cannot lock %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool SingleInstanceGuard::isHeldBy(const QString &dataFolder, qint64 pid)
{
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty() || pid <= 0)
        return false;
    // The process's open files and folders and, for each, the locks it holds on it (Linux's fdinfo "lock:" lines):
    // read-only, so asking never gets in the way of an instance taking the lock.
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

bool SingleInstanceGuard::isHeld(const QString &dataFolder)
{
    // Other users' processes cannot be read, and could not hold this user's history anyway.
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(processes.cbegin(), processes.cend(), [&](const QString &process) {
        bool number = false;
        const qint64 pid = process.toLongLong(&number);
        return number && isHeldBy(dataFolder, pid);
    });
}
