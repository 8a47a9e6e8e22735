#include "clipboard/ClipboardItemStore.h"
#include "model/SwiftDataContainer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

ClipboardItem makeImageItem(const QDateTime &date)
{
    ClipboardItem item(QUuid::createUuid());
    item.setTypeRawValue("image");
    item.setDate(date);
    item.setImageData(QByteArray(4096, 'i'));
    PasteboardPayload payload;
    payload.items.append(PasteboardPayloadItem{{{"image/png", QByteArray(4096, 'i'), 4096, std::nullopt}}});
    item.setPayload(payload);
    item.setSourceBundleIdentifier("org.example.paint");
    item.setSourceApplicationName("Paint");
    item.setContentDigest("digest");
    item.setLabel("label");
    item.setTags({"a", "b"});
    item.setAiTitle("A picture");
    item.setAiIsSensitive(true);
    item.setAiAnalyzedAt(date.addSecs(5));
    item.setAiAnalysisVersion(2);
    return item;
}

QStringList blobFiles(const SwiftDataContainer &container)
{
    return QDir(container.blobFolder()).entryList(QDir::Files);
}

QStringList asideEntries(const QString &folder)
{
    return QDir(folder).entryList({"default.store.unusable-*"}, QDir::Files | QDir::Dirs);
}

TEST(ClipboardItemStore, ItemsSurviveReopenWithLazyBlobs)
{
    QTemporaryDir dir;
    const QDateTime t0 = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    const ClipboardItem image = makeImageItem(t0);
    ClipboardItem files(QUuid::createUuid());
    files.setDate(t0.addSecs(10));
    files.setTypeRawValue("file");
    files.setFilePaths({"/home/u/a.pdf", "/home/u/b.pdf"});
    files.setFileName("a.pdf");
    files.setFileSize(1234);
    files.setLastUsedAt(t0.addSecs(20));
    {
        SwiftDataContainer container(dir.path());
        ASSERT_FALSE(container.isInMemory());
        ClipboardItemStore store(container);
        QString error;
        ASSERT_TRUE(store.save({image, files}, {}, &error)) << error.toStdString();
        EXPECT_EQ(blobFiles(container).size(), 2);
        EXPECT_TRUE(image.imageBlob()->path().startsWith(container.blobFolder()));
    }
    SwiftDataContainer container(dir.path());
    EXPECT_TRUE(container.movedAsidePath().isEmpty());
    ClipboardItemStore store(container);
    const QList<ClipboardItem> items = store.fetchAll();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].id(), files.id()); // newest first
    EXPECT_EQ(items[0].filePaths(), files.filePaths());
    EXPECT_EQ(items[0].fileSize(), 1234);
    EXPECT_EQ(items[0].lastUsedAt(), files.lastUsedAt());
    EXPECT_FALSE(items[0].hasImageData());

    const ClipboardItem &loaded = items[1];
    EXPECT_EQ(loaded.id(), image.id());
    EXPECT_EQ(loaded.date(), t0);
    EXPECT_EQ(loaded.type(), ClipboardItemType::image);
    EXPECT_TRUE(loaded.hasImageData());
    EXPECT_FALSE(loaded.imageBlob()->isLoaded());
    EXPECT_EQ(loaded.imageData(), image.imageData());
    EXPECT_TRUE(loaded.imageBlob()->isLoaded());
    ASSERT_TRUE(loaded.payload().has_value());
    EXPECT_EQ(*loaded.payload(), *image.payload());
    EXPECT_EQ(loaded.label(), "label");
    EXPECT_EQ(loaded.tags(), (QStringList{"a", "b"}));
    EXPECT_EQ(loaded.contentDigest(), "digest");
    EXPECT_EQ(loaded.sourceApplicationName(), "Paint");
    EXPECT_TRUE(loaded.aiIsSensitive());
    EXPECT_TRUE(loaded.hasCurrentAnalysis());
}

