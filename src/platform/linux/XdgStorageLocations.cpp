#include "platform/linux/XdgStorageLocations.h"

#include "platform/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

const QString folderName = QStringLiteral("trevik.tavlen");

QString ensureFolder(QStandardPaths::StandardLocation base)
{
    // The generic locations follow $XDG_DATA_HOME / $XDG_CONFIG_HOME, without the organisation and
    // application names that AppDataLocation would add.
    const QString path = QDir(QStandardPaths::writableLocation(base)).filePath(folderName);
    if (const QString problem = FileProblem::prepareFolder(path); !problem.isEmpty()) {
        qWarning("Tavlen cannot use the folder %s: %s.", qPrintable(path), qPrintable(problem));
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
