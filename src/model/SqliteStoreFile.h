#pragma once
// One SQLite file of the program's stores, opened the way each of them needs it: integrity checked, WAL
// journal, the schema created on an empty file and checked on an existing one. A file that cannot be read
// (damaged, not this store) is moved aside with a time-stamped name (never deleted), together with its
// journal and the files that belong to it, and a fresh one starts. A file that cannot be used where it is
// (no permission, a full disk, a file in place of its folder) is left alone; where it can still be read
// it is opened for reading only (its contents are shown, nothing is written to it), otherwise the store
// lives in memory for this run. status() tells which happened, and why, in words for the user.

#include "model/StoreStatus.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <future>

struct SqliteStoreSchema {
    // What the store is, for messages: "history store".
    QString description;
    // What it keeps, for messages: "Copies".
    QString contents = QStringLiteral("Its contents");
    int version = 1;
    // Run in one transaction on a new, empty file.
    QStringList createStatements;
    // Each must run on a file of this version: statements naming every table and column the store reads.
    QStringList checkStatements;
    // Files or folders beside the store (path + suffix) that are moved aside with it.
    QStringList companionSuffixes;
    // upgrades[i] brings a file of version i + 1 to version i + 2, in one transaction with the version.
    QList<QStringList> upgrades;
    // The integrity check of a file that needs no upgrade reads the whole file: run it on a worker while
    // the store is read, and have confirmIntact() wait for it before anything is written.
    bool checkWhileReading = false;
};

class SqliteStoreFile {
public:
    // Opens (or creates) `path`; an empty path gives a database in memory. `prepare` runs after the file
    // opened and may still refuse it (with the reason in *error, in plain words), e.g. when a folder beside
    // it cannot be made; the file is then left where it is.
    SqliteStoreFile(const QString &path, SqliteStoreSchema schema,
                    const std::function<bool(QString *error)> &prepare = {});
    ~SqliteStoreFile();
    SqliteStoreFile(const SqliteStoreFile &) = delete;
    SqliteStoreFile &operator=(const SqliteStoreFile &) = delete;

    QSqlDatabase database() const;
    QString path() const { return m_path; }
    bool isInMemory() const { return m_inMemory; }
    // Opened for reading only: nothing may be written to it.
    bool isReadOnly() const { return m_status.outcome == StoreStatus::Outcome::readOnly; }
    // Where an unusable file was moved to during this start, or empty.
    QString movedAsidePath() const { return m_status.movedTo; }
    // What became of the file at start-up, with the sentence for the user.
    const StoreStatus &status() const { return m_status; }
    // Waits for an integrity check still running on a worker (checkWhileReading). True when there was
    // none or the file passed it; false when it failed: the file is then dealt with as a damaged file at
    // opening is (moved aside and a fresh one started) and status() says so; what was read from it is
    // the damaged file's.
    bool confirmIntact();

    // Loads the database driver (a plugin and its library, some milliseconds) on a worker, so that the
    // first store to open finds it loaded; the start-up meanwhile goes on with other things.
    static void loadDriverAhead();

    static QString errorText(const QSqlError &error);
    // A failed operation on this store in plain words ("the disk is full"), the database's own after them.
    QString explain(const QSqlError &error) const;

private:
    struct Failure {
        bool fileUnusable = false; // the file itself cannot be read as this store: moving it aside helps
        QString cause;
        QString detail;
    };
    // A file that is not a sound store, with what the integrity check found in it, if anything.
    static Failure damaged(const QString &checkResult);
    // What a database error means for the file at `path`.
    static Failure classify(const QSqlError &error, const QString &path);

    // The file at m_path opened and prepared, or the reason it cannot be.
    bool openFile(Failure *failure);
    // A file that could not be opened: read-only or in memory, or moved aside for a fresh one.
    void recover(Failure failure);
    // The whole file read on a connection of its own (on a worker); an empty cause when it is sound.
    static Failure checkIntegrity(const QString &path);
    bool open(const QString &databaseName, Failure *failure);
    bool prepareSchema(Failure *failure);
    bool upgrade(int fromVersion, Failure *failure);
    bool useWriteAheadLog(Failure *failure);
    void keepInMemory(const Failure &failure);
    // Opens an existing file of this store for reading only; false (and nothing open) when it cannot be.
    bool openReadOnly(const Failure &failure);
    bool isReadableStore();
    void openInMemory();
    void close();
    // Renames the file with its journal and companions; the new path, or empty with the reason.
    QString moveAside(QString *problem);

    SqliteStoreSchema m_schema;
    std::function<bool(QString *error)> m_prepare;
    std::future<Failure> m_integrityCheck;
    QString m_connectionName;
    QString m_path;
    StoreStatus m_status;
    bool m_inMemory = false;
};
