#include "model/FieldValueAssociationContainer.h"

#include "model/SqlValues.h"
#include "platform/StorageLocations.h"

#include <QDir>
#include <QSqlQuery>

namespace {

// The application id is stored as applicationBundleIdentifier: the column keeps its name for existing stores.
const char *const kCreateStatements[] = {
    "CREATE TABLE FieldValueAssociation ("
    " id TEXT PRIMARY KEY NOT NULL,"
    " fingerprint TEXT NOT NULL,"
    " applicationBundleIdentifier TEXT NOT NULL,"
    " webOrigin TEXT,"
    " domIdentifier TEXT,"
    " accessibilityIdentifier TEXT,"
    " title TEXT,"
    " placeholder TEXT,"
    " role TEXT NOT NULL,"
    " fieldType TEXT NOT NULL,"
    " displayLabel TEXT NOT NULL DEFAULT '',"
    " keychainAccount TEXT NOT NULL,"
    " valueFingerprint TEXT NOT NULL DEFAULT '',"
    " pasteCount INTEGER NOT NULL DEFAULT 0,"
    " createdAt INTEGER NOT NULL,"
    " updatedAt INTEGER NOT NULL,"
    " lastUsedAt INTEGER,"
    " recentUsageDatesData BLOB,"
    " credentialLoginValueFingerprintsData BLOB)",
    "CREATE TABLE PendingSecret (account TEXT PRIMARY KEY NOT NULL)",
    "CREATE TABLE StoreFact (key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL)",
};

const QString kColumns = QStringLiteral(
    "id, fingerprint, applicationBundleIdentifier, webOrigin, domIdentifier, accessibilityIdentifier, title,"
    " placeholder, role, fieldType, displayLabel, keychainAccount, valueFingerprint, pasteCount, createdAt,"
    " updatedAt, lastUsedAt, recentUsageDatesData, credentialLoginValueFingerprintsData");

SqliteStoreSchema schema()
{
    SqliteStoreSchema schema;
    schema.description = QStringLiteral("field value store");
    schema.contents = QStringLiteral("Remembered field values");
    schema.version = FieldValueAssociationContainer::schemaVersion;
    for (const char *statement : kCreateStatements)
        schema.createStatements.append(QString::fromLatin1(statement));
    schema.checkStatements = {
        QStringLiteral("SELECT ") + kColumns + QStringLiteral(" FROM FieldValueAssociation LIMIT 0"),
        QStringLiteral("SELECT account FROM PendingSecret LIMIT 0"),
        QStringLiteral("SELECT key, value FROM StoreFact LIMIT 0"),
    };
    return schema;
}

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

FieldValueAssociationContainer::FieldValueAssociationContainer(const QString &folder)
    : m_storePath(folder.isEmpty() ? QString() : QDir(folder).filePath(storeFileName()))
    , m_file(std::make_unique<SqliteStoreFile>(m_storePath, schema()))
{
}

FieldValueAssociationContainer::FieldValueAssociationContainer(const StorageLocations &storage)
    : FieldValueAssociationContainer(storage.dataFolder())
{
}

FieldValueAssociationContainer::~FieldValueAssociationContainer() = default;

std::optional<QList<FieldValueAssociation>> FieldValueAssociationContainer::fetchAll(QString *error) const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT ") + kColumns
                    + QStringLiteral(" FROM FieldValueAssociation ORDER BY lastUsedAt DESC, updatedAt DESC"))) {
        fail(error, SqliteStoreFile::errorText(query.lastError()));
        return std::nullopt;
    }
    QList<FieldValueAssociation> records;
    while (query.next()) {
        FieldValueAssociation record;
        record.id = QUuid::fromString(query.value(0).toString());
        if (record.id.isNull())
            continue;
        record.fingerprint = query.value(1).toString();
        record.applicationId = query.value(2).toString();
        record.webOrigin = SqlValues::optionalTextFrom(query.value(3));
        record.domIdentifier = SqlValues::optionalTextFrom(query.value(4));
        record.accessibilityIdentifier = SqlValues::optionalTextFrom(query.value(5));
        record.title = SqlValues::optionalTextFrom(query.value(6));
        record.placeholder = SqlValues::optionalTextFrom(query.value(7));
        record.role = query.value(8).toString();
        record.fieldType = query.value(9).toString();
        record.displayLabel = query.value(10).toString();
        record.keychainAccount = query.value(11).toString();
        record.valueFingerprint = query.value(12).toString();
        record.pasteCount = query.value(13).toLongLong();
        record.createdAt = SqlValues::dateFrom(query.value(14));
        record.updatedAt = SqlValues::dateFrom(query.value(15));
        record.lastUsedAt = SqlValues::optionalDateFrom(query.value(16));
        record.recentUsageDatesData = SqlValues::optionalBytesFrom(query.value(17));
        record.credentialLoginValueFingerprintsData = SqlValues::optionalBytesFrom(query.value(18));
        records.append(std::move(record));
    }
    if (query.lastError().isValid()) {
        fail(error, SqliteStoreFile::errorText(query.lastError()));
        return std::nullopt;
    }
    return records;
}

