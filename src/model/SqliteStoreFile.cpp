#include "model/SqliteStoreFile.h"

#include "platform/FileProblem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QSqlQuery>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>
#include <QtDebug>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

bool renameIfExists(const QString &from, const QString &to)
{
    if (!QFileInfo::exists(from))
        return true;
    return QDir().rename(from, to);
}

// Some failures (a commit, in Qt 6.4) come without SQLite's result code, only with its standard message.
int sqliteCodeFromText(const QString &text)
{
    static const QList<QPair<QString, int>> messages = {
        {QStringLiteral("database or disk is full"), 13},
        {QStringLiteral("file is not a database"), 26},
        {QStringLiteral("database disk image is malformed"), 11},
        {QStringLiteral("attempt to write a readonly database"), 8},
        {QStringLiteral("unable to open database file"), 14},
        {QStringLiteral("disk I/O error"), 10},
        {QStringLiteral("database is locked"), 5},
        {QStringLiteral("out of memory"), 7},
    };
    for (const auto &[message, code] : messages) {
        if (text.contains(message, Qt::CaseInsensitive))
            return code;
    }
    return -1;
}

// SQLite's primary result code of a failure.
int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok ? code : sqliteCodeFromText(error.databaseText());
}

// Why the file at `path` cannot be opened for reading and writing, when the system says so.
QString accessProblem(const QString &path)
{
    if (QFileInfo::exists(path)) {
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
            return FileProblem::describe(errno, path);
        return {};
    }
    return FileProblem::prepareFolder(QFileInfo(path).path());
}

} // namespace

