#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // The display is part of the session: one instance per user and X display.
    QString display = qEnvironmentVariable("DISPLAY");
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    m_path = QStringLiteral("%1/%2-%3%4.lock").arg(folder, name, QString::number(getuid()), display);
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    // Closing lets go of the lock. The file stays: removing it could let a third instance lock a new file
    // while a second one still holds the old.
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstanceGuard::acquire()
{
    if (m_fd >= 0)
        return true;
    // A lock taken with flock() rather than a lock file that must be written and synced: a start does not
    // wait for the disk, and a crashed instance leaves nothing that must be recognised as stale.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_error = QStringLiteral("cannot make the lock that keeps Tavlen to one instance, %1: %2")
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
