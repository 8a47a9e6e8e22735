// Remembered-value records: their use and login lists, and the field-value store file they live in (what
// survives a reopen exactly, the fetch order, the pending-secret notes, and files that cannot be used).
#include "model/FieldValueAssociation.h"
#include "model/FieldValueAssociationContainer.h"
#include "model/JsonListCoding.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <limits>

namespace {

const QDateTime t0(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

FocusedFieldDescriptor loginField()
{
    FocusedFieldDescriptor field;
    field.applicationId = "org.example.browser";
    field.webOrigin = "https://shop.example.com";
    field.domIdentifier = "user";
    field.role = "AXTextField";
    field.fieldType = "Login";
    return field;
}

TEST(FieldValueAssociation, NewRecordTakesTheFieldAndItsFingerprint)
{
    FocusedFieldDescriptor field = loginField();
    field.title = "";
    const auto record = FieldValueAssociation::make(field, "", "ACCOUNT", "fp", 1, t0);
    EXPECT_FALSE(record.id.isNull());
    EXPECT_EQ(record.fingerprint, field.fingerprint());
    EXPECT_EQ(record.fieldDescriptor(), field);
    EXPECT_EQ(record.createdAt, t0);
    EXPECT_EQ(record.updatedAt, t0);
    EXPECT_FALSE(record.lastUsedAt);
    EXPECT_FALSE(record.recentUsageDatesData);
    EXPECT_NE(FieldValueAssociation::make(field, "", "A", "fp", 1, t0).id, record.id);
}

TEST(FieldValueAssociation, UseDatesStayNewestFirst)
{
    FieldValueAssociation record;
    record.recordUse(t0);
    record.recordUse(t0.addSecs(60));
    // A date from the past (a clock that was set back) still lands in order.
    record.recordUse(t0.addSecs(30));
    EXPECT_EQ(record.recentUsageDates(), (QList<QDateTime>{t0.addSecs(60), t0.addSecs(30), t0}));
    // Stored as seconds since 2001-01-01.
    const QByteArray data = JsonListCoding::encodeDates({QDateTime(QDate(2001, 1, 1), QTime(0, 1), Qt::UTC)});
    EXPECT_EQ(data, "[60]");
}

TEST(FieldValueAssociation, LoginListMovesToFrontAndKeepsTwenty)
{
    FieldValueAssociation record;
    record.recordCredentialLoginValue("");
    EXPECT_FALSE(record.credentialLoginValueFingerprintsData);
    for (int i = 1; i <= 21; ++i)
        record.recordCredentialLoginValue(QString::number(i));
    QStringList logins = record.credentialLoginValueFingerprints();
    ASSERT_EQ(logins.size(), 20);
    EXPECT_EQ(logins.first(), "21");
    EXPECT_EQ(logins.last(), "2"); // the oldest went
    record.recordCredentialLoginValue("5");
    logins = record.credentialLoginValueFingerprints();
    EXPECT_EQ(logins.size(), 20);
    EXPECT_EQ(logins.first(), "5");
    EXPECT_EQ(logins.count("5"), 1);
}

TEST(FieldValueAssociation, UndecodableListsReadEmpty)
{
    FieldValueAssociation record;
    record.recentUsageDatesData = QByteArray("not json");
    record.credentialLoginValueFingerprintsData = QByteArray("{\"a\":1}");
    EXPECT_TRUE(record.recentUsageDates().isEmpty());
    EXPECT_TRUE(record.credentialLoginValueFingerprints().isEmpty());
    record.recentUsageDatesData = QByteArray("[1, \"x\"]");
    EXPECT_TRUE(record.recentUsageDates().isEmpty());
    // A use on top of unreadable data starts the list afresh.
    record.recordUse(t0);
    EXPECT_EQ(record.recentUsageDates(), QList<QDateTime>{t0});
}

FieldValueAssociation storedRecord(const QString &account, const std::optional<QDateTime> &lastUsedAt,
                                   const QDateTime &updatedAt)
{
    FieldValueAssociation record = FieldValueAssociation::make(loginField(), "", account, "vfp", 1, t0);
    record.lastUsedAt = lastUsedAt;
    record.updatedAt = updatedAt;
    return record;
}

TEST(FieldValueAssociationContainer, RecordsSurviveAReopenExactly)
{
    QTemporaryDir dir;
    FieldValueAssociation record = storedRecord("A", t0.addSecs(5), t0.addSecs(5));
    record.title = "";            // empty stays empty...
    record.placeholder.reset();   // ...and absent stays absent
    record.displayLabel = "Work";
    record.pasteCount = std::numeric_limits<qint64>::max();
    record.recordUse(t0.addSecs(5));
    record.recordCredentialLoginValue("login");
    {
        FieldValueAssociationContainer container(dir.path());
        ASSERT_FALSE(container.isInMemory());
        EXPECT_EQ(QFileInfo(container.storePath()).fileName(), "focused-field-associations.store");
        ASSERT_TRUE(container.save({record}, {}));
    }
    FieldValueAssociationContainer container(dir.path());
    EXPECT_TRUE(container.movedAsidePath().isEmpty());
    const auto records = container.fetchAll();
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 1);
    EXPECT_EQ(records->first(), record);
}

TEST(FieldValueAssociationContainer, FetchOrderIsLastUseThenUpdate)
{
    QTemporaryDir dir;
    FieldValueAssociationContainer container(dir.path());
    const auto neverUsedNew = storedRecord("never-new", std::nullopt, t0.addSecs(50));
    const auto usedOld = storedRecord("used-old", t0.addSecs(10), t0.addSecs(10));
    const auto usedNew = storedRecord("used-new", t0.addSecs(20), t0.addSecs(1));
    const auto usedNewUpdatedLater = storedRecord("used-new-later", t0.addSecs(20), t0.addSecs(2));
    const auto neverUsedOld = storedRecord("never-old", std::nullopt, t0);
    ASSERT_TRUE(container.save({neverUsedNew, usedOld, usedNew, usedNewUpdatedLater, neverUsedOld}, {}));
    QStringList order;
    const auto records = container.fetchAll();
    ASSERT_TRUE(records);
    for (const auto &record : *records)
        order.append(record.keychainAccount);
    EXPECT_EQ(order, (QStringList{"used-new-later", "used-new", "used-old", "never-new", "never-old"}));
}

TEST(FieldValueAssociationContainer, PendingSecretsEndWithTheirRecord)
{
    QTemporaryDir dir;
    FieldValueAssociationContainer container(dir.path());
    ASSERT_TRUE(container.addPendingSecret("A"));
    ASSERT_TRUE(container.addPendingSecret("B"));
    ASSERT_TRUE(container.save({storedRecord("A", t0, t0)}, {}, {{"fact", "1"}}));
    EXPECT_EQ(container.pendingSecrets(), QStringList{"B"});
    EXPECT_EQ(container.fact("fact"), "1");
    EXPECT_EQ(container.fact("other"), std::nullopt);
    ASSERT_TRUE(container.removePendingSecret("B"));
    EXPECT_EQ(container.pendingSecrets(), QStringList{});
}

TEST(FieldValueAssociationContainer, AFailedSaveChangesNothing)
{
    QTemporaryDir dir;
    FieldValueAssociationContainer container(dir.path());
    const auto kept = storedRecord("A", t0, t0);
    ASSERT_TRUE(container.save({kept}, {}));
    ASSERT_TRUE(container.addPendingSecret("B"));
    // The facts table is gone: the whole transaction must roll back.
    ASSERT_TRUE(QSqlQuery(container.database()).exec("ALTER TABLE StoreFact RENAME TO Hidden"));
    QString error;
    EXPECT_FALSE(container.save({storedRecord("B", t0, t0)}, {kept.id}, {{"fact", "1"}}, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(QSqlQuery(container.database()).exec("ALTER TABLE Hidden RENAME TO StoreFact"));
    ASSERT_EQ(container.fetchAll()->size(), 1);
    EXPECT_EQ(container.fetchAll()->first(), kept);
    EXPECT_EQ(container.pendingSecrets(), QStringList{"B"});
    EXPECT_EQ(container.fact("fact"), std::nullopt);
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

struct BadFile {
    const char *name;
    void (*make)(const QString &path);
};

class UnusableFieldValueStore : public testing::TestWithParam<BadFile> {};

TEST_P(UnusableFieldValueStore, IsMovedAsideKeptWholeAndAFreshOneStarts)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(FieldValueAssociationContainer::storeFileName());
    GetParam().make(path);
    QFile original(path);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();

    FieldValueAssociationContainer container(dir.path());
    EXPECT_FALSE(container.isInMemory());
    ASSERT_FALSE(container.movedAsidePath().isEmpty());
    QFile moved(container.movedAsidePath());
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), bytes);
    EXPECT_EQ(container.fetchAll(), QList<FieldValueAssociation>{});
    EXPECT_TRUE(container.save({storedRecord("A", t0, t0)}, {}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableFieldValueStore,
    testing::Values(
        BadFile{"Garbage", [](const QString &p) { writeFile(p, QByteArray(8192, 'x')); }},
        BadFile{"NewerSchema", [](const QString &p) { makeDatabase(p, {"CREATE TABLE t(x)", "PRAGMA user_version = 9"}); }},
        BadFile{"HistoryStoreInItsPlace",
                [](const QString &p) { makeDatabase(p, {"CREATE TABLE ClipboardItem(id TEXT)"}); }},
        BadFile{"MissingColumns", [](const QString &p) {
                    makeDatabase(p, {"CREATE TABLE FieldValueAssociation(id TEXT)", "CREATE TABLE PendingSecret(account)",
                                     "CREATE TABLE StoreFact(key, value)", "PRAGMA user_version = 1"});
                }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