SqliteStoreFile::SqliteStoreFile(const QString &path, SqliteStoreSchema schema,
                                 const std::function<bool(QString *error)> &prepare)
    : m_schema(std::move(schema))
    , m_prepare(prepare)
    , m_connectionName(QStringLiteral("tavlen-store-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_path(path)
{
    m_status.description = m_schema.description;
    m_status.contents = m_schema.contents;
    m_status.storePath = path;
    if (path.isEmpty()) {
        m_status.outcome = StoreStatus::Outcome::inMemoryByRequest;
        openInMemory();
        return;
    }
    if (const QString problem = FileProblem::prepareFolder(QFileInfo(path).absolutePath()); !problem.isEmpty()) {
        if (!openReadOnly({false, problem, {}}))
            keepInMemory({false, problem, {}});
        return;
    }
    Failure failure;
    if (openFile(&failure)) {
        m_status.outcome = StoreStatus::Outcome::opened;
        return;
    }
    close();
    recover(failure);
}

SqliteStoreFile::~SqliteStoreFile()
{
    close();
    if (m_integrityCheck.valid())
        m_integrityCheck.wait();
}

bool SqliteStoreFile::openFile(Failure *failure)
{
    if (!open(m_path, failure))
        return false;
    QString problem;
    if (!m_prepare || m_prepare(&problem))
        return true;
    *failure = {false, problem, {}};
    return false;
}

void SqliteStoreFile::recover(Failure failure)
{
    // Only a file that cannot be read is moved aside. One that cannot be used because of its surroundings
    // (permissions, a full disk) stays where it is, whole, for the next start.
    if (!failure.fileUnusable) {
        if (!openReadOnly(failure))
            keepInMemory(failure);
        return;
    }
    QString moveProblem;
    const QString movedTo = moveAside(&moveProblem);
    if (movedTo.isEmpty()) {
        failure.cause += QStringLiteral(", and it could not be moved aside: ") + moveProblem;
        keepInMemory(failure);
        return;
    }
    Failure second;
    if (openFile(&second)) {
        m_status.outcome = StoreStatus::Outcome::movedAside;
        m_status.movedTo = movedTo;
        m_status.cause = failure.cause;
        m_status.detail = failure.detail;
        qWarning("%s", qPrintable(m_status.message()));
        return;
    }
    close();
    m_status.movedTo = movedTo;
    second.cause = QStringLiteral("%1 (the unreadable one was moved to %2)").arg(second.cause, movedTo);
    keepInMemory(second);
}

bool SqliteStoreFile::confirmIntact()
{
    if (!m_integrityCheck.valid())
        return true;
    const Failure failure = m_integrityCheck.get();
    if (failure.cause.isEmpty())
        return true;
    close();
    recover(failure);
    return false;
}

SqliteStoreFile::Failure SqliteStoreFile::checkIntegrity(const QString &path)
{
    const QString connection = QStringLiteral("tavlen-check-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Failure failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = classify(db.lastError(), path);
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
                failure = classify(query.lastError(), path);
            else if (query.value(0).toString() != QLatin1String("ok"))
                failure = damaged(query.value(0).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return failure;
}

QSqlDatabase SqliteStoreFile::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString SqliteStoreFile::errorText(const QSqlError &error)
{
    return error.text().isEmpty() ? QStringLiteral("unknown database error") : error.text();
}

QString SqliteStoreFile::explain(const QSqlError &error) const
{
    const Failure failure = classify(error, m_path);
    return QStringLiteral("%1 (Details: %2)").arg(failure.cause, failure.detail);
}

SqliteStoreFile::Failure SqliteStoreFile::damaged(const QString &checkResult)
{
    Failure failure{true, QStringLiteral("the file is damaged or is not a Tavlen store"), {}};
    // The check's first findings, on one line.
    if (!checkResult.isEmpty())
        failure.detail = QStringLiteral("integrity check: ") + checkResult.section(QLatin1Char('\n'), 0, 1).simplified();
    return failure;
}

SqliteStoreFile::Failure SqliteStoreFile::classify(const QSqlError &error, const QString &path)
{
    Failure failure;
    failure.detail = errorText(error);
    const int code = sqliteCode(error);
    switch (code) {
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        failure = damaged({});
        failure.detail = errorText(error);
        break;
    case 13: // SQLITE_FULL
        failure.cause = QStringLiteral("the disk is full");
        break;
    case 3:  // SQLITE_PERM
    case 8:  // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
    case 23: // SQLITE_AUTH
        failure.cause = accessProblem(path);
        if (failure.cause.isEmpty())
            failure.cause = code == 14 ? QStringLiteral("the file %1 cannot be opened").arg(path)
                                       : QStringLiteral("permission denied on %1").arg(path);
        break;
    case 10: // SQLITE_IOERR
        failure.cause = QStringLiteral("the disk reported an input/output error on %1").arg(path);
        break;
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        failure.cause = QStringLiteral("another program holds %1 locked").arg(path);
        break;
    case 7: // SQLITE_NOMEM
        failure.cause = QStringLiteral("there is not enough memory");
        break;
    default:
        failure.cause = QStringLiteral("the database could not be used");
        break;
    }
    return failure;
}

void SqliteStoreFile::keepInMemory(const Failure &failure)
{
    m_status.outcome = StoreStatus::Outcome::inMemory;
    m_status.cause = failure.cause;
    m_status.detail = failure.detail;
    qWarning("%s", qPrintable(m_status.message()));
    openInMemory();
}

bool SqliteStoreFile::openReadOnly(const Failure &failure)
{
    if (!QFileInfo(m_path).isFile() || ::access(QFile::encodeName(m_path).constData(), R_OK) != 0)
        return false;
    // A file whose journal cannot be opened beside it is read as it stands, as an unchanging file.
    const QString uri = QUrl::fromLocalFile(m_path).toString(QUrl::FullyEncoded);
    for (const QString &name : {uri + QStringLiteral("?mode=ro"), uri + QStringLiteral("?immutable=1")}) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
            db.setDatabaseName(name);
        }
        if (database().open() && isReadableStore()) {
            m_status.outcome = StoreStatus::Outcome::readOnly;
            m_status.cause = failure.cause;
            m_status.detail = failure.detail;
            qWarning("%s", qPrintable(m_status.message()));
            return true;
        }
        close();
    }
    return false;
}

bool SqliteStoreFile::isReadableStore()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next() || query.value(0).toString() != QLatin1String("ok"))
        return false;
    query.finish();
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next() || query.value(0).toInt() != m_schema.version)
        return false;
    query.finish();
    for (const QString &statement : std::as_const(m_schema.checkStatements)) {
        if (!query.exec(statement))
            return false;
        query.finish();
    }
    return true;
}

void SqliteStoreFile::openInMemory()
{
    m_inMemory = true;
    Failure failure;
    if (!open(QStringLiteral(":memory:"), &failure))
        qWarning("Could not create the %s in memory: %s", qPrintable(m_schema.description), qPrintable(failure.detail));
}

