#include "platform/sim/SimStorageLocations.h"

#include <QDir>

namespace {

QString ensureFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        qWarning("Cannot create the simulated folder %s.", qPrintable(path));
    return path;
}

} // namespace

SimStorageLocations::SimStorageLocations(QObject *parent)
    : StorageLocations(parent)
{
    if (!m_root.isValid())
        qWarning("Cannot create a temporary folder for the simulated storage: %s", qPrintable(m_root.errorString()));
}

QString SimStorageLocations::dataFolder() const
{
    return ensureFolder(m_root.filePath(QStringLiteral("data/trevik.tavlen")));
}

QString SimStorageLocations::configFolder() const
{
    return ensureFolder(m_root.filePath(QStringLiteral("config/trevik.tavlen")));
}
