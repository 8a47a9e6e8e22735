#include "clipboard/ClipboardItemStore.h"
#include "clipboard/PasteboardManager.h"
#include "model/CompressedText.h"
#include "model/MainStoreContainer.h"
#include "platform/Pasteboard.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtConcurrent>

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
    item.setSourceApplicationId("org.example.paint");
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

QStringList blobFiles(const MainStoreContainer &container)
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
    files.setSourceApplicationName("Files"); // another application than the image's: each keeps its own
    {
        MainStoreContainer container(dir.path());
        ASSERT_FALSE(container.isInMemory());
        ClipboardItemStore store(container);
        QString error;
        ASSERT_TRUE(store.save({image, files}, {}, &error)) << error.toStdString();
        // The image and the PNG in its payload are the same bytes: one file.
        EXPECT_EQ(blobFiles(container).size(), 1);
        EXPECT_TRUE(image.imageBlob()->path().startsWith(container.blobFolder()));
    }
    MainStoreContainer container(dir.path());
    EXPECT_TRUE(container.movedAsidePath().isEmpty());
    ClipboardItemStore store(container);
    const QList<ClipboardItem> items = store.fetchAll();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].id(), files.id()); // newest first
    EXPECT_EQ(items[0].filePaths(), files.filePaths());
    EXPECT_EQ(items[0].fileSize(), 1234);
    EXPECT_EQ(items[0].lastUsedAt(), files.lastUsedAt());
    EXPECT_EQ(items[0].sourceApplicationName(), "Files");
    EXPECT_FALSE(items[0].hasImageData());

    const ClipboardItem &loaded = items[1];
    EXPECT_EQ(loaded.id(), image.id());
    EXPECT_EQ(loaded.date(), t0);
    EXPECT_EQ(loaded.type(), ClipboardItemType::image);
    EXPECT_TRUE(loaded.hasImageData());
    EXPECT_FALSE(loaded.imageBlob()->isLoaded());
    EXPECT_EQ(loaded.imageData(), image.imageData());
    EXPECT_FALSE(loaded.imageBlob()->isLoaded()); // read for the caller, not kept
    ASSERT_TRUE(loaded.payload().has_value());
    EXPECT_EQ(*loaded.payload(), *image.payload());
    // Read when asked for, also where a worker asks (paste, preview), and kept when the item is saved again.
    EXPECT_EQ(QtConcurrent::run([loaded] { return loaded.payloadData(); }).result(), image.payloadData());
    ClipboardItem used = loaded;
    used.setDate(t0.addSecs(30));
    ASSERT_TRUE(store.save({used}, {}));
    EXPECT_EQ(store.fetchAll().value(0).payload(), image.payload());
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
    MainStoreContainer container(dir.path());
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
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const ClipboardItem item = makeImageItem(QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(store.save({item}, {}));
    QFile orphan(QDir(container.blobFolder()).filePath("stray.image"));
    ASSERT_TRUE(orphan.open(QIODevice::WriteOnly));
    orphan.close();
    EXPECT_EQ(store.removeOrphanedFiles(), 1);
    EXPECT_EQ(blobFiles(container).size(), 1);

    QFile::remove(item.imageBlob()->path());
    const ClipboardItem loaded = store.fetchAll().at(0);
    EXPECT_TRUE(loaded.imageData().isEmpty()); // a warning, not a crash
}

