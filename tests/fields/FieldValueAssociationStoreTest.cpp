// Recording remembered values: what is refused, how one value in one field stays one record and one secret,
// the login/password pairing window on the simulated clock, failures half way that must leave nothing
// behind, the keyed fingerprint and its key, and the repair at start-up.
#include "fields/FieldValueAssociationStore.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimSecretStore.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <limits>

namespace {

FocusedFieldDescriptor webField(const QString &origin, const QString &kind, const QString &domIdentifier)
{
    FocusedFieldDescriptor field;
    field.applicationId = "org.example.browser";
    field.webOrigin = origin;
    field.domIdentifier = domIdentifier;
    field.role = "AXTextField";
    field.fieldType = kind;
    return field;
}

FocusedFieldDescriptor appField(const QString &application, const QString &kind, const QString &title)
{
    FocusedFieldDescriptor field;
    field.applicationId = application;
    field.title = title;
    field.role = "AXTextField";
    field.fieldType = kind;
    return field;
}

const QString kShop = "https://shop.example.com";
const QString kOther = "https://other.example.org";

class StoreTest : public testing::Test {
protected:
    void SetUp() override { open(); }

    void open()
    {
        store.reset();
        container.reset();
        container = std::make_unique<FieldValueAssociationContainer>(dir.path());
        store = std::make_unique<FieldValueAssociationStore>(*container, secrets, clock);
        ASSERT_TRUE(store->fetchAssociations());
    }

    // The secret-store items of values (the fingerprint key is one more item).
    QStringList storedValues() const
    {
        QStringList values;
        for (auto it = secrets.items.begin(); it != secrets.items.end(); ++it)
            if (it.key().second != FieldValueKeychain::fingerprintKeyAccount())
                values.append(QString::fromUtf8(it.value()));
        values.sort();
        return values;
    }

    const FieldValueAssociation &only()
    {
        EXPECT_EQ(store->associations().size(), 1);
        return store->associations().first();
    }

    void breakDatabase() { ASSERT_TRUE(QSqlQuery(container->database()).exec("ALTER TABLE FieldValueAssociation RENAME TO Hidden")); }
    void mendDatabase() { ASSERT_TRUE(QSqlQuery(container->database()).exec("ALTER TABLE Hidden RENAME TO FieldValueAssociation")); }

