#include "model/MainStoreContainer.h"

#include "platform/FileProblem.h"
#include "platform/StorageLocations.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

// A copy's source application id is stored as sourceBundleIdentifier: the column keeps its name for existing stores.
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
    " aiAnalysisVersion INTEGER NOT NULL DEFAULT 0,"
    " payloadRecord BLOB,"
    // A long text compressed (CompressedText), `text` then empty.
    " compressedText BLOB)",
    "CREATE INDEX ClipboardItem_date ON ClipboardItem(date DESC)",
    // Which value files each item uses: a file goes with the last item that names it.
    "CREATE TABLE BlobFile (itemId TEXT NOT NULL, name TEXT NOT NULL, PRIMARY KEY (itemId, name))",
    "CREATE INDEX BlobFile_name ON BlobFile(name)",
};

// From version 1, where each item had a payload file and an image file of its own: the payload record
// comes into the row for new items, and the files of the existing ones are listed as theirs.
const char *const kUpgradeFrom1[] = {
    "ALTER TABLE ClipboardItem ADD COLUMN payloadRecord BLOB",
    "CREATE TABLE BlobFile (itemId TEXT NOT NULL, name TEXT NOT NULL, PRIMARY KEY (itemId, name))",
    "CREATE INDEX BlobFile_name ON BlobFile(name)",
    "INSERT OR IGNORE INTO BlobFile (itemId, name) SELECT id, imageFile FROM ClipboardItem"
    " WHERE imageFile IS NOT NULL AND imageFile != ''",
    "INSERT OR IGNORE INTO BlobFile (itemId, name) SELECT id, payloadFile FROM ClipboardItem"
    " WHERE payloadFile IS NOT NULL AND payloadFile != ''",
};

// From version 2: long texts may be kept compressed; the texts already there stay as they are.
const char *const kUpgradeFrom2[] = {
    "ALTER TABLE ClipboardItem ADD COLUMN compressedText BLOB",
};

// `movesValueFiles`: the value folder goes aside with an unreadable file found at opening. A file that
// took the place of the store while it ran is not the value files' store: it goes aside alone.
SqliteStoreSchema schema(bool movesValueFiles)
{
    SqliteStoreSchema schema;
    schema.description = QStringLiteral("history store");
    schema.contents = QStringLiteral("Copies");
    schema.version = MainStoreContainer::schemaVersion;
    for (const char *statement : kCreateStatements)
        schema.createStatements.append(QString::fromLatin1(statement));
    // The table must be there with every column the store reads.
    schema.checkStatements.append(QStringLiteral(
        "SELECT id, text, label, date, lastUsedAt, typeRawValue, filePath, filePathsData, fileName, fileSize,"
        " imageFile, imageByteCount, payloadFile, payloadByteCount, sourceBundleIdentifier, sourceApplicationName,"
        " contentDigest, aiTitle, aiSummary, aiCategory, aiTagsData, aiExtractedText, aiIsSensitive, aiAnalyzedAt,"
        " aiAnalysisVersion, payloadRecord, compressedText FROM ClipboardItem LIMIT 0"));
    schema.checkStatements.append(QStringLiteral("SELECT itemId, name FROM BlobFile LIMIT 0"));
    QStringList fromVersion1;
    for (const char *statement : kUpgradeFrom1)
        fromVersion1.append(QString::fromLatin1(statement));
    schema.upgrades.append(fromVersion1);
    QStringList fromVersion2;
    for (const char *statement : kUpgradeFrom2)
        fromVersion2.append(QString::fromLatin1(statement));
    schema.upgrades.append(fromVersion2);
    // The history is read whole at start-up: the check reads the file meanwhile, on a worker.
    schema.checkWhileReading = true;
    // The value files belong to the store: they move aside with it.
    if (movesValueFiles)
        schema.companionSuffixes.append(QStringLiteral("-blobs"));
    return schema;
}

} // namespace

MainStoreContainer::MainStoreContainer(const QString &folder, QObject *parent)
    : QObject(parent)
{
    if (!folder.isEmpty()) {
        m_storePath = QDir(folder).filePath(storeFileName());
        m_blobFolder = m_storePath + QStringLiteral("-blobs");
    }
    open(true);
}

void MainStoreContainer::open(bool movesValueFiles)
{
    const QString blobFolder = m_blobFolder;
    m_file = std::make_unique<SqliteStoreFile>(m_storePath, schema(movesValueFiles), [blobFolder](QString *error) {
        *error = FileProblem::prepareFolder(blobFolder);
        return error->isEmpty();
    });
    if (m_file->isInMemory())
        m_blobFolder.clear();
    noteIdentity();
}

void MainStoreContainer::noteIdentity()
{
    m_identity.reset();
    struct stat info {};
    if (!m_file->isInMemory() && !m_file->isReadOnly()
        && ::stat(QFile::encodeName(m_storePath).constData(), &info) == 0)
        m_identity = std::make_pair(quint64(info.st_dev), quint64(info.st_ino));
}

bool MainStoreContainer::isStillInPlace() const
{
    if (!m_identity)
        return true;
    struct stat info {};
    if (::stat(QFile::encodeName(m_storePath).constData(), &info) != 0)
        return errno != ENOENT && errno != ENOTDIR;
    return std::make_pair(quint64(info.st_dev), quint64(info.st_ino)) == *m_identity;
}

void MainStoreContainer::reopen()
{
    // Closed first: the file's journal, beside it by name, is written back into it and removed, and so
    // never read as the journal of the file that now takes its place.
    m_file.reset();
    m_blobFolder = m_storePath + QStringLiteral("-blobs");
    open(false);
}

bool MainStoreContainer::confirmIntact()
{
    const bool intact = m_file->confirmIntact();
    if (m_file->isInMemory())
        m_blobFolder.clear();
    noteIdentity();
    return intact;
}

MainStoreContainer::MainStoreContainer(const StorageLocations &storage, QObject *parent)
    : MainStoreContainer(storage.dataFolder(), parent)
{
}

MainStoreContainer::~MainStoreContainer() = default;
