#pragma once
// One SQLite file of the program's stores, opened the way each of them needs it: integrity checked, WAL
// journal, the schema created on an empty file and checked on an existing one. A file that cannot be used
// is moved aside with a time-stamped name (never deleted), together with its journal and the files that
// belong to it, and a fresh one starts; when even that fails the store lives in memory for this run.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>

struct SqliteStoreSchema {
    // What the store is, for messages: "history store".
    QString description;
    int version = 1;
    // Run in one transaction on a new, empty file.
    QStringList createStatements;
    // Each must run on a file of this version: statements naming every table and column the store reads.
    QStringList checkStatements;
    // Files or folders beside the store (path + suffix) that are moved aside with it.
    QStringList companionSuffixes;
};

class SqliteStoreFile {
public:
    // Opens (or creates) `path`; an empty path gives a database in memory. `prepare` runs after the file
    // opened and may still refuse it (with the reason in *error), e.g. when a folder beside it cannot be made.
    SqliteStoreFile(const QString &path, SqliteStoreSchema schema,
                    const std::function<bool(QString *error)> &prepare = {});
    ~SqliteStoreFile();
    SqliteStoreFile(const SqliteStoreFile &) = delete;
    SqliteStoreFile &operator=(const SqliteStoreFile &) = delete;

    QSqlDatabase database() const;
    QString path() const { return m_path; }
    bool isInMemory() const { return m_inMemory; }
    // Where an unusable file was moved to during this start, or empty.
    QString movedAsidePath() const { return m_movedAsidePath; }

    static QString errorText(const QSqlError &error);

private:
    bool open(const QString &databaseName, QString *error);
    bool prepareSchema(QString *error);
    bool useWriteAheadLog(QString *error);
    void close();
    bool moveAside(const QString &reason);

    SqliteStoreSchema m_schema;
    QString m_connectionName;
    QString m_path;
    QString m_movedAsidePath;
    bool m_inMemory = false;
};
