#pragma once
// The field-value store "focused-field-associations.store", beside the history store and never synced:
// the remembered-value records; the accounts of secrets written before their record, so that a crash
// between the two leaves no secret behind; and a few facts about the store itself. Opened, checked and
// moved aside when unusable the way every store file is.

#include "model/FieldValueAssociation.h"
#include "model/SqliteStoreFile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>

class StorageLocations;

class FieldValueAssociationContainer {
public:
    static constexpr int schemaVersion = 1;
    static QString storeFileName() { return QStringLiteral("focused-field-associations.store"); }

    // Opens (or creates) "<folder>/focused-field-associations.store"; an empty folder gives a store in memory.
    explicit FieldValueAssociationContainer(const QString &folder);
    explicit FieldValueAssociationContainer(const StorageLocations &storage);
    ~FieldValueAssociationContainer();

    QSqlDatabase database() const { return m_file->database(); }
    QString storePath() const { return m_storePath; }
    // True also when the file could not be opened and the store fell back to memory for this run.
    bool isInMemory() const { return m_file->isInMemory(); }
    QString movedAsidePath() const { return m_file->movedAsidePath(); }

    // Every record, the most recently used first, then the most recently updated; nothing on a read error.
    std::optional<QList<FieldValueAssociation>> fetchAll(QString *error = nullptr) const;
    // In one transaction: writes the upserted records, removes the deleted ones, sets the facts and
    // forgets the pending secrets of the written records. On failure nothing changes.
    bool save(const QList<FieldValueAssociation> &upserts, const QList<QUuid> &deletions,
              const QHash<QString, QString> &facts = {}, QString *error = nullptr);

    // A secret is about to be written for `account` ahead of its record.
    bool addPendingSecret(const QString &account, QString *error = nullptr);
    bool removePendingSecret(const QString &account, QString *error = nullptr);
    std::optional<QStringList> pendingSecrets(QString *error = nullptr) const;

    std::optional<QString> fact(const QString &key) const;

private:
    QString m_storePath;
    std::unique_ptr<SqliteStoreFile> m_file;
};
