#pragma once

#include "model/SqliteStoreFile.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <memory>

class StorageLocations;

// The main store ("default.store": history, and snippets later) and the folder of large values beside it.
// A store that cannot be opened is moved aside with a time-stamped name and a fresh one starts; when even
// that fails the history lives in memory for this run.
class SwiftDataContainer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isCloudSyncEnabled READ isCloudSyncEnabled WRITE setCloudSyncEnabled NOTIFY cloudSyncChanged)
    Q_PROPERTY(bool isCloudSyncActive READ isCloudSyncActive NOTIFY cloudSyncChanged)
    Q_PROPERTY(QString syncErrorMessage READ syncErrorMessage NOTIFY syncErrorMessageChanged)
public:
    static constexpr int schemaVersion = 1;
    static QString storeFileName() { return QStringLiteral("default.store"); }

    // Opens (or creates) "<folder>/default.store"; an empty folder gives a store in memory.
    explicit SwiftDataContainer(const QString &folder, QObject *parent = nullptr);
    // The store in the program's data folder.
    explicit SwiftDataContainer(const StorageLocations &storage, QObject *parent = nullptr);
    ~SwiftDataContainer() override;

    QSqlDatabase database() const { return m_file->database(); }
    QString storePath() const { return m_storePath; }
    // Where image and payload files go; empty for a store in memory.
    QString blobFolder() const { return m_blobFolder; }
    bool isInMemory() const { return m_file->isInMemory(); }
    // Where an unusable store was moved to during this start, or empty.
    QString movedAsidePath() const { return m_file->movedAsidePath(); }

    bool isCloudSyncEnabled() const { return m_cloudSyncEnabled; }
    void setCloudSyncEnabled(bool enabled);
    // There is no cloud database on this platform.
    bool isCloudSyncActive() const { return false; }
    QString syncErrorMessage() const { return m_syncErrorMessage; }

Q_SIGNALS:
    void cloudSyncChanged();
    void syncErrorMessageChanged();

private:
    QString m_storePath;
    QString m_blobFolder;
    std::unique_ptr<SqliteStoreFile> m_file;
    bool m_cloudSyncEnabled = false;
    QString m_syncErrorMessage;
};
