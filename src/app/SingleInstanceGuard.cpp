#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QStandardPaths>

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
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
}

bool SingleInstanceGuard::acquire()
{
    if (m_lock->tryLock(0))
        return true;
    // A crashed instance leaves its lock behind; QLockFile removes it when the pid is dead.
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile())
        return m_lock->tryLock(0);
    return false;
}
