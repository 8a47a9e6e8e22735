// What the main store says when its folder or file cannot be used: what happened and why, in plain words,
// never an action that did not happen, and the data left where it was unless moving it helps.
#include "model/MainStoreContainer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder Tavlen may not write in. Root may write anywhere on a normal disk, but not into /sys (where the
// system answers "operation not permitted", or "read-only file system" when /sys is mounted read-only).
QString forbiddenFolder(const QTemporaryDir &dir)
{
    if (::geteuid() == 0)
        return QStringLiteral("/sys/tavlen-test/data");
    const QString locked = QDir(dir.path()).filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return QDir(locked).filePath(QStringLiteral("data"));
}

struct FolderCase {
    const char *name;
    // Prepares the temporary directory and answers the data folder to open.
    std::function<QString(const QTemporaryDir &)> prepare;
    StoreStatus::Outcome outcome;
    QStringList causeIsOneOf; // %1 is the temporary directory; empty: no cause
    QString detailContains;
};

class StoreFolderTest : public ::testing::TestWithParam<FolderCase> {};

} // namespace

TEST_P(StoreFolderTest, SaysWhatHappenedAndWhy)
{
    const FolderCase c = GetParam();
    QTemporaryDir dir;
    const QString folder = c.prepare(dir);
    MainStoreContainer container(folder);
    // As the history does once it has read the store, before it writes.
    container.confirmIntact();
    const StoreStatus &status = container.status();
    EXPECT_EQ(status.outcome, c.outcome);
    EXPECT_EQ(container.isInMemory(), !status.keepsCopiesOnDisk() && status.outcome != StoreStatus::Outcome::readOnly);
    QStringList causes;
    for (const QString &cause : c.causeIsOneOf)
        causes.append(cause.contains(QLatin1String("%1")) ? cause.arg(dir.path()) : cause);
    if (causes.isEmpty()) {
        EXPECT_TRUE(status.cause.isEmpty()) << status.cause.toStdString();
    } else {
        EXPECT_TRUE(causes.contains(status.cause)) << status.cause.toStdString();
    }
    EXPECT_TRUE(status.detail.contains(c.detailContains)) << status.detail.toStdString();

    const QString message = status.message();
    if (!causes.isEmpty()) {
        EXPECT_TRUE(message.contains(status.cause)) << message.toStdString();
    }
    switch (c.outcome) {
    case StoreStatus::Outcome::opened:
        EXPECT_EQ(message, QStringLiteral("Copies are kept in the history store at %1.").arg(status.storePath));
        break;
    case StoreStatus::Outcome::movedAside:
        // Moved for real, and said so with the place.
        EXPECT_TRUE(QFileInfo::exists(status.movedTo));
        EXPECT_TRUE(message.contains(QStringLiteral("was moved to ") + status.movedTo)) << message.toStdString();
        break;
    case StoreStatus::Outcome::readOnly:
    case StoreStatus::Outcome::inMemory:
    case StoreStatus::Outcome::inMemoryByRequest:
        EXPECT_TRUE(message.contains(QStringLiteral("kept in memory only until Tavlen quits"))) << message.toStdString();
        EXPECT_FALSE(message.contains(QStringLiteral("moved"))) << message.toStdString();
        EXPECT_TRUE(container.movedAsidePath().isEmpty());
        break;
    }
    // The database's own words come only as detail, after the plain cause.
    if (!status.detail.isEmpty()) {
        EXPECT_TRUE(message.endsWith(QStringLiteral("(Details: %1)").arg(status.detail))) << message.toStdString();
    }
    // Whatever store Tavlen ended up with works.
    QSqlQuery query(container.database());
    EXPECT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM ClipboardItem")));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, StoreFolderTest,
    ::testing::Values(
        FolderCase{"healthy", [](const QTemporaryDir &d) { return d.path(); }, StoreStatus::Outcome::opened, {}, {}},
        FolderCase{"created_with_its_parents",
                   [](const QTemporaryDir &d) { return QDir(d.path()).filePath(QStringLiteral("a/b/c")); },
                   StoreStatus::Outcome::opened, {}, {}},
        FolderCase{"plain_file_in_place_of_the_folder",
                   [](const QTemporaryDir &d) {
                       const QString folder = QDir(d.path()).filePath(QStringLiteral("data"));
                       writeFile(folder, "my notes");
                       return folder;
                   },
                   StoreStatus::Outcome::inMemory, {QStringLiteral("%1/data is a file, not a folder")}, {}},
        FolderCase{"plain_file_in_place_of_a_parent",
                   [](const QTemporaryDir &d) {
                       writeFile(QDir(d.path()).filePath(QStringLiteral("share")), "x");
                       return QDir(d.path()).filePath(QStringLiteral("share/trevik.tavlen"));
                   },
                   StoreStatus::Outcome::inMemory, {QStringLiteral("%1/share is a file, not a folder")}, {}},
        FolderCase{"no_permission",
                   [](const QTemporaryDir &d) { return forbiddenFolder(d); },
                   StoreStatus::Outcome::inMemory,
                   {QStringLiteral("permission denied on %1/locked"), QStringLiteral("permission denied on /sys"),
                    QStringLiteral("/sys/tavlen-test is on a read-only file system")},
                   {}},
        FolderCase{"full_disk",
                   [](const QTemporaryDir &d) {
                       // Every write to /dev/full fails with "no space left on device".
                       QFile::link(QStringLiteral("/dev/full"), QDir(d.path()).filePath(QStringLiteral("default.store")));
                       return d.path();
                   },
                   StoreStatus::Outcome::inMemory, {QStringLiteral("the disk is full")},
                   QStringLiteral("database or disk is full")},
        FolderCase{"value_folder_is_a_file",
                   [](const QTemporaryDir &d) {
                       writeFile(QDir(d.path()).filePath(QStringLiteral("default.store-blobs")), "x");
                       return d.path();
                   },
                   StoreStatus::Outcome::readOnly, {QStringLiteral("%1/default.store-blobs is a file, not a folder")},
                   {}},
        FolderCase{"damaged_store",
                   [](const QTemporaryDir &d) {
                       writeFile(QDir(d.path()).filePath(QStringLiteral("default.store")), QByteArray(8192, 'x'));
                       return d.path();
                   },
                   StoreStatus::Outcome::movedAside,
                   {QStringLiteral("the file is damaged or is not a Tavlen store")}, QStringLiteral("not a database")},
        FolderCase{"store_whose_list_of_tables_is_damaged",
                   [](const QTemporaryDir &d) {
                       { MainStoreContainer store(d.path()); }
                       const QString path = QDir(d.path()).filePath(QStringLiteral("default.store"));
                       QFile file(path);
                       if (file.open(QIODevice::ReadWrite) && file.seek(100))
                           file.write("\xff\xff\xff\xff");
                       return d.path();
                   },
                   StoreStatus::Outcome::movedAside,
                   {QStringLiteral("the file is damaged or is not a Tavlen store")}, QStringLiteral("malformed")},
        FolderCase{"in_memory_by_request", [](const QTemporaryDir &) { return QString(); },
                   StoreStatus::Outcome::inMemoryByRequest, {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StoreFolder, AStoreThatCannotBeWrittenWhereItIsIsReadAndLeftWhole)
{
    QTemporaryDir dir;
    // A store with one item that cannot be written now: it is read, and stays as it was for the next start.
    {
        MainStoreContainer container(dir.path());
        QSqlQuery query(container.database());
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO ClipboardItem (id, text, date, typeRawValue)"
                                              " VALUES ('a', 'kept', 1, 'text')")));
    }
    const QString store = QDir(dir.path()).filePath(QStringLiteral("default.store"));
    const QByteArray before = readFile(store);
    QFile::remove(store + QStringLiteral("-wal"));
    const QString blobs = store + QStringLiteral("-blobs");
    ASSERT_TRUE(QDir(blobs).removeRecursively());
    writeFile(blobs, "in the way");

    MainStoreContainer container(dir.path());
    EXPECT_EQ(container.status().outcome, StoreStatus::Outcome::readOnly);
    QSqlQuery query(container.database());
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT text FROM ClipboardItem")) && query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("kept"));
    EXPECT_FALSE(query.exec(QStringLiteral("DELETE FROM ClipboardItem")));
    query.finish();
    EXPECT_EQ(readFile(store), before);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.unusable-*")}).isEmpty());
}
