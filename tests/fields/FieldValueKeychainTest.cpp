// Remembered values in the secret store: exact bytes both ways, what counts as unreadable, items kept
// apart by service and labelled without the value, and values that wait while the keyring does not answer.
#include "DesktopTest.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FieldValueKeychain.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimSecretStore.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Value {
    const char *name;
    QString value;
};

class KeychainRoundTrip : public testing::TestWithParam<Value> {};

TEST_P(KeychainRoundTrip, ValueComesBackAsItWentIn)
{
    SimSecretStore secrets;
    FieldValueKeychain keychain(secrets);
    const QString value = GetParam().value;
    ASSERT_EQ(keychain.save(value, "ACCOUNT"), SecretStoreStatus::success);
    const SimSecretStore::Key key{FieldValueKeychain::defaultService(), "ACCOUNT"};
    // UTF-8 exactly: no terminator, nothing trimmed.
    EXPECT_EQ(secrets.items.value(key), value.toUtf8());
    EXPECT_EQ(keychain.read("ACCOUNT"), value);
    // Keyring managers show the same fixed label for every value.
    EXPECT_EQ(secrets.labels.value(key), FieldValueKeychain::valueLabel());
}

INSTANTIATE_TEST_SUITE_P(
    Values, KeychainRoundTrip,
    testing::Values(Value{"SpacesAround", " a "}, Value{"OnlyNewlines", "\n\nx\n"},
                    Value{"Nul", QString::fromUtf16(u"a\u0000b", 3)},
                    Value{"ByteOrderMarkFirst", QString::fromUtf16(u"\uFEFFvalue")},
                    Value{"Emoji", QString::fromUtf16(u"\U0001F469\u200D\U0001F4BB ok")},
                    Value{"RightToLeft", QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD 12")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FieldValueKeychain, UnreadableValuesAreNothing)
{
    SimSecretStore secrets;
    FieldValueKeychain keychain(secrets);
    const QString service = FieldValueKeychain::defaultService();
    secrets.items.insert({service, "broken"}, QByteArray("\xc3\x28", 2));
    secrets.items.insert({service, "empty"}, QByteArray());
    EXPECT_EQ(keychain.read("broken"), std::nullopt);
    EXPECT_EQ(keychain.read("missing"), std::nullopt);
    EXPECT_EQ(keychain.read("empty"), QString());

    secrets.items.insert({service, "kept"}, "v");
    secrets.state = SimSecretStore::State::locked;
    EXPECT_EQ(keychain.read("kept"), std::nullopt);
    EXPECT_EQ(keychain.save("w", "kept"), SecretStoreStatus::failure);
    secrets.state = SimSecretStore::State::available;
    EXPECT_EQ(keychain.read("kept"), "v");
}

TEST(FieldValueKeychain, OtherServicesAreNeverTouched)
{
    SimSecretStore secrets;
    FieldValueKeychain ours(secrets);
    FieldValueKeychain theirs(secrets, "org.example.other");
    ASSERT_EQ(ours.save("mine", "A"), SecretStoreStatus::success);
    EXPECT_EQ(theirs.read("A"), std::nullopt);
    EXPECT_EQ(theirs.remove("A"), SecretStoreStatus::itemNotFound);
    EXPECT_EQ(ours.save("again", "A"), SecretStoreStatus::success);
    EXPECT_EQ(secrets.items.size(), 1);
    EXPECT_EQ(ours.read("A"), "again");
    EXPECT_EQ(ours.remove("A"), SecretStoreStatus::success);
    EXPECT_TRUE(secrets.items.isEmpty());
}

TEST(FieldValueKeychain, TheFingerprintKeyIsAnItemOfItsOwn)
{
    SimSecretStore secrets;
    FieldValueKeychain keychain(secrets);
    EXPECT_EQ(keychain.readFingerprintKey().status, SecretStoreStatus::itemNotFound);
    const QByteArray key(32, '\0');
    ASSERT_EQ(keychain.saveFingerprintKey(key), SecretStoreStatus::success);
    EXPECT_EQ(keychain.readFingerprintKey().secret, key);
    // Its account can never be a value's (those are upper-case UUIDs).
    EXPECT_NE(FieldValueKeychain::fingerprintKeyAccount(), FieldValueKeychain::fingerprintKeyAccount().toUpper());
}

// Values copied while the keyring is left alone after it did not answer (its calls fail at once) or is locked
// wait in memory, and are
// written once it answers: when it is next asked, or with the next value copied.
struct Outage {
    const char *name;
    std::function<void(SimSecretStore &)> begin;
    std::function<void(SimSecretStore &)> end;
    bool writtenWithTheNextValue;
};

class KeyringOutage : public testing::TestWithParam<Outage> {};

TEST_P(KeyringOutage, ValuesCopiedMeanwhileAreWrittenOnceItAnswers)
{
    QTemporaryDir dir;
    SimClock clock;
    SimSecretStore secrets;
    FieldValueAssociationService service(dir.path(), secrets, clock);
    const auto field = [](const QString &kind) {
        FocusedFieldDescriptor descriptor;
        descriptor.applicationId = "org.example.mail";
        descriptor.title = kind;
        descriptor.role = "AXTextField";
        descriptor.fieldType = kind;
        return descriptor;
    };
    ASSERT_EQ(DesktopTest::finish(service.fetchAssociations()), true);
    ASSERT_EQ(DesktopTest::finish(service.recordValue("before", field("login"))), true);

    GetParam().begin(secrets);
    EXPECT_EQ(DesktopTest::finish(service.recordValue("alice@example.org", field("email"))), false);
    EXPECT_EQ(DesktopTest::finish(service.recordValue("hunter2", field("password"))), false);
    // A worker that answers before the caller awaits it leaves the count to the update it posted.
    TAVLEN_WAIT_UNTIL(service.pendingOperations() == 0, 5000);
    EXPECT_EQ(service.waitingValues(), 2);
    clock.advance(FieldValueAssociationService::retryInterval); // asked again, still not answering
    TAVLEN_WAIT_UNTIL(service.pendingOperations() == 0, 5000);
    EXPECT_EQ(service.waitingValues(), 2);
    EXPECT_EQ(service.associations().size(), 1);
    // Waiting in memory only.
    QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("hunter2")) << file.fileName().toStdString();
    }

    GetParam().end(secrets);
    if (GetParam().writtenWithTheNextValue)
        EXPECT_EQ(DesktopTest::finish(service.recordValue("after", field("login"))), true);
    else
        clock.advance(FieldValueAssociationService::retryInterval);
    TAVLEN_WAIT_UNTIL(service.pendingOperations() == 0 && service.waitingValues() == 0, 5000);
    QStringList stored;
    for (const QByteArray &secret : std::as_const(secrets.items))
        stored.append(QString::fromUtf8(secret));
    EXPECT_TRUE(stored.contains("alice@example.org")) << stored.join(", ").toStdString();
    EXPECT_TRUE(stored.contains("hunter2"));
    EXPECT_EQ(service.associations().size(), GetParam().writtenWithTheNextValue ? 4 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Outages, KeyringOutage,
    testing::Values(Outage{"LeftAloneAfterNotAnswering", [](SimSecretStore &s) { s.failingSaves = 1000; },
                           [](SimSecretStore &s) { s.failingSaves = 0; }, false},
                    Outage{"Locked", [](SimSecretStore &s) { s.state = SimSecretStore::State::locked; },
                           [](SimSecretStore &s) { s.state = SimSecretStore::State::available; }, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