    QTemporaryDir dir;
    SimClock clock;
    SimSecretStore secrets;
    std::unique_ptr<FieldValueAssociationContainer> container;
    std::unique_ptr<FieldValueAssociationStore> store;
    const FocusedFieldDescriptor login = webField(kShop, "Login", "user");
    const FocusedFieldDescriptor email = webField(kShop, "Email", "mail");
    const FocusedFieldDescriptor password = webField(kShop, "Password", "pass");
};

QStringList values(const QList<FocusedFieldSuggestion> &suggestions)
{
    QStringList out;
    for (const auto &suggestion : suggestions)
        out.append(suggestion.value);
    return out;
}

QString repeated(const QString &cluster, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += cluster;
    return text;
}

struct LengthRow {
    const char *name;
    QString value;
    bool recorded;
};

class ValueLimits : public StoreTest, public testing::WithParamInterface<LengthRow> {};

TEST_P(ValueLimits, RecordsOrRefuses)
{
    const QString value = GetParam().value;
    EXPECT_EQ(store->recordValue(value, login), GetParam().recorded);
    if (GetParam().recorded) {
        // Kept exactly as given: nothing trimmed, nothing cut.
        EXPECT_EQ(storedValues(), QStringList{value});
        EXPECT_EQ(store->associations().size(), 1);
    } else {
        EXPECT_TRUE(storedValues().isEmpty());
        EXPECT_TRUE(store->associations().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ValueLimits,
    testing::Values(LengthRow{"Letters4096", repeated("a", 4096), true},
                    LengthRow{"Letters4097", repeated("a", 4097), false},
                    // Counted as a person sees them, not in code units.
                    LengthRow{"Emoji4096", repeated(QString::fromUtf16(u"\U0001F44D\U0001F3FD"), 4096), true},
                    LengthRow{"Emoji4097", repeated(QString::fromUtf16(u"\U0001F44D\U0001F3FD"), 4097), false},
                    LengthRow{"Accented4096", repeated(QString::fromUtf16(u"e\u0301"), 4096), true},
                    LengthRow{"Spaces", "   ", false}, LengthRow{"Empty", "", false},
                    LengthRow{"NewlinesAndTabs", "\n\t \r\n", false}, LengthRow{"LetterInSpaces", " a ", true},
                    LengthRow{"Nul", QString::fromUtf16(u"a\u0000b", 3), true},
                    LengthRow{"RightToLeft", QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD"), true},
                    LengthRow{"Multiline", "line one\nline two", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(StoreTest, SameValueTwiceIsOneRecordUsedTwice)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    const QDateTime first = clock.now();
    clock.advance(30);
    ASSERT_TRUE(store->recordValue("alice", login));
    const FieldValueAssociation &record = only();
    EXPECT_EQ(record.pasteCount, 2);
    EXPECT_EQ(record.createdAt, first);
    EXPECT_EQ(record.lastUsedAt, clock.now());
    EXPECT_EQ(record.updatedAt, clock.now());
    EXPECT_EQ(record.recentUsageDates(), (QList<QDateTime>{clock.now(), first}));
    EXPECT_EQ(storedValues(), QStringList{"alice"});
    // The same after a restart.
    open();
    EXPECT_EQ(only().pasteCount, 2);
}

TEST_F(StoreTest, AValueUsedAgainIsWrittenBackOnlyWhenItsSecretChangedOrWent)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    const int saves = secrets.saves;
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(secrets.saves, saves);
    // Removed in a keyring manager: using the value again puts it back.
    const QString account = only().keychainAccount;
    secrets.items.remove({FieldValueKeychain::defaultService(), account});
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(secrets.items.value({FieldValueKeychain::defaultService(), account}), "alice");
    EXPECT_EQ(only().pasteCount, 3);
}

TEST_F(StoreTest, OneRecordPerValueAndField)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    ASSERT_TRUE(store->recordValue("alice", email));
    ASSERT_TRUE(store->recordValue("bob", login));
    ASSERT_EQ(store->associations().size(), 3);
    // Created later, in front.
    EXPECT_EQ(store->associations().at(0).fingerprint, login.fingerprint());
    EXPECT_EQ(store->associations().at(1).fingerprint, email.fingerprint());
    QSet<QString> accounts;
    for (const auto &record : store->associations()) {
        EXPECT_EQ(record.pasteCount, 1);
        EXPECT_EQ(record.keychainAccount.size(), 36);
        EXPECT_EQ(record.keychainAccount, record.keychainAccount.toUpper());
        accounts.insert(record.keychainAccount);
    }
    EXPECT_EQ(accounts.size(), 3);
    EXPECT_EQ(storedValues(), (QStringList{"alice", "alice", "bob"}));
}

TEST_F(StoreTest, TheFieldIsUpdatedFromItsLatestRead)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    FocusedFieldDescriptor renamed = login;
    renamed.title = "User name"; // a DOM identifier keeps the fingerprint
    ASSERT_TRUE(store->recordValue("alice", renamed));
    EXPECT_EQ(only().title, "User name");
    EXPECT_EQ(only().pasteCount, 2);
}

TEST_F(StoreTest, UseCountStopsAtTheLargest)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    FieldValueAssociation record = only();
    record.pasteCount = std::numeric_limits<qint64>::max();
    ASSERT_TRUE(container->save({record}, {}));
    open();
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(only().pasteCount, std::numeric_limits<qint64>::max());
}

struct PairingRow {
    const char *name;
    double secondsLater;
    FocusedFieldDescriptor passwordField;
    bool paired;
};

class Pairing : public StoreTest, public testing::WithParamInterface<PairingRow> {};

TEST_P(Pairing, PasswordTakesTheLoginWithinTenMinutesInItsScope)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    const QString loginFingerprint = only().valueFingerprint;
    ASSERT_TRUE(store->pendingCredentialLogin());
    clock.advance(GetParam().secondsLater);
    ASSERT_TRUE(store->recordValue("s3cret!", GetParam().passwordField));
    const FieldValueAssociation &passwordRecord = store->associations().first();
    if (GetParam().paired) {
        EXPECT_EQ(passwordRecord.credentialLoginValueFingerprints(), QStringList{loginFingerprint});
        // Several password fields may pair with one login.
        EXPECT_TRUE(store->pendingCredentialLogin());
    } else {
        EXPECT_TRUE(passwordRecord.credentialLoginValueFingerprints().isEmpty());
        EXPECT_FALSE(store->pendingCredentialLogin());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, Pairing,
    testing::Values(PairingRow{"At599s", 599, webField(kShop, "Password", "pass"), true},
                    PairingRow{"At600s", 600, webField(kShop, "Password", "pass"), true},
                    PairingRow{"At601s", 601, webField(kShop, "Password", "pass"), false},
                    PairingRow{"OtherSite", 5, webField(kOther, "Password", "pass"), false},
                    PairingRow{"SameHostOtherScheme", 5, webField("http://shop.example.com", "Password", "pass"), false},
                    PairingRow{"Application", 5, appField("org.example.mail", "Password", "Password"), false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(StoreTest, EmailActsAsLoginAndTheLaterLoginWins)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    clock.advance(10);
    ASSERT_TRUE(store->recordValue("alice@example.com", email));
    const QString emailFingerprint = store->associations().first().valueFingerprint;
    clock.advance(10);
    ASSERT_TRUE(store->recordValue("s3cret!", password));
    EXPECT_EQ(store->associations().first().credentialLoginValueFingerprints(), QStringList{emailFingerprint});
}

TEST_F(StoreTest, NothingIsRecordedBeforeALoad)
{
    FieldValueAssociationStore fresh(*container, secrets, clock);
    EXPECT_FALSE(fresh.isLoaded());
    EXPECT_FALSE(fresh.recordValue("alice", login));
    EXPECT_TRUE(storedValues().isEmpty());
}

TEST_F(StoreTest, AFailedLoadRefusesToRecordSoNothingIsRememberedTwice)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    breakDatabase();
    FieldValueAssociationStore reloaded(*container, secrets, clock);
    EXPECT_FALSE(reloaded.fetchAssociations());
    EXPECT_FALSE(reloaded.isLoaded());
    EXPECT_FALSE(reloaded.recordValue("alice", login));
    EXPECT_EQ(storedValues(), QStringList{"alice"});
    mendDatabase();
    EXPECT_TRUE(reloaded.fetchAssociations());
    EXPECT_TRUE(reloaded.recordValue("alice", login));
    EXPECT_EQ(reloaded.associations().size(), 1);
}

TEST_F(StoreTest, AStoreInMemoryTakesItsSecretsAlongWhenItEnds)
{
    ASSERT_TRUE(store->recordValue("kept", login));
    {
        FieldValueAssociationContainer memory{QString()};
        FieldValueAssociationStore inMemory(memory, secrets, clock);
        ASSERT_TRUE(inMemory.fetchAssociations());
        ASSERT_TRUE(inMemory.recordValue("alice", login));
        ASSERT_TRUE(inMemory.recordValue("bob", email));
        EXPECT_EQ(values(inMemory.suggestions(login, 10, false)), (QStringList{"alice", "bob"}));
        EXPECT_EQ(storedValues(), (QStringList{"alice", "bob", "kept"}));
    }
    EXPECT_EQ(storedValues(), QStringList{"kept"});
}

TEST_F(StoreTest, AFailedDatabaseSaveOfANewValueLeavesNothing)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    QSignalSpy changes(store.get(), &FieldValueAssociationStore::associationsChanged);
    breakDatabase();
    EXPECT_FALSE(store->recordValue("bob", login));
    EXPECT_EQ(store->associations().size(), 1);
    EXPECT_EQ(storedValues(), QStringList{"alice"});
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
    EXPECT_EQ(changes.count(), 0);
    // A login that failed to save is no login to pair with.
    mendDatabase();
    open();
    EXPECT_EQ(store->associations().size(), 1);
}

TEST_F(StoreTest, AFailedSecretSaveLeavesNothing)
{
    secrets.failingSaves = 1;
    EXPECT_FALSE(store->recordValue("alice", login));
    EXPECT_TRUE(store->associations().isEmpty());
    EXPECT_TRUE(storedValues().isEmpty());
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
    EXPECT_FALSE(store->pendingCredentialLogin());
    open();
    EXPECT_TRUE(store->associations().isEmpty());
}

TEST_F(StoreTest, ASecretThatCouldNotBeDeletedGoesAtTheNextStart)
{
    breakDatabase();
    secrets.failingRemoves = 1;
    EXPECT_FALSE(store->recordValue("alice", login));
    EXPECT_EQ(storedValues(), QStringList{"alice"});
    mendDatabase();
    open();
    EXPECT_TRUE(storedValues().isEmpty());
    EXPECT_TRUE(store->associations().isEmpty());
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
}

TEST_F(StoreTest, ACrashBetweenSecretAndRecordLeavesNothingAfterTheNextStart)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    // As if the program died after writing the secret of a new value, before its record.
    ASSERT_TRUE(container->addPendingSecret("CRASHED"));
    secrets.items.insert({FieldValueKeychain::defaultService(), "CRASHED"}, "bob");
    open();
    EXPECT_EQ(storedValues(), QStringList{"alice"});
    EXPECT_EQ(store->associations().size(), 1);
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
}

TEST_F(StoreTest, AFailedSaveOfAKnownValueKeepsItForTheNextSave)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    breakDatabase();
    EXPECT_FALSE(store->recordValue("alice", login));
    EXPECT_EQ(only().pasteCount, 2);
    mendDatabase();
    ASSERT_TRUE(store->recordValue("bob", email));
    open();
    for (const auto &record : store->associations()) {
        if (record.fingerprint == login.fingerprint()) {
            EXPECT_EQ(record.pasteCount, 2);
        }
    }
}