bool FieldValueAssociationContainer::save(const QList<FieldValueAssociation> &upserts, const QList<QUuid> &deletions,
                                          const QHash<QString, QString> &facts, QString *error)
{
    if (upserts.isEmpty() && deletions.isEmpty() && facts.isEmpty())
        return true;
    QSqlDatabase db = database();
    if (!db.transaction())
        return fail(error, SqliteStoreFile::errorText(db.lastError()));
    auto abort = [&](const QSqlQuery &query) {
        const QString message = SqliteStoreFile::errorText(query.lastError());
        db.rollback();
        return fail(error, message);
    };

    QSqlQuery upsert(db);
    upsert.prepare(QStringLiteral("INSERT OR REPLACE INTO FieldValueAssociation (") + kColumns
                   + QStringLiteral(") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    QSqlQuery settle(db);
    settle.prepare(QStringLiteral("DELETE FROM PendingSecret WHERE account = ?"));
    for (const FieldValueAssociation &record : upserts) {
        const QVariant values[] = {
            record.id.toString(QUuid::WithoutBraces),
            record.fingerprint,
            record.applicationId,
            SqlValues::optionalText(record.webOrigin),
            SqlValues::optionalText(record.domIdentifier),
            SqlValues::optionalText(record.accessibilityIdentifier),
            SqlValues::optionalText(record.title),
            SqlValues::optionalText(record.placeholder),
            record.role,
            record.fieldType,
            record.displayLabel,
            record.keychainAccount,
            record.valueFingerprint,
            record.pasteCount,
            SqlValues::date(record.createdAt),
            SqlValues::date(record.updatedAt),
            SqlValues::optionalDate(record.lastUsedAt),
            SqlValues::optionalBytes(record.recentUsageDatesData),
            SqlValues::optionalBytes(record.credentialLoginValueFingerprintsData),
        };
        for (int i = 0; i < int(std::size(values)); ++i)
            upsert.bindValue(i, values[i]);
        if (!upsert.exec())
            return abort(upsert);
        settle.bindValue(0, record.keychainAccount);
        if (!settle.exec())
            return abort(settle);
    }

    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM FieldValueAssociation WHERE id = ?"));
    for (const QUuid &id : deletions) {
        remove.bindValue(0, id.toString(QUuid::WithoutBraces));
        if (!remove.exec())
            return abort(remove);
    }

    QSqlQuery setFact(db);
    setFact.prepare(QStringLiteral("INSERT OR REPLACE INTO StoreFact (key, value) VALUES (?, ?)"));
    for (auto it = facts.begin(); it != facts.end(); ++it) {
        setFact.bindValue(0, it.key());
        setFact.bindValue(1, it.value());
        if (!setFact.exec())
            return abort(setFact);
    }

    if (!db.commit()) {
        const QString message = SqliteStoreFile::errorText(db.lastError());
        db.rollback();
        return fail(error, message);
    }
    return true;
}

bool FieldValueAssociationContainer::addPendingSecret(const QString &account, QString *error)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO PendingSecret (account) VALUES (?)"));
    query.bindValue(0, account);
    return query.exec() || fail(error, SqliteStoreFile::errorText(query.lastError()));
}

bool FieldValueAssociationContainer::removePendingSecret(const QString &account, QString *error)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM PendingSecret WHERE account = ?"));
    query.bindValue(0, account);
    return query.exec() || fail(error, SqliteStoreFile::errorText(query.lastError()));
}

std::optional<QStringList> FieldValueAssociationContainer::pendingSecrets(QString *error) const
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT account FROM PendingSecret"))) {
        fail(error, SqliteStoreFile::errorText(query.lastError()));
        return std::nullopt;
    }
    QStringList accounts;
    while (query.next())
        accounts.append(query.value(0).toString());
    return accounts;
}

std::optional<QString> FieldValueAssociationContainer::fact(const QString &key) const
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT value FROM StoreFact WHERE key = ?"));
    query.bindValue(0, key);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toString();
}
