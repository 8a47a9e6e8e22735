#include "model/SwiftDataContainer.h"

#include "platform/FileProblem.h"
#include "platform/StorageLocations.h"

#include <QDir>

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

SqliteStoreSchema schema()
{
    SqliteStoreSchema schema;
    schema.description = QStringLiteral("history store");
    schema.contents = QStringLiteral("Copies");
    schema.version = SwiftDataContainer::schemaVersion;
    for (const char *statement : kCreateStatements)
        schema.createStatements.append(QString::fromLatin1(statement));
    // The table must be there with every column the store reads.
    schema.checkStatements.append(QStringLiteral(
        "SELECT id, text, label, date, lastUsedAt, typeRawValue, filePath, filePathsData, fileName, fileSize,"
        " imageFile, imageByteCount, payloadFile, payloadByteCount, sourceBundleIdentifier, sourceApplicationName,"
        " contentDigest, aiTitle, aiSummary, aiCategory, aiTagsData, aiExtractedText, aiIsSensitive, aiAnalyzedAt,"
        " aiAnalysisVersion FROM ClipboardItem LIMIT 0"));
    // The value files belong to the store: they move aside with it.
    schema.companionSuffixes.append(QStringLiteral("-blobs"));
    return schema;
}

} // namespace

SwiftDataContainer::SwiftDataContainer(const QString &folder, QObject *parent)
    : QObject(parent)
{
    if (!folder.isEmpty()) {
        m_storePath = QDir(folder).filePath(storeFileName());
        m_blobFolder = m_storePath + QStringLiteral("-blobs");
    }
    const QString blobFolder = m_blobFolder;
    m_file = std::make_unique<SqliteStoreFile>(m_storePath, schema(), [blobFolder](QString *error) {
        *error = FileProblem::prepareFolder(blobFolder);
        return error->isEmpty();
    });
    if (m_file->isInMemory())
        m_blobFolder.clear();
}

SwiftDataContainer::SwiftDataContainer(const StorageLocations &storage, QObject *parent)
    : SwiftDataContainer(storage.dataFolder(), parent)
{
}

SwiftDataContainer::~SwiftDataContainer() = default;

void SwiftDataContainer::setCloudSyncEnabled(bool enabled)
{
    if (m_cloudSyncEnabled == enabled)
        return;
    m_cloudSyncEnabled = enabled;
    Q_EMIT cloudSyncChanged();
}