// A secret store that took a call but did not answer in time may or may not have done what was asked:
// whichever call that was, once it answers again nothing is left behind, nothing is lost and the key holds.
enum class Unanswered { saveOfANewValue, removalAfterAFailedRecord, removalAtStart, keyReadAtStart };

struct UnansweredRow {
    const char *name;
    Unanswered call;
};

class UnansweredCall : public StoreTest, public testing::WithParamInterface<UnansweredRow> {};

TEST_P(UnansweredCall, LeavesNothingBehindOnceTheStoreAnswersAgain)
{
    ASSERT_TRUE(store->recordValue("kept", login));
    const SimSecretStore::Key keyItem{FieldValueKeychain::defaultService(), FieldValueKeychain::fingerprintKeyAccount()};
    const QByteArray key = secrets.items.value(keyItem);
    switch (GetParam().call) {
    case Unanswered::saveOfANewValue:
        // The secret got stored even so.
        secrets.unansweredSaves = 1;
        EXPECT_FALSE(store->recordValue("alice", email));
        EXPECT_EQ(storedValues(), (QStringList{"alice", "kept"}));
        break;
    case Unanswered::removalAfterAFailedRecord:
        breakDatabase();
        secrets.unansweredRemoves = 1;
        EXPECT_FALSE(store->recordValue("alice", email));
        EXPECT_EQ(storedValues(), (QStringList{"alice", "kept"}));
        mendDatabase();
        break;
    case Unanswered::removalAtStart:
        ASSERT_TRUE(container->addPendingSecret("LEFT"));
        secrets.items.insert({FieldValueKeychain::defaultService(), "LEFT"}, "alice");
        secrets.unansweredRemoves = 1;
        open();
        EXPECT_EQ(container->pendingSecrets(), QStringList{"LEFT"});
        break;
    case Unanswered::keyReadAtStart:
        secrets.unansweredReads = 1;
        open();
        break;
    }
    EXPECT_EQ(store->associations().size(), 1);
    EXPECT_EQ(secrets.items.value(keyItem), key);

    open();
    EXPECT_EQ(storedValues(), QStringList{"kept"});
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
    EXPECT_EQ(secrets.items.value(keyItem), key);
    ASSERT_TRUE(store->recordValue("kept", login));
    EXPECT_EQ(only().pasteCount, 2);
}