TEST(ClipboardItemStore, AListOfFilesInUseCutShortByADamagedPageRemovesNone)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("default.store");
    {
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        QList<ClipboardItem> items;
        for (int i = 0; i < 300; ++i) {
            ClipboardItem item(QUuid::createUuid());
            item.setTypeRawValue("image");
            item.setDate(QDateTime::currentDateTimeUtc());
            item.setImageData(QByteArray::number(i));
            items.append(item);
        }
        ASSERT_TRUE(store.save(items, {}));
        ASSERT_TRUE(QSqlQuery(container.database()).exec("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    // The last page, in their order, of the list of files and of each index over it: whichever the read
    // goes through, it stops there with an error after the names before it.
    QList<qint64> damaged;
    int pageSize = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "pages");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("PRAGMA page_size") && query.next());
        pageSize = query.value(0).toInt();
        ASSERT_TRUE(query.exec("SELECT name, pageno FROM dbstat WHERE pagetype = 'leaf' AND name IN ('BlobFile',"
                               " 'BlobFile_name', 'sqlite_autoindex_BlobFile_1') ORDER BY name, path"));
        QMap<QString, qint64> last;
        while (query.next())
            last.insert(query.value(0).toString(), query.value(1).toLongLong());
        damaged = last.values();
    }
    QSqlDatabase::removeDatabase("pages");
    ASSERT_EQ(damaged.size(), 3);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    for (const qint64 page : std::as_const(damaged)) {
        ASSERT_TRUE(file.seek((page - 1) * pageSize));
        file.write(QByteArray(pageSize, '\xff'));
    }
    file.close();

    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const int files = int(blobFiles(container).size());
    EXPECT_EQ(files, 300);
    EXPECT_EQ(store.removeOrphanedFiles(), 0);
    EXPECT_EQ(blobFiles(container).size(), files);
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
    MainStoreContainer container(dir.path());
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
        MainStoreContainer container(dir.path());
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
    MainStoreContainer container(dir.path());
    ASSERT_FALSE(container.movedAsidePath().isEmpty());
    EXPECT_EQ(QDir(container.movedAsidePath() + "-blobs").entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(QDir(container.blobFolder()).entryList(QDir::Files).isEmpty());
}

TEST(ClipboardItemStore, EmptyFolderGivesAStoreInMemory)
{
    MainStoreContainer container{QString()};
    EXPECT_TRUE(container.isInMemory());
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
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    // The value folder now leads somewhere nobody may write, root included.
    ASSERT_TRUE(QDir(container.blobFolder()).removeRecursively());
    ASSERT_TRUE(QFile::link(QStringLiteral("/sys"), container.blobFolder()));
    QString error;
    EXPECT_FALSE(store.save({makeImageItem(QDateTime::currentDateTimeUtc())}, {}, &error));
    // The folder is named, not a file in it: the same condition reads the same for every copy.
    EXPECT_TRUE(error == QStringLiteral("permission denied on ") + container.blobFolder()
                || error == container.blobFolder() + QStringLiteral(" is on a read-only file system"))
        << error.toStdString();
    EXPECT_TRUE(store.fetchAll().isEmpty());
}

namespace {

ClipboardItem itemWith(const QString &text, const QByteArray &image, const QList<PasteboardRepresentation> &reps)
{
    ClipboardItem item(QUuid::createUuid());
    item.setDate(QDateTime::currentDateTimeUtc());
    item.setTypeRawValue(image.isEmpty() ? QStringLiteral("text") : QStringLiteral("image"));
    item.setText(text);
    item.setImageData(image);
    PasteboardPayload payload;
    payload.items.append(PasteboardPayloadItem{reps});
    item.setPayload(payload);
    return item;
}

PasteboardRepresentation rep(const QString &type, const QByteArray &data)
{
    return {type, data, data.size(), std::nullopt};
}

struct SharingCase {
    const char *name;
    std::function<QList<ClipboardItem>()> items;
    int files;          // value files after saving them all
    int filesAfterLast; // after deleting all but the last one
};

class ValueFileSharing : public testing::TestWithParam<SharingCase> {};

} // namespace

