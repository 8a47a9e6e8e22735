#include "model/SqliteStoreFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUuid>
#include <QtDebug>

namespace {

bool renameIfExists(const QString &from, const QString &to)
{
    if (!QFileInfo::exists(from))
        return true;
    return QDir().rename(from, to);
}

} // namespace

SqliteStoreFile::SqliteStoreFile(const QString &path, SqliteStoreSchema schema,
                                 const std::function<bool(QString *error)> &prepare)
    : m_schema(std::move(schema))
    , m_connectionName(QStringLiteral("tavlen-store-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_path(path)
{
    auto openFile = [&](QString *error) { return open(m_path, error) && (!prepare || prepare(error)); };
    QString error;
    if (!path.isEmpty()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (openFile(&error))
            return;
        close();
        if (moveAside(error) && openFile(&error))
            return;
        close();
        qWarning("Could not open the %s at %s (%s); it is kept in memory for this run",
                 qPrintable(m_schema.description), qPrintable(m_path), qPrintable(error));
    }
    m_inMemory = true;
    if (!open(QStringLiteral(":memory:"), &error))
        qWarning("Could not create the %s in memory: %s", qPrintable(m_schema.description), qPrintable(error));
}

SqliteStoreFile::~SqliteStoreFile()
{
    close();
}

QSqlDatabase SqliteStoreFile::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString SqliteStoreFile::errorText(const QSqlError &error)
{
    return error.text().isEmpty() ? QStringLiteral("unknown database error") : error.text();
}

bool SqliteStoreFile::open(const QString &databaseName, QString *error)
{
    if (databaseName != QLatin1String(":memory:")) {
        const QFileInfo info(databaseName);
        if (info.exists() && !info.isFile()) {
            *error = QStringLiteral("not a regular file");
            return false;
        }
        if (info.exists() && !info.isReadable()) {
            *error = QStringLiteral("not readable");
            return false;
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(databaseName);
    if (!db.open()) {
        *error = errorText(db.lastError());
        return false;
    }
    return prepareSchema(error);
}

bool SqliteStoreFile::prepareSchema(QString *error)
{
    QSqlDatabase db = database();
    QSqlQuery query(db);
    // The first statement that reads the file finds out whether it is a database at all.
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    if (query.value(0).toString() != QLatin1String("ok")) {
        *error = QStringLiteral("integrity check failed: ") + query.value(0).toString();
        return false;
    }
    query.finish();
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    const int version = query.value(0).toInt();
    query.finish();
    if (version == m_schema.version) {
        for (const QString &statement : std::as_const(m_schema.checkStatements)) {
            if (!query.exec(statement)) {
                *error = QStringLiteral("schema does not match: ") + errorText(query.lastError());
                return false;
            }
            query.finish();
        }
        return useWriteAheadLog(error);
    }
    if (version != 0) {
        *error = QStringLiteral("schema version %1, expected %2").arg(version).arg(m_schema.version);
        return false;
    }
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    if (query.value(0).toInt() != 0) {
        *error = QStringLiteral("unversioned database with foreign tables");
        return false;
    }
    query.finish();
    if (!db.transaction()) {
        *error = errorText(db.lastError());
        return false;
    }
    for (const QString &statement : std::as_const(m_schema.createStatements)) {
        if (!query.exec(statement)) {
            *error = errorText(query.lastError());
            db.rollback();
            return false;
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(m_schema.version)) || !db.commit()) {
        *error = errorText(query.lastError());
        db.rollback();
        return false;
    }
    return useWriteAheadLog(error);
}

bool SqliteStoreFile::useWriteAheadLog(QString *error)
{
    // Only once the file is known to be ours: switching the journal writes to the file.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
        *error = errorText(query.lastError());
        return false;
    }
    return true;
}

void SqliteStoreFile::close()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

bool SqliteStoreFile::moveAside(const QString &reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_path + QStringLiteral(".unusable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_path + QStringLiteral(".unusable-%1-%2").arg(stamp).arg(n);

    if (!renameIfExists(m_path, target)) {
        qWarning("The %s at %s cannot be used (%s) and could not be moved aside", qPrintable(m_schema.description),
                 qPrintable(m_path), qPrintable(reason));
        return false;
    }
    // The journal and the files beside the store belong to the store that was moved; they go with it.
    QStringList suffixes{QStringLiteral("-wal"), QStringLiteral("-shm")};
    suffixes += m_schema.companionSuffixes;
    for (const QString &suffix : std::as_const(suffixes))
        renameIfExists(m_path + suffix, target + suffix);
    m_movedAsidePath = target;
    qWarning("The %s at %s cannot be used (%s); it was moved to %s and starts empty", qPrintable(m_schema.description),
             qPrintable(m_path), qPrintable(reason), qPrintable(target));
    return true;
}
