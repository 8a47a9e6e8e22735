#include "platform/FileProblem.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString FileProblem::describe(int errorNumber, const QString &path)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied on %1").arg(path);
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("no space left on the disk that holds %1").arg(path);
    case EROFS:
        return QStringLiteral("%1 is on a read-only file system").arg(path);
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("%1 is a file, not a folder").arg(path);
    case ENOENT:
        return QStringLiteral("%1 does not exist").arg(path);
    case EIO:
        return QStringLiteral("the disk reported an input/output error on %1").arg(path);
    case EFBIG:
        return QStringLiteral("a file in %1 would grow beyond what the system allows").arg(path);
    default:
        return QStringLiteral("%1 on %2").arg(QString::fromLocal8Bit(std::strerror(errorNumber)).toLower(), path);
    }
}

QString FileProblem::prepareFolder(const QString &folder)
{
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    // From the first part of the path that exists, down: the first that is no folder or cannot be made
    // is the one to name.
    QStringList missing;
    QString existing = absolute;
    while (!QFileInfo::exists(existing) && !QFileInfo(existing).isSymLink()) {
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    if (!QFileInfo(existing).isDir())
        return describe(ENOTDIR, existing);
    QString path = existing;
    for (const QString &part : std::as_const(missing)) {
        path = QDir(path).filePath(part);
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
            return describe(errno, errno == EACCES || errno == EPERM ? QFileInfo(path).path() : path);
        if (!QFileInfo(path).isDir())
            return describe(ENOTDIR, path);
    }
    // Writing a little shows what creating the folder cannot: no permission inside it, a read-only or
    // full disk.
    const QByteArray probe = QFile::encodeName(QDir(absolute).filePath(QStringLiteral(".tavlen-write-check")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return describe(errno, absolute);
    const char block[512] = {};
    const bool written = ::write(fd, block, sizeof block) == ssize_t(sizeof block);
    const int writeError = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return written ? QString() : describe(writeError, absolute);
}
