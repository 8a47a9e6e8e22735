#include "model/SwiftDataContainer.h"

#include "platform/StorageLocations.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtDebug>

namespace {

const char *const kCreateStatements[] = {
    "CREATE TABLE ClipboardItem ("
    " id TEXT PRIMARY KEY NOT NULL,"
    " text TEXT NOT NULL DEFAULT '',"
    " label TEXT,"
    " date INTEGER NOT NULL,"
    " lastUsedAt INTEGER,"
    " typeRawValue TEXT NOT NULL,"
    " filePath TEXT,"
    " filePathsData BLOB,"
    " fileName TEXT,"
    " fileSize INTEGER NOT NULL DEFAULT 0,"
    " imageFile TEXT,"
    " imageByteCount INTEGER NOT NULL DEFAULT 0,"
    " payloadFile TEXT,"
    " payloadByteCount INTEGER NOT NULL DEFAULT 0,"
    " sourceBundleIdentifier TEXT,"
    " sourceApplicationName TEXT,"
    " contentDigest BLOB,"
    " aiTitle TEXT,"
    " aiSummary TEXT,"
    " aiCategory TEXT,"
    " aiTagsData BLOB,"
    " aiExtractedText TEXT,"
    " aiIsSensitive INTEGER NOT NULL DEFAULT 0,"
    " aiAnalyzedAt INTEGER,"
    " aiAnalysisVersion INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX ClipboardItem_date ON ClipboardItem(date DESC)",
};

QString errorText(const QSqlError &error)
{
    return error.text().isEmpty() ? QStringLiteral("unknown database error") : error.text();
}

bool renameIfExists(const QString &from, const QString &to)
{
    if (!QFileInfo::exists(from))
        return true;
    return QDir().rename(from, to);
}

} // namespace

SwiftDataContainer::SwiftDataContainer(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_connectionName(QStringLiteral("tavlen-main-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QString error;
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        m_storePath = QDir(folder).filePath(storeFileName());
        m_blobFolder = m_storePath + QStringLiteral("-blobs");
        if (open(m_storePath, &error) && QDir().mkpath(m_blobFolder))
            return;
        if (error.isEmpty())
            error = QStringLiteral("cannot create the folder %1").arg(m_blobFolder);
        close();
        if (moveAside(error) && open(m_storePath, &error) && QDir().mkpath(m_blobFolder))
            return;
        close();
        qWarning("Could not open the history store at %s (%s); the history is kept in memory for this run",
                 qPrintable(m_storePath), qPrintable(error));
    }
    m_inMemory = true;
    m_blobFolder.clear();
    if (!open(QStringLiteral(":memory:"), &error))
        qWarning("Could not create an in-memory history store: %s", qPrintable(error));
}

SwiftDataContainer::SwiftDataContainer(const StorageLocations &storage, QObject *parent)
    : SwiftDataContainer(storage.dataFolder(), parent)
{
}

SwiftDataContainer::~SwiftDataContainer()
{
    close();
}

QSqlDatabase SwiftDataContainer::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void SwiftDataContainer::setCloudSyncEnabled(bool enabled)
{
    if (m_cloudSyncEnabled == enabled)
        return;
    m_cloudSyncEnabled = enabled;
    Q_EMIT cloudSyncChanged();
}

bool SwiftDataContainer::open(const QString &databaseName, QString *error)
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

bool SwiftDataContainer::prepareSchema(QString *error)
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
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
        *error = errorText(query.lastError());
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *error = errorText(query.lastError());
        return false;
    }
    const int version = query.value(0).toInt();
    query.finish();
    if (version == schemaVersion) {
        // The table must be there with every column the store reads.
        if (!query.exec(QStringLiteral("SELECT id, text, label, date, lastUsedAt, typeRawValue, filePath, filePathsData,"
                                       " fileName, fileSize, imageFile, imageByteCount, payloadFile, payloadByteCount,"
                                       " sourceBundleIdentifier, sourceApplicationName, contentDigest, aiTitle, aiSummary,"
                                       " aiCategory, aiTagsData, aiExtractedText, aiIsSensitive, aiAnalyzedAt,"
                                       " aiAnalysisVersion FROM ClipboardItem LIMIT 0"))) {
            *error = QStringLiteral("schema does not match: ") + errorText(query.lastError());
            return false;
        }
        return true;
    }
    if (version != 0) {
        *error = QStringLiteral("schema version %1, expected %2").arg(version).arg(schemaVersion);
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
    for (const char *statement : kCreateStatements) {
        if (!query.exec(QString::fromLatin1(statement))) {
            *error = errorText(query.lastError());
            db.rollback();
            return false;
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion)) || !db.commit()) {
        *error = errorText(query.lastError());
        db.rollback();
        return false;
    }
    return true;
}

void SwiftDataContainer::close()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

bool SwiftDataContainer::moveAside(const QString &reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_storePath + QStringLiteral(".unusable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_storePath + QStringLiteral(".unusable-%1-%2").arg(stamp).arg(n);

    if (!renameIfExists(m_storePath, target)) {
        qWarning("The history store at %s cannot be used (%s) and could not be moved aside", qPrintable(m_storePath),
                 qPrintable(reason));
        return false;
    }
    // The journal and the value files belong to the store that was moved; they go with it.
    renameIfExists(m_storePath + QStringLiteral("-wal"), target + QStringLiteral("-wal"));
    renameIfExists(m_storePath + QStringLiteral("-shm"), target + QStringLiteral("-shm"));
    renameIfExists(m_blobFolder, target + QStringLiteral("-blobs"));
    m_movedAsidePath = target;
    qWarning("The history store at %s cannot be used (%s); it was moved to %s and the history starts empty",
             qPrintable(m_storePath), qPrintable(reason), qPrintable(target));
    return true;
}
