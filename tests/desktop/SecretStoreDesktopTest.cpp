// The Linux secret store against the test desktop's gnome-keyring: any bytes come back as they went in, an
// update replaces only the secret, items carry the given label and the two attributes; and without a bus,
// without a secret service or with a locked keyring every call answers failure at once, the reason is said
// once on stderr, and nothing that was stored is lost.

#include "DesktopTest.h"

#include "platform/linux/LinuxSecretStore.h"
#include "platform/linux/SystemClock.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUuid>

namespace {

using StringMap = QMap<QString, QString>;

const QString kSecretsService = QStringLiteral("org.freedesktop.secrets");
const QString kSecretsPath = QStringLiteral("/org/freedesktop/secrets");

// The items of (service, account) as the Secret Service itself lists them: (unlocked, locked) paths.
QPair<QList<QDBusObjectPath>, QList<QDBusObjectPath>> searchItems(const QString &service, const QString &account)
{
    qDBusRegisterMetaType<StringMap>();
    QDBusMessage call = QDBusMessage::createMethodCall(kSecretsService, kSecretsPath,
                                                       QStringLiteral("org.freedesktop.Secret.Service"),
                                                       QStringLiteral("SearchItems"));
    call << QVariant::fromValue(StringMap{{QStringLiteral("service"), service}, {QStringLiteral("account"), account}});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    QPair<QList<QDBusObjectPath>, QList<QDBusObjectPath>> paths;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return paths;
    reply.arguments().at(0).value<QDBusArgument>() >> paths.first;
    reply.arguments().at(1).value<QDBusArgument>() >> paths.second;
    return paths;
}

QVariant itemProperty(const QDBusObjectPath &item, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(kSecretsService, item.path(),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Secret.Item") << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

QString uniqueService()
{
    return QStringLiteral("trevik.tavlen.test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

class SecretStoreDesktopTest : public ::testing::Test {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }

    SystemClock clock;
    LinuxSecretStore store{clock};
    const QString service = uniqueService();
};

struct RoundTrip {
    const char *name;
    QByteArray secret;
};

QByteArray everyByte()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

class SecretRoundTrip : public SecretStoreDesktopTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(SecretRoundTrip, ComesBackByteForByteAndGoes)
{
    const QByteArray secret = GetParam().secret;
    ASSERT_EQ(store.save(service, QStringLiteral("account"), secret, QStringLiteral("Tavlen test item")),
              SecretStoreStatus::success);
    const SecretRead read = store.read(service, QStringLiteral("account"));
    ASSERT_EQ(read.status, SecretStoreStatus::success);
    EXPECT_EQ(read.secret.toHex(), secret.toHex());

    // What others see of the item: the label and the two attributes, never the secret.
    const auto items = searchItems(service, QStringLiteral("account"));
    ASSERT_EQ(items.first.size(), 1);
    const QString label = itemProperty(items.first.first(), QStringLiteral("Label")).toString();
    EXPECT_EQ(label, QStringLiteral("Tavlen test item"));

    EXPECT_EQ(store.remove(service, QStringLiteral("account")), SecretStoreStatus::success);
    EXPECT_EQ(store.read(service, QStringLiteral("account")).status, SecretStoreStatus::itemNotFound);
    EXPECT_TRUE(searchItems(service, QStringLiteral("account")).first.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Secrets, SecretRoundTrip,
    ::testing::Values(RoundTrip{"SpacesAround", "  a  "}, RoundTrip{"Newlines", "line one\nline two\r\n"},
                      RoundTrip{"NulInside", QByteArray("before\0after\0", 13)},
                      RoundTrip{"EveryByte", everyByte()}, RoundTrip{"InvalidUtf8", "\xff\xfe\xc3"},
                      RoundTrip{"ByteOrderMark", "\xef\xbb\xbf" "bom"},
                      RoundTrip{"Emoji", QStringLiteral(u"klucz \U0001F511 \U0001F469\u200D\U0001F4BB").toUtf8()},
                      RoundTrip{"RightToLeft", QStringLiteral(u"\u0643\u0644\u0645\u0629 \u05E1\u05D5\u05D3").toUtf8()},
                      RoundTrip{"SixtyFourKiB", randomBytes(64 * 1024)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SecretStoreDesktopTest, UpdateReplacesOnlyTheSecret)
{
    ASSERT_EQ(store.save(service, "a", "first", "First label"), SecretStoreStatus::success);
    ASSERT_EQ(store.save(service, "a", "second", "Second label"), SecretStoreStatus::success);
    EXPECT_EQ(store.read(service, "a").secret, "second");
    const auto items = searchItems(service, "a");
    ASSERT_EQ(items.first.size(), 1);
    EXPECT_EQ(itemProperty(items.first.first(), "Label").toString(), "First label");
    const auto attributes = qdbus_cast<StringMap>(itemProperty(items.first.first(), "Attributes"));
    EXPECT_EQ(attributes.value("service"), service);
    EXPECT_EQ(attributes.value("account"), "a");
    store.remove(service, "a");
}

TEST_F(SecretStoreDesktopTest, ItemsAreKeptApartByServiceAndAccount)
{
    const QString other = uniqueService();
    ASSERT_EQ(store.save(service, "a", "one", "Tavlen test item"), SecretStoreStatus::success);
    ASSERT_EQ(store.save(service, "b", "two", "Tavlen test item"), SecretStoreStatus::success);
    ASSERT_EQ(store.save(other, "a", "three", "Tavlen test item"), SecretStoreStatus::success);
    EXPECT_EQ(store.read(service, "a").secret, "one");
    EXPECT_EQ(store.read(service, "b").secret, "two");
    EXPECT_EQ(store.read(other, "a").secret, "three");
    EXPECT_EQ(store.read(service, "c").status, SecretStoreStatus::itemNotFound);
    EXPECT_EQ(store.remove(service, "c"), SecretStoreStatus::itemNotFound);

    EXPECT_EQ(store.remove(service, "a"), SecretStoreStatus::success);
    EXPECT_EQ(store.read(other, "a").secret, "three");
    EXPECT_EQ(store.read(service, "b").secret, "two");
    store.remove(service, "b");
    store.remove(other, "a");
}

TEST_F(SecretStoreDesktopTest, ManyAtOnceAnswerAsEachWouldAlone)
{
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(store.save(service, QString::number(i), "secret " + QByteArray::number(i), "Tavlen test item"),
                  SecretStoreStatus::success);
    QStringList accounts{"missing", "3", "3"};
    for (int i = 0; i < 20; ++i)
        accounts.append(QString::number(i));
    auto found = store.readMany(service, accounts);
    ASSERT_EQ(found.size(), 21);
    EXPECT_EQ(found.value("missing").status, SecretStoreStatus::itemNotFound);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(found.value(QString::number(i)).secret, "secret " + QByteArray::number(i));

    // Changed and deleted behind this store's back (another program, a keyring manager): never stale.
    LinuxSecretStore other(clock);
    ASSERT_EQ(other.remove(service, "5"), SecretStoreStatus::success);
    ASSERT_EQ(other.save(service, "6", "changed", "Tavlen test item"), SecretStoreStatus::success);
    found = store.readMany(service, {"5", "6", "7"});
    EXPECT_EQ(found.value("5").status, SecretStoreStatus::itemNotFound);
    EXPECT_EQ(found.value("6").secret, "changed");
    EXPECT_EQ(found.value("7").secret, "secret 7");
    EXPECT_EQ(store.read(service, "5").status, SecretStoreStatus::itemNotFound);
    for (int i = 0; i < 20; ++i)
        store.remove(service, QString::number(i));
}

// A session bus of our own that offers no services at all (nothing can be activated on it).
class PrivateBus {
public:
    explicit PrivateBus(const QString &folder)
    {
        const QString config = folder + QStringLiteral("/bus.conf");
        QFile file(config);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("<busconfig><type>session</type><listen>unix:dir=" + folder.toUtf8()
                       + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow receive_sender=\"*\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                         "</busconfig>");
            file.close();
        }
        m_daemon = std::make_unique<DesktopTest::ChildProcess>(
            QStringLiteral("dbus-daemon"),
            QStringList{QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        if (const auto line = m_daemon->waitForLine("unix:"))
            address = QString::fromUtf8(line->trimmed());
    }

    bool hasName(const QString &name) const
    {
        const auto result = DesktopTest::run(
            QStringLiteral("dbus-send"),
            {QStringLiteral("--bus=") + address, QStringLiteral("--print-reply=literal"),
             QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/"),
             QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:") + name});
        return result.succeeded() && result.standardOutput.contains("true");
    }

    DesktopTest::ProcessResult call(const QStringList &arguments) const
    {
        return DesktopTest::run(QStringLiteral("dbus-send"),
                                QStringList{QStringLiteral("--bus=") + address, QStringLiteral("--print-reply")}
                                    + arguments);
    }

    QString address;

private:
    std::unique_ptr<DesktopTest::ChildProcess> m_daemon;
};

enum class Missing { bus, service, unlockedKeyring };

struct FailureCase {
    const char *name;
    Missing missing;
    const char *said; // why, in the line on stderr
};

class SecretStoreUnavailable : public ::testing::TestWithParam<FailureCase> {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }
};

TEST_P(SecretStoreUnavailable, EveryCallFailsAtOnceAndSaysWhyOnce)
{
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", folder.path());
    environment.insert("XDG_DATA_HOME", folder.path() + "/data");
    environment.insert("HOME", folder.path());
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<DesktopTest::ChildProcess> keyring;
    if (GetParam().missing == Missing::bus) {
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
    } else {
        bus = std::make_unique<PrivateBus>(folder.path());
        ASSERT_FALSE(bus->address.isEmpty());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus->address);
    }
    const QString helper = DesktopTest::helperPath("tavlen_secret_store");
    const QString service = uniqueService();
    QStringList commands{"save:new:6869", "read:new", "remove:new", "many:new,other"};
    QList<QByteArray> expected{"save:new failure", "read:new failure", "remove:new failure",
                               "many:new,other failure,failure"};

    if (GetParam().missing == Missing::unlockedKeyring) {
        // A keyring of our own with one item, then locked.
        keyring = std::make_unique<DesktopTest::ChildProcess>(
            "gnome-keyring-daemon", QStringList{"--foreground", "--unlock", "--components=secrets"}, environment);
        keyring->process().write("pw");
        keyring->process().closeWriteChannel();
        ASSERT_TRUE(DesktopTest::waitUntil([&] { return bus->hasName("org.freedesktop.secrets"); }, 5000));
        const auto stored = DesktopTest::run(helper, {service, "save:kept:6b657074"}, 10000, {}, environment);
        ASSERT_TRUE(stored.succeeded()) << stored.error.toStdString();
        ASSERT_EQ(stored.standardOutput.trimmed(), "save:kept success");
        const auto locked = bus->call({"--dest=org.freedesktop.secrets", "/org/freedesktop/secrets",
                                       "org.freedesktop.Secret.Service.Lock",
                                       "array:objpath:/org/freedesktop/secrets/collection/login"});
        ASSERT_TRUE(locked.succeeded()) << locked.error.toStdString();
        commands << "read:kept" << "many:kept,new" << "save:kept:6f74686572" << "remove:kept";
        // A locked keyring still shows which items it holds: what it does not hold is not found.
        expected = {"save:new failure", "read:new itemNotFound", "remove:new itemNotFound",
                    "many:new,other itemNotFound,itemNotFound", "read:kept failure",
                    "many:kept,new failure,itemNotFound", "save:kept failure", "remove:kept failure"};
    }

    const auto result = DesktopTest::run(helper, QStringList{service} + commands, 10000, {}, environment);
    ASSERT_TRUE(result.succeeded()) << result.error.toStdString();
    EXPECT_EQ(result.standardOutput.trimmed().split('\n'), expected);
    EXPECT_EQ(result.standardError.count("The secret service is not usable"), 1) << result.standardError.constData();
    EXPECT_TRUE(result.standardError.contains("The secret service is not usable (" + QByteArray(GetParam().said) + "):"))
        << result.standardError.constData();

    if (keyring) {
        // The locked item is still there.
        const auto search = bus->call({"--dest=org.freedesktop.secrets", "/org/freedesktop/secrets",
                                       "org.freedesktop.Secret.Service.SearchItems",
                                       "dict:string:string:service," + service + ",account,kept"});
        ASSERT_TRUE(search.succeeded()) << search.error.toStdString();
        EXPECT_TRUE(search.standardOutput.contains("/org/freedesktop/secrets/collection/login/"))
            << search.standardOutput.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(Environments, SecretStoreUnavailable,
                         ::testing::Values(FailureCase{"NoSessionBus", Missing::bus,
                                                       "there is no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)"},
                                           FailureCase{"NoSecretService", Missing::service,
                                                       "no secret service (org.freedesktop.secrets) answers on the "
                                                       "session bus"},
                                           FailureCase{"LockedKeyring", Missing::unlockedKeyring,
                                                       "the keyring that holds Tavlen's items is locked"}),
                         [](const auto &info) { return std::string(info.param.name); });

// A session bus of our own for one test, and the environment that points a helper at it.
class SecretStoreOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        bus = std::make_unique<PrivateBus>(folder.path());
        ASSERT_FALSE(bus->address.isEmpty());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus->address);
    }

    QTemporaryDir folder;
    std::unique_ptr<PrivateBus> bus;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

// A keyring that comes after Tavlen (started, or unlocked, later): the first call it answers ends the
// problem that was said, so the settings stop saying that values are not remembered.
TEST_F(SecretStoreOnPrivateBus, AKeyringThatComesLaterEndsTheProblemSaidAtItsFirstAnswer)
{
    environment.insert("XDG_DATA_HOME", folder.path() + "/data");
    environment.insert("HOME", folder.path());
    DesktopTest::ChildProcess store(DesktopTest::helperPath("tavlen_secret_store"),
                                    {uniqueService(), "save:a:6869", "hold", "save:a:6869", "read:a"}, environment);
    ASSERT_TRUE(store.waitForLine("hold")) << store.output().constData();

    DesktopTest::ChildProcess keyring("gnome-keyring-daemon", {"--foreground", "--unlock", "--components=secrets"},
                                      environment);
    keyring.process().write("pw");
    keyring.process().closeWriteChannel();
    ASSERT_TRUE(DesktopTest::waitUntil([&] { return bus->hasName("org.freedesktop.secrets"); }, 5000));
    store.writeLine("go");
    ASSERT_EQ(store.waitForExit(10000), 0) << store.output().constData();
    EXPECT_EQ(store.output().trimmed().toStdString(),
              "save:a failure\nhold\nusable again\nsave:a success\nread:a success 6869");
}

// A secret service that takes every call and answers none (stuck on a disk, a prompt, a debugger): the
// first call gives up at its deadline, where it used to wait D-Bus's 25 s for each of the two questions
// libsecret asks before any search; later calls fail at once without asking it until the rest is over.
TEST_F(SecretStoreOnPrivateBus, AHungServiceCostsOneShortWaitThenIsLeftAloneForAWhile)
{
    DesktopTest::ChildProcess hung(DesktopTest::helperPath("hung_secret_service"), {}, environment);
    ASSERT_TRUE(hung.waitForLine("ready")) << hung.output().constData();

    const double rest = LinuxSecretStore::restSeconds;
    const QStringList commands{"read:a",           "save:a:6869", "remove:a",
                               "many:a,b",         QStringLiteral("wait:%1").arg(rest - 1), "read:a",
                               "wait:1",           "save:a:6869", "many:a,b"};
    const QList<QByteArray> expected{"read:a noAnswer",
                                     "save:a failure",
                                     "remove:a failure",
                                     "many:a,b failure,failure",
                                     QStringLiteral("wait:%1").arg(rest - 1).toUtf8(),
                                     "read:a failure",
                                     "wait:1",
                                     "save:a noAnswer",
                                     "many:a,b failure,failure"};
    // Two calls wait for their deadline here; each used to wait 50 s, far past this run's limit.
    const auto result = DesktopTest::run(DesktopTest::helperPath("tavlen_secret_store"),
                                         QStringList{uniqueService()} + commands, 15000, {}, environment);
    ASSERT_TRUE(result.succeeded()) << result.error.toStdString();
    EXPECT_EQ(result.standardOutput.trimmed().split('\n'), expected);
    EXPECT_EQ(result.standardError.count("The secret service is not usable"), 1) << result.standardError.constData();
    EXPECT_TRUE(result.standardError.contains("did not answer")) << result.standardError.constData();
    // Only the two calls that waited reached the service.
    TAVLEN_WAIT_UNTIL(hung.output().count("call ") >= 2, 3000);
    EXPECT_EQ(hung.output().count("call "), 2) << hung.output().constData();
}

} // namespace