TEST(ClipboardItemStore, DeletingAndReplacingCleansUpFiles)
{
    QTemporaryDir dir;
    SwiftDataContainer container(dir.path());
    ClipboardItemStore store(container);
    ClipboardItem item = makeImageItem(QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(store.save({item}, {}));
    const QStringList before = blobFiles(container);
    // Saving again without new bytes writes nothing new.
    ASSERT_TRUE(store.save({item}, {}));
    EXPECT_EQ(blobFiles(container), before);

    item.setImageData(QByteArray(100, 'n'));
    ASSERT_TRUE(store.save({item}, {}));
    const QStringList after = blobFiles(container);
    EXPECT_EQ(after.size(), 2);
    EXPECT_NE(after, before);
    EXPECT_EQ(store.fetchAll().at(0).imageData(), QByteArray(100, 'n'));

    ASSERT_TRUE(store.save({}, {item.id()}));
    EXPECT_TRUE(store.fetchAll().isEmpty());
    EXPECT_TRUE(blobFiles(container).isEmpty());
}

TEST(ClipboardItemStore, OrphanedFilesAreRemovedAndMissingFilesReadEmpty)
{
    QTemporaryDir dir;
    SwiftDataContainer container(dir.path());
    ClipboardItemStore store(container);
    const ClipboardItem item = makeImageItem(QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(store.save({item}, {}));
    QFile orphan(QDir(container.blobFolder()).filePath("stray.image"));
    ASSERT_TRUE(orphan.open(QIODevice::WriteOnly));
    orphan.close();
    EXPECT_EQ(store.removeOrphanedFiles(), 1);
    EXPECT_EQ(blobFiles(container).size(), 2);

    QFile::remove(item.imageBlob()->path());
    const ClipboardItem loaded = store.fetchAll().at(0);
    EXPECT_TRUE(loaded.imageData().isEmpty()); // a warning, not a crash
}

// Each case leaves something unusable at the store's path.
struct BadStore {
    const char *name;
    std::function<void(const QString &path)> make;
};

class UnusableStore : public testing::TestWithParam<BadStore> {};

TEST_P(UnusableStore, IsMovedAsideAndHistoryStartsEmpty)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("default.store");
    GetParam().make(path);
    SwiftDataContainer container(dir.path());
    EXPECT_FALSE(container.isInMemory());
    EXPECT_FALSE(container.movedAsidePath().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(container.movedAsidePath()));
    EXPECT_EQ(asideEntries(dir.path()).size(), 1);
    ClipboardItemStore store(container);
    EXPECT_TRUE(store.fetchAll().isEmpty());
    EXPECT_TRUE(store.save({makeImageItem(QDateTime::currentDateTimeUtc())}, {}));
    EXPECT_EQ(store.fetchAll().size(), 1);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void makeDatabase(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const QString &statement : statements)
            ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase("fixture");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableStore,
    testing::Values(
        BadStore{"garbage", [](const QString &p) { writeFile(p, QByteArray(8192, 'x')); }},
        BadStore{"truncatedHeader", [](const QString &p) { writeFile(p, QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x01')); }},
        BadStore{"newerSchema", [](const QString &p) { makeDatabase(p, {"CREATE TABLE t(x)", "PRAGMA user_version = 99"}); }},
        BadStore{"foreignTables", [](const QString &p) { makeDatabase(p, {"CREATE TABLE other(x)"}); }},
        BadStore{"missingColumns",
                 [](const QString &p) { makeDatabase(p, {"CREATE TABLE ClipboardItem(id TEXT)", "PRAGMA user_version = 1"}); }},
        BadStore{"notAFile", [](const QString &p) { QDir().mkpath(p + "/inside"); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClipboardItemStore, MovedAsideStoreKeepsItsFilesTogether)
{
    QTemporaryDir dir;
    {
        SwiftDataContainer container(dir.path());
        ClipboardItemStore store(container);
        ASSERT_TRUE(store.save({makeImageItem(QDateTime::currentDateTimeUtc())}, {}));
    }
    const QString path = QDir(dir.path()).filePath("default.store");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bump");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("PRAGMA user_version = 7");
    }
    QSqlDatabase::removeDatabase("bump");
    SwiftDataContainer container(dir.path());
    ASSERT_FALSE(container.movedAsidePath().isEmpty());
    EXPECT_EQ(QDir(container.movedAsidePath() + "-blobs").entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(QDir(container.blobFolder()).entryList(QDir::Files).isEmpty());
}

TEST(ClipboardItemStore, EmptyFolderGivesAStoreInMemory)
{
    SwiftDataContainer container{QString()};
    EXPECT_TRUE(container.isInMemory());
    EXPECT_FALSE(container.isCloudSyncActive());
    container.setCloudSyncEnabled(true);
    EXPECT_TRUE(container.isCloudSyncEnabled());
    EXPECT_FALSE(container.isCloudSyncActive());
    ClipboardItemStore store(container);
    ClipboardItem item(QUuid::createUuid());
    item.setDate(QDateTime::currentDateTimeUtc());
    item.setImageData("bytes");
    ASSERT_TRUE(store.save({item}, {}));
    const auto items = store.fetchAll();
    ASSERT_EQ(items.size(), 1);
    EXPECT_FALSE(items[0].hasImageData()); // values beside the database need a folder
}

} // namespace

TEST(ClipboardItemStore, AFailedSaveSaysWhyInPlainWordsAndChangesNothing)
{
    QTemporaryDir dir;
    SwiftDataContainer container(dir.path());
    ClipboardItemStore store(container);
    // The value folder now leads somewhere nobody may write, root included.
    ASSERT_TRUE(QDir(container.blobFolder()).removeRecursively());
    ASSERT_TRUE(QFile::link(QStringLiteral("/sys"), container.blobFolder()));
    QString error;
    EXPECT_FALSE(store.save({makeImageItem(QDateTime::currentDateTimeUtc())}, {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("permission denied on ") + container.blobFolder())
                || error.contains(QStringLiteral("is on a read-only file system")))
        << error.toStdString();
    EXPECT_TRUE(store.fetchAll().isEmpty());
}