void SqliteStoreFile::loadDriverAhead()
{
    QThreadPool::globalInstance()->start([] {
        // The driver's plugin stays loaded once a connection was made with it.
        const QString name = QStringLiteral("tavlen-driver-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QSqlDatabase::removeDatabase(name);
    });
}

bool SqliteStoreFile::open(const QString &databaseName, Failure *failure)
{
    if (databaseName != QLatin1String(":memory:")) {
        if (QFileInfo(databaseName).isDir()) {
            *failure = {true, QStringLiteral("%1 is a folder, not a file").arg(databaseName), {}};
            return false;
        }
        if (const QString problem = accessProblem(databaseName); !problem.isEmpty()) {
            *failure = {false, problem, {}};
            return false;
        }
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(databaseName);
    if (!db.open()) {
        *failure = classify(db.lastError(), databaseName);
        return false;
    }
    return prepareSchema(failure);
}

bool SqliteStoreFile::prepareSchema(Failure *failure)
{
    QSqlDatabase db = database();
    QSqlQuery query(db);
    const auto failed = [&](const QSqlError &error) {
        *failure = classify(error, m_path);
        return false;
    };
    const auto unusable = [&](const QString &cause) {
        *failure = {true, cause, {}};
        return false;
    };
    // The first statement that reads the file finds out whether it is a database at all.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed(query.lastError());
    int version = query.value(0).toInt();
    query.finish();
    const bool checkWhileReading = m_schema.checkWhileReading && version == m_schema.version && !m_inMemory;
    if (!checkWhileReading) {
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
            return failed(query.lastError());
        if (query.value(0).toString() != QLatin1String("ok")) {
            *failure = damaged(query.value(0).toString());
            return false;
        }
        query.finish();
    }
    // A file an earlier Tavlen wrote is brought up to date, keeping everything in it.
    if (version > 0 && version < m_schema.version) {
        if (!upgrade(version, failure))
            return false;
        version = m_schema.version;
    }
    if (version == m_schema.version) {
        for (const QString &statement : std::as_const(m_schema.checkStatements)) {
            if (!query.exec(statement)) {
                // Only a table or column missing (SQLITE_ERROR) says the tables are another's; a damaged page,
                // a lock or the disk are said as for any other statement, and a locked store stays in place.
                if (sqliteCode(query.lastError()) != 1)
                    return failed(query.lastError());
                return unusable(QStringLiteral("its tables are not those of a %1 (%2)")
                                    .arg(m_schema.description, errorText(query.lastError())));
            }
            query.finish();
        }
        if (!useWriteAheadLog(failure))
            return false;
        if (checkWhileReading)
            m_integrityCheck = std::async(std::launch::async, &SqliteStoreFile::checkIntegrity, db.databaseName());
        return true;
    }
    if (version != 0)
        return unusable(QStringLiteral("it has schema version %1, and this Tavlen reads version %2")
                            .arg(version)
                            .arg(m_schema.version));
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return failed(query.lastError());
    if (query.value(0).toInt() != 0)
        return unusable(QStringLiteral("it is a database of another program"));
    query.finish();
    if (!db.transaction())
        return failed(db.lastError());
    for (const QString &statement : std::as_const(m_schema.createStatements)) {
        if (!query.exec(statement)) {
            const QSqlError error = query.lastError();
            db.rollback();
            return failed(error);
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(m_schema.version)) || !db.commit()) {
        const QSqlError error = query.lastError().type() != QSqlError::NoError ? query.lastError() : db.lastError();
        db.rollback();
        return failed(error);
    }
    return useWriteAheadLog(failure);
}

bool SqliteStoreFile::upgrade(int fromVersion, Failure *failure)
{
    QSqlDatabase db = database();
    if (!db.transaction()) {
        *failure = classify(db.lastError(), m_path);
        return false;
    }
    QSqlQuery query(db);
    for (int version = fromVersion; version < m_schema.version; ++version) {
        const QStringList statements = m_schema.upgrades.value(version - 1);
        if (statements.isEmpty()) {
            db.rollback();
            *failure = {true, QStringLiteral("it has schema version %1, which this Tavlen cannot bring up to date").arg(version), {}};
            return false;
        }
        for (const QString &statement : statements) {
            if (!query.exec(statement)) {
                const QSqlError error = query.lastError();
                db.rollback();
                *failure = classify(error, m_path);
                // A statement the file's own tables refuse (SQLITE_ERROR): it is not what its version says.
                if (sqliteCode(error) == 1) {
                    failure->fileUnusable = true;
                    failure->cause = QStringLiteral("its tables are not those of a %1 of version %2")
                                         .arg(m_schema.description)
                                         .arg(version);
                }
                return false;
            }
            query.finish();
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(m_schema.version)) || !db.commit()) {
        const QSqlError error = query.lastError().type() != QSqlError::NoError ? query.lastError() : db.lastError();
        db.rollback();
        *failure = classify(error, m_path);
        return false;
    }
    return true;
}

bool SqliteStoreFile::useWriteAheadLog(Failure *failure)
{
    // Only once the file is known to be ours: switching the journal writes to the file.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
        *failure = classify(query.lastError(), m_path);
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

QString SqliteStoreFile::moveAside(QString *problem)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_path + QStringLiteral(".unusable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_path + QStringLiteral(".unusable-%1-%2").arg(stamp).arg(n);

    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0) {
        *problem = FileProblem::describe(errno, QFileInfo(m_path).path());
        return {};
    }
    // The journal and the files beside the store belong to the store that was moved; they go with it.
    QStringList suffixes{QStringLiteral("-wal"), QStringLiteral("-shm")};
    suffixes += m_schema.companionSuffixes;
    for (const QString &suffix : std::as_const(suffixes))
        renameIfExists(m_path + suffix, target + suffix);
    return target;
}
