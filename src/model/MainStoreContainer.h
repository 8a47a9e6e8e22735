#pragma once

#include "model/SqliteStoreFile.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class StorageLocations;

// The main store ("default.store": history, and snippets later) and the folder of large values beside it,
// opened as every store file is (SqliteStoreFile): moved aside when it cannot be read, kept in memory for
// this run when it cannot be used where it is; status() says which and why.
class MainStoreContainer : public QObject
{
    Q_OBJECT
public:
    static constexpr int schemaVersion = 3;
    static QString storeFileName() { return QStringLiteral("default.store"); }

    // Opens (or creates) "<folder>/default.store"; an empty folder gives a store in memory.
    explicit MainStoreContainer(const QString &folder, QObject *parent = nullptr);
    // The store in the program's data folder.
    explicit MainStoreContainer(const StorageLocations &storage, QObject *parent = nullptr);
    ~MainStoreContainer() override;

    QSqlDatabase database() const { return m_file->database(); }
    QString storePath() const { return m_storePath; }
    // Where image and payload files go; empty for a store in memory.
    QString blobFolder() const { return m_blobFolder; }
    bool isInMemory() const { return m_file->isInMemory(); }
    // Opened for reading only (it cannot be written where it is): its items are shown, new ones stay in memory.
    bool isReadOnly() const { return m_file->isReadOnly(); }
    // Where an unusable store was moved to during this start, or empty.
    QString movedAsidePath() const { return m_file->movedAsidePath(); }
    // What became of the store at start-up, with the sentence for the user.
    const StoreStatus &status() const { return m_file->status(); }
    // Waits for the integrity check, which runs while the store is first read. False when the store
    // failed it: it was set aside like a damaged store at opening (status() says so) and what was read
    // from it must be read again. Nothing may be written before this.
    bool confirmIntact();
    // A failed database operation in plain words ("the disk is full"), the database's own after them.
    QString explain(const QSqlError &error) const { return m_file->explain(error); }

    // False once the file open as the store was deleted or another file took its place: what is written
    // then goes into a file nobody will read again.
    bool isStillInPlace() const;
    // Opens the store at storePath() again after its file was taken away: a store put there is used, any
    // other file is moved aside alone (the value files stay), and a new store starts where there is none.
    // The previous file is closed first.
    void reopen();

private:
    void open(bool movesValueFiles);
    void noteIdentity();

    QString m_storePath;
    QString m_blobFolder;
    std::unique_ptr<SqliteStoreFile> m_file;
    // The device and inode of the file open as the store; none for a store in memory or read only.
    std::optional<std::pair<quint64, quint64>> m_identity;
};
