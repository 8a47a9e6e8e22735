#include "platform/linux/XdgStorageLocations.h"

#include "platform/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString folderName = QStringLiteral("trevik.tavlen");

// Every store in the folder asks for it: its problem is said once, not once for each of them.
void warnOnce(const QString &path, const QString &problem)
{
    static QMutex mutex;
    static QSet<QString> warned;
    const QMutexLocker lock(&mutex);
    if (warned.contains(path))
        return;
    warned.insert(path);
    qWarning("Tavlen cannot use the folder %s: %s.", qPrintable(path), qPrintable(problem));
}

QString ensureFolder(QStandardPaths::StandardLocation base)
{
    // The generic locations follow $XDG_DATA_HOME / $XDG_CONFIG_HOME, without the organisation and
    // application names that AppDataLocation would add.
    const QString path = QDir(QStandardPaths::writableLocation(base)).filePath(folderName);
    if (const QString problem = FileProblem::prepareFolder(path); !problem.isEmpty()) {
        warnOnce(path, problem);
        return path;
    }
    // The history holds whatever the user copied: only the user may look inside.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

} // namespace

XdgStorageLocations::XdgStorageLocations(QObject *parent)
    : StorageLocations(parent)
{
}

QString XdgStorageLocations::dataFolder() const
{
    return ensureFolder(QStandardPaths::GenericDataLocation);
}

QString XdgStorageLocations::configFolder() const
{
    return ensureFolder(QStandardPaths::GenericConfigLocation);
}