INSTANTIATE_TEST_SUITE_P(Calls, UnansweredCall,
                         testing::Values(UnansweredRow{"SaveOfANewValue", Unanswered::saveOfANewValue},
                                         UnansweredRow{"RemovalAfterAFailedRecord", Unanswered::removalAfterAFailedRecord},
                                         UnansweredRow{"RemovalAtStart", Unanswered::removalAtStart},
                                         UnansweredRow{"KeyReadAtStart", Unanswered::keyReadAtStart}),
                         [](const auto &info) { return std::string(info.param.name); });

struct Unavailable {
    const char *name;
    SimSecretStore::State state;
};

class WithoutSecretStore : public StoreTest, public testing::WithParamInterface<Unavailable> {};

TEST_P(WithoutSecretStore, RecordingAnswersFalseAndWritesNothing)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    const auto before = store->associations();
    secrets.state = GetParam().state;
    const int saves = secrets.saves;
    EXPECT_FALSE(store->recordValue("bob", login));
    EXPECT_FALSE(store->recordValue("alice", login));
    EXPECT_EQ(store->associations(), before);
    EXPECT_EQ(container->fetchAll(), before);
    EXPECT_EQ(container->pendingSecrets(), QStringList{});
    EXPECT_LE(secrets.saves - saves, 2);
    // Suggestions simply have nothing to show.
    EXPECT_TRUE(store->suggestions(login, 10, false).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(States, WithoutSecretStore,
                         testing::Values(Unavailable{"Absent", SimSecretStore::State::absent},
                                         Unavailable{"Locked", SimSecretStore::State::locked}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(StoreTest, ALockedStartKeepsTheKeyAndRecordsOnceUnlocked)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    const QString fingerprint = only().valueFingerprint;
    const auto items = secrets.items;
    secrets.state = SimSecretStore::State::locked;
    open();
    EXPECT_FALSE(store->recordValue("alice", login));
    EXPECT_EQ(secrets.items, items);
    EXPECT_EQ(only().valueFingerprint, fingerprint);
    // Once unlocked, recording works without a restart, with the same key.
    secrets.state = SimSecretStore::State::available;
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(only().pasteCount, 2);
    EXPECT_EQ(only().valueFingerprint, fingerprint);
}

TEST_F(StoreTest, ValueFingerprintIsKeyedNotAPlainHash)
{
    ASSERT_TRUE(store->recordValue("hunter2", password));
    const QString fingerprint = only().valueFingerprint;
    EXPECT_EQ(fingerprint.size(), 64);
    EXPECT_EQ(fingerprint, fingerprint.toLower());
    EXPECT_NE(fingerprint, QString::fromLatin1(QCryptographicHash::hash("hunter2", QCryptographicHash::Sha256).toHex()));

    // Another install (another key) gives another fingerprint for the same value.
    QTemporaryDir otherDir;
    SimSecretStore otherSecrets;
    FieldValueAssociationContainer otherContainer(otherDir.path());
    FieldValueAssociationStore other(otherContainer, otherSecrets, clock);
    ASSERT_TRUE(other.fetchAssociations());
    ASSERT_TRUE(other.recordValue("hunter2", password));
    EXPECT_NE(other.associations().first().valueFingerprint, fingerprint);
}

TEST_F(StoreTest, TheKeyIsMadeOnceAndKeptAcrossRestarts)
{
    const SimSecretStore::Key keyItem{FieldValueKeychain::defaultService(), FieldValueKeychain::fingerprintKeyAccount()};
    ASSERT_TRUE(secrets.items.contains(keyItem));
    const QByteArray key = secrets.items.value(keyItem);
    EXPECT_EQ(key.size(), 32);
    ASSERT_TRUE(store->recordValue("alice", login));
    const QString fingerprint = only().valueFingerprint;
    open();
    open();
    EXPECT_EQ(secrets.items.value(keyItem), key);
    EXPECT_EQ(only().valueFingerprint, fingerprint);
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(only().pasteCount, 2);
}

TEST_F(StoreTest, ALostKeyIsReplacedWithoutDuplicates)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    ASSERT_TRUE(store->recordValue("bob", login));
    const QString oldFingerprint = store->associations().at(1).valueFingerprint;
    secrets.items.remove({FieldValueKeychain::defaultService(), FieldValueKeychain::fingerprintKeyAccount()});
    open();
    ASSERT_EQ(store->associations().size(), 2);
    // The old fingerprint matches nothing now; the readable value was fingerprinted again.
    EXPECT_NE(store->associations().at(1).valueFingerprint, oldFingerprint);
    EXPECT_EQ(store->associations().at(1).valueFingerprint.size(), 64);
    ASSERT_TRUE(store->recordValue("alice", login));
    EXPECT_EQ(store->associations().size(), 2);
    EXPECT_EQ(storedValues(), (QStringList{"alice", "bob"}));
}

TEST_F(StoreTest, AnEmptiedSecretStoreLeavesRecordsThatShowNothing)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    secrets.items.clear();
    open();
    ASSERT_EQ(store->associations().size(), 1);
    EXPECT_TRUE(store->associations().first().valueFingerprint.isEmpty());
    EXPECT_TRUE(store->suggestions(login, 10, false).isEmpty());
    ASSERT_TRUE(store->recordValue("alice", login));
    const auto suggestions = store->suggestions(login, 10, false);
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_EQ(suggestions.first().value, "alice");
}

TEST_F(StoreTest, StartUpRepairsStoredFingerprints)
{
    ASSERT_TRUE(store->recordValue("alice", login));
    FieldValueAssociation record = only();
    record.valueFingerprint.clear();
    record.fingerprint = QString(64, '0'); // written under an older rule
    ASSERT_TRUE(container->save({record}, {}));
    open();
    EXPECT_EQ(only().fingerprint, login.fingerprint());
    EXPECT_EQ(only().valueFingerprint.size(), 64);
    // Repaired on disk too, not just in memory.
    const auto stored = container->fetchAll();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->first(), only());
}

TEST_F(StoreTest, TheDatabaseNeverHoldsTheValue)
{
    const QString value = "correct horse battery staple";
    ASSERT_TRUE(store->recordValue(value, password));
    store.reset();
    container.reset();
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_FALSE(bytes.contains(value.toUtf8())) << name.toStdString();
        EXPECT_FALSE(bytes.contains(QByteArray("horse"))) << name.toStdString();
    }
}

} // namespace