TEST_P(ValueFileSharing, EqualBytesAreKeptOnceAndGoWithTheLastItemThatNamesThem)
{
    const SharingCase c = GetParam();
    QTemporaryDir dir;
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const QList<ClipboardItem> items = c.items();
    for (const ClipboardItem &item : items)
        ASSERT_TRUE(store.save({item}, {}));
    EXPECT_EQ(blobFiles(container).size(), c.files);
    QList<QUuid> allButLast;
    for (int i = 0; i + 1 < items.size(); ++i)
        allButLast.append(items[i].id());
    ASSERT_TRUE(store.save({}, allButLast));
    EXPECT_EQ(blobFiles(container).size(), c.filesAfterLast);
    // What is left still reads as it was saved.
    const QList<ClipboardItem> left = store.fetchAll();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].imageData(), items.last().imageData());
    EXPECT_EQ(left[0].payload(), items.last().payload());
    ASSERT_TRUE(store.save({}, {items.last().id()}));
    EXPECT_TRUE(blobFiles(container).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueFileSharing,
    testing::Values(
        SharingCase{"texts_keep_everything_in_their_rows",
                    [] {
                        QList<ClipboardItem> items;
                        for (int i = 0; i < 20; ++i) {
                            const QString text = QStringLiteral("copy %1 ").arg(i).repeated(100);
                            items.append(itemWith(text, {}, {rep(PasteboardType::plainText, text.toUtf8()),
                                                             rep(PasteboardType::html, "<p>" + text.toUtf8())}));
                        }
                        return items;
                    },
                    0, 0},
        SharingCase{"an_image_copied_twice",
                    [] {
                        const QByteArray png(60'000, 'p');
                        return QList<ClipboardItem>{itemWith({}, png, {rep(PasteboardType::png, png)}),
                                                    itemWith({}, png, {rep(PasteboardType::png, png)})};
                    },
                    1, 1},
        SharingCase{"a_large_format_in_two_copies",
                    [] {
                        const QByteArray html(200'000, 'h');
                        return QList<ClipboardItem>{
                            itemWith("a", {}, {rep(PasteboardType::plainText, "a"), rep(PasteboardType::html, html)}),
                            itemWith("b", {}, {rep(PasteboardType::plainText, "b"), rep(PasteboardType::html, html)})};
                    },
                    1, 1},
        SharingCase{"different_images",
                    [] {
                        return QList<ClipboardItem>{
                            itemWith({}, QByteArray(30'000, '1'), {rep(PasteboardType::png, QByteArray(30'000, '1'))}),
                            itemWith({}, QByteArray(30'000, '2'), {rep(PasteboardType::png, QByteArray(30'000, '2'))})};
                    },
                    2, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClipboardItemStore, BytesAreNotHeldInMemoryOnceSaved)
{
    QTemporaryDir dir;
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const QByteArray png(1'000'000, 'p');
    const QByteArray html(100'000, 'h');
    const ClipboardItem item = itemWith({}, png, {rep(PasteboardType::png, png), rep(PasteboardType::html, html)});
    const ClipboardItem copy = item; // the history's copy shares the blobs
    ASSERT_TRUE(copy.imageBlob()->isLoaded());
    ASSERT_TRUE(store.save({item}, {}));
    EXPECT_FALSE(copy.imageBlob()->isLoaded());
    EXPECT_FALSE(copy.payloadBlob()->isLoaded());
    EXPECT_EQ(copy.imageData(), png);
    ASSERT_TRUE(copy.payload().has_value());
    EXPECT_EQ(copy.payload()->items[0].representations[1].data, html);
}

TEST(ClipboardItemStore, AStagedCaptureIsSavedWithoutWritingItsBytesAgain)
{
    QTemporaryDir dir;
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const QByteArray png(500'000, 'p');
    const ClipboardItem older = itemWith({}, png, {rep(PasteboardType::png, png)});
    ASSERT_TRUE(store.save({older}, {}));

    ClipboardCapture capture;
    capture.type = ClipboardItemType::image;
    capture.imageData = png;
    capture.payload.items.append(PasteboardPayloadItem{{rep(PasteboardType::png, png),
                                                        rep(PasteboardType::html, QByteArray(40'000, 'h'))}});
    store.stage(capture);
    ASSERT_TRUE(capture.imageBlob && capture.payloadBlob);
    EXPECT_FALSE(capture.contentDigest.isEmpty());
    EXPECT_FALSE(capture.imageBlob->isLoaded());
    EXPECT_FALSE(capture.payloadBlob->isLoaded());
    const QStringList staged = blobFiles(container);
    EXPECT_EQ(staged.size(), 2); // the image (shared with the older copy) and the HTML

    // The older copy goes before the staged one is saved: the file they share stays.
    ASSERT_TRUE(store.save({}, {older.id()}));
    EXPECT_EQ(blobFiles(container), staged);

    ClipboardItem item(QUuid::createUuid());
    item.setDate(QDateTime::currentDateTimeUtc());
    item.setTypeRawValue(QStringLiteral("image"));
    item.setImageBlob(capture.imageBlob);
    item.setPayloadBlob(capture.payloadBlob);
    QMap<QString, QDateTime> written;
    for (const QString &name : staged)
        written.insert(name, QFileInfo(QDir(container.blobFolder()).filePath(name)).lastModified());
    ASSERT_TRUE(store.save({item}, {}));
    for (const QString &name : staged)
        EXPECT_EQ(QFileInfo(QDir(container.blobFolder()).filePath(name)).lastModified(), written.value(name));
    const ClipboardItem loaded = store.fetchAll().at(0);
    EXPECT_EQ(loaded.imageData(), png);
    EXPECT_EQ(loaded.payload(), capture.payload);
}

TEST(ClipboardItemStore, FilesOfACaptureThatWasNeverSavedGoAtTheNextStart)
{
    QTemporaryDir dir;
    {
        MainStoreContainer container(dir.path());
        ClipboardItemStore store(container);
        ClipboardCapture capture;
        capture.type = ClipboardItemType::image;
        capture.imageData = QByteArray(100'000, 'x');
        capture.payload.items.append(PasteboardPayloadItem{{rep(PasteboardType::png, capture.imageData)}});
        store.stage(capture); // and then the program ended before the history saved it
        EXPECT_EQ(blobFiles(container).size(), 1);
    }
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    EXPECT_EQ(store.removeOrphanedFiles(), 1);
    EXPECT_TRUE(blobFiles(container).isEmpty());
}

namespace {

// An older store file: its version, and what that version added to the first one's tables.
struct OlderStore {
    const char *name;
    int version;
    QStringList additions;
};

class OlderStores : public testing::TestWithParam<OlderStore> {};

} // namespace

TEST_P(OlderStores, OpenWithEverythingInThem)
{
    const OlderStore older = GetParam();
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("default.store");
    const QString blobs = path + "-blobs";
    ASSERT_TRUE(QDir().mkpath(blobs));
    // As the first version wrote it: one image file and one payload file per item.
    const QByteArray png(8000, 'p');
    PasteboardPayload imagePayload;
    imagePayload.items.append(PasteboardPayloadItem{{rep(PasteboardType::png, png)}});
    PasteboardPayload textPayload;
    const QString oldText = QStringLiteral("old text, long enough to be kept compressed once saved again. ").repeated(12);
    textPayload.items.append(PasteboardPayloadItem{{rep(PasteboardType::plainText, oldText.toUtf8())}});
    writeFile(QDir(blobs).filePath("img.image"), png);
    writeFile(QDir(blobs).filePath("img.payload"), imagePayload.encoded());
    writeFile(QDir(blobs).filePath("txt.payload"), textPayload.encoded());
    QStringList statements{
        "CREATE TABLE ClipboardItem (id TEXT PRIMARY KEY NOT NULL, text TEXT NOT NULL DEFAULT '', label TEXT,"
        " date INTEGER NOT NULL, lastUsedAt INTEGER, typeRawValue TEXT NOT NULL, filePath TEXT, filePathsData BLOB,"
        " fileName TEXT, fileSize INTEGER NOT NULL DEFAULT 0, imageFile TEXT, imageByteCount INTEGER NOT NULL DEFAULT 0,"
        " payloadFile TEXT, payloadByteCount INTEGER NOT NULL DEFAULT 0, sourceBundleIdentifier TEXT,"
        " sourceApplicationName TEXT, contentDigest BLOB, aiTitle TEXT, aiSummary TEXT, aiCategory TEXT,"
        " aiTagsData BLOB, aiExtractedText TEXT, aiIsSensitive INTEGER NOT NULL DEFAULT 0, aiAnalyzedAt INTEGER,"
        " aiAnalysisVersion INTEGER NOT NULL DEFAULT 0)",
        "CREATE INDEX ClipboardItem_date ON ClipboardItem(date DESC)",
        QString("INSERT INTO ClipboardItem (id, text, date, typeRawValue, imageFile, imageByteCount, payloadFile,"
                " payloadByteCount) VALUES ('11111111-1111-1111-1111-111111111111', '', 2000, 'image', 'img.image', %1,"
                " 'img.payload', %2)")
            .arg(png.size())
            .arg(imagePayload.encoded().size()),
        QString("INSERT INTO ClipboardItem (id, text, date, typeRawValue, payloadFile, payloadByteCount) VALUES"
                " ('22222222-2222-2222-2222-222222222222', '%2', 1000, 'text', 'txt.payload', %1)")
            .arg(textPayload.encoded().size())
            .arg(oldText),
    };
    statements += older.additions;
    statements.append(QString("PRAGMA user_version = %1").arg(older.version));
    makeDatabase(path, statements);

    MainStoreContainer container(dir.path());
    EXPECT_EQ(container.status().outcome, StoreStatus::Outcome::opened);
    EXPECT_TRUE(container.movedAsidePath().isEmpty());
    ClipboardItemStore store(container);
    EXPECT_EQ(store.removeOrphanedFiles(), 0); // the old files belong to their items
    const QList<ClipboardItem> items = store.fetchAll();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].imageData(), png);
    EXPECT_EQ(items[0].payload(), imagePayload);
    EXPECT_EQ(items[1].text(), oldText);
    EXPECT_EQ(items[1].payload(), textPayload);

    // The old items change and go as any other; a new one is stored the new way.
    ClipboardItem relabelled = items[1];
    relabelled.setLabel("kept");
    ASSERT_TRUE(store.save({relabelled}, {items[0].id()}));
    EXPECT_EQ(blobFiles(container), QStringList{"txt.payload"});
    ASSERT_TRUE(store.save({itemWith("new", {}, {rep(PasteboardType::plainText, "new")})}, {}));
    const QList<ClipboardItem> now = store.fetchAll();
    ASSERT_EQ(now.size(), 2);
    EXPECT_EQ(now.at(1).text(), oldText);
    EXPECT_EQ(now.at(1).label(), "kept");
    EXPECT_EQ(now.at(1).payload(), textPayload);

    // A compressed text that no longer reads leaves its item out, and in the store as it is.
    QSqlQuery damage(container.database());
    ASSERT_TRUE(damage.exec("UPDATE ClipboardItem SET compressedText = substr(compressedText, 1, 20)"
                            " WHERE id = '22222222-2222-2222-2222-222222222222' AND length(compressedText) > 20"));
    ASSERT_EQ(damage.numRowsAffected(), 1);
    EXPECT_EQ(store.fetchAll().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OlderStores,
    testing::Values(OlderStore{"first_version", 1, {}},
                    OlderStore{"second_version", 2,
                               {"ALTER TABLE ClipboardItem ADD COLUMN payloadRecord BLOB",
                                "CREATE TABLE BlobFile (itemId TEXT NOT NULL, name TEXT NOT NULL, PRIMARY KEY (itemId, name))",
                                "CREATE INDEX BlobFile_name ON BlobFile(name)",
                                "INSERT INTO BlobFile (itemId, name) VALUES"
                                " ('11111111-1111-1111-1111-111111111111', 'img.image'),"
                                " ('11111111-1111-1111-1111-111111111111', 'img.payload'),"
                                " ('22222222-2222-2222-2222-222222222222', 'txt.payload')"}}),
    [](const auto &info) { return std::string(info.param.name); });

namespace {

// A compressed text that declares more than a copy may hold is refused before any room is made for it (a
// hand-made cell of a few bytes may declare gigabytes): its item is left out, the others load.
TEST(ClipboardItemStore, ACompressedTextLongerThanACopyMayHoldIsLeftOut)
{
    QTemporaryDir dir;
    MainStoreContainer container(dir.path());
    ClipboardItemStore store(container);
    const QString text = QString("a long copy ").repeated(100);
    const ClipboardItem kept = itemWith(text, {}, {rep(PasteboardType::plainText, text.toUtf8())});
    const ClipboardItem swollen = itemWith(text + "!", {}, {rep(PasteboardType::plainText, text.toUtf8() + "!")});
    ASSERT_TRUE(store.save({kept, swollen}, {}));
    QSqlQuery swell(container.database());
    ASSERT_TRUE(swell.prepare("UPDATE ClipboardItem SET compressedText = ? WHERE id = ?"));
    swell.addBindValue(CompressedText::compress(QByteArray(PasteboardManager::captureByteBudget + 1, 'a')));
    swell.addBindValue(swollen.id().toString(QUuid::WithoutBraces));
    ASSERT_TRUE(swell.exec());
    ASSERT_EQ(swell.numRowsAffected(), 1);
    const QList<ClipboardItem> items = store.fetchAll();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].id(), kept.id());
    EXPECT_EQ(items[0].text(), text);
}

} // namespace
