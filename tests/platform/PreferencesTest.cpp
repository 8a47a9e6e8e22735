// Both user-defaults backends: typed values, change signals, persistence, and files that cannot be used.
#include "platform/linux/SettingsFilePreferences.h"
#include "platform/linux/XdgStorageLocations.h"
#include "platform/sim/SimPreferences.h"
#include "platform/sim/SimStorageLocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct Backend {
    const char *name;
    std::function<std::unique_ptr<Preferences>(const QString &folder)> make;
};

class PreferencesBackendTest : public ::testing::TestWithParam<Backend> {
protected:
    QTemporaryDir folder;
    std::unique_ptr<Preferences> prefs = GetParam().make(folder.path());
};

TEST_P(PreferencesBackendTest, TypedValuesRoundTripAndMissingKeysAnswerNone)
{
    const QByteArray json = "{\"a\":[1,2],\"t\":\"\xc3\xa9\\n\"}\n";
    prefs->setData("user_settings_v2", json);
    prefs->setDouble("user_settings_v2_modified_at", 1772442000.25);
    prefs->setBool("hasPerformedHistoryMigration", true);
    prefs->setString("name", QStringLiteral("Zoë"));

    EXPECT_EQ(prefs->data("user_settings_v2"), json);
    EXPECT_EQ(prefs->doubleValue("user_settings_v2_modified_at"), 1772442000.25);
    EXPECT_EQ(prefs->boolValue("hasPerformedHistoryMigration"), true);
    EXPECT_EQ(prefs->string("name"), QStringLiteral("Zoë"));

    EXPECT_FALSE(prefs->contains("missing"));
    EXPECT_EQ(prefs->data("missing"), std::nullopt);
    EXPECT_EQ(prefs->doubleValue("missing"), std::nullopt);
    EXPECT_EQ(prefs->boolValue("missing"), std::nullopt);
    // A value of another kind is not silently turned into a number or a flag.
    EXPECT_EQ(prefs->doubleValue("name"), std::nullopt);
    EXPECT_EQ(prefs->boolValue("name"), std::nullopt);

    prefs->remove("name");
    EXPECT_FALSE(prefs->contains("name"));
}

TEST_P(PreferencesBackendTest, SignalsOnlyRealChanges)
{
    QSignalSpy spy(prefs.get(), &Preferences::valueChanged);
    prefs->setData("k", "one");
    prefs->setData("k", "one");
    prefs->setData("k", "two");
    prefs->remove("k");
    prefs->remove("k");
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("k"));
}

INSTANTIATE_TEST_SUITE_P(Backends, PreferencesBackendTest,
    ::testing::Values(Backend{"Sim", [](const QString &) { return std::make_unique<SimPreferences>(); }},
        Backend{"SettingsFile",
            [](const QString &folder) {
                return std::make_unique<SettingsFilePreferences>(QDir(folder).filePath("preferences.conf"));
            }}),
    [](const auto &info) { return std::string(info.param.name); });

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(SettingsFilePreferencesTest, EveryWriteReachesTheFileAtOnce)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("written.conf");
    SettingsFilePreferences prefs(path);
    prefs.setData("clipboard_filters_v1", "[{\"name\":\"Links\"}]");
    EXPECT_TRUE(readFile(path).contains("clipboard_filters_v1"));
    prefs.remove("clipboard_filters_v1");
    EXPECT_FALSE(readFile(path).contains("clipboard_filters_v1"));
}

TEST(SettingsFilePreferencesTest, ValuesWrittenByAnEarlierRunComeBackTyped)
{
    // In a new process the file hands every value back as text.
    QTemporaryDir folder;
    const QString path = folder.filePath("earlier.conf");
    writeFile(path, "[General]\nuser_settings_v2_modified_at=1772442000.5\nhasPerformedHistoryMigration=true\n"
                    "user_settings_v2=@ByteArray({\\\"aiEnabled\\\":true})\nplain={\\\"a\\\":1}\n");
    SettingsFilePreferences prefs(path);
    EXPECT_EQ(prefs.doubleValue("user_settings_v2_modified_at"), 1772442000.5);
    EXPECT_EQ(prefs.boolValue("hasPerformedHistoryMigration"), true);
    EXPECT_EQ(prefs.data("user_settings_v2"), QByteArray("{\"aiEnabled\":true}"));
    EXPECT_EQ(prefs.data("plain"), QByteArray("{\"a\":1}"));
}

TEST(SettingsFilePreferencesTest, UnparsableFileIsMovedAsideNotOverwritten)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("garbage.conf");
    static const char raw[] = "\x00\x01\xff\xfe garbage\n[[[\n=== \n";
    const QByteArray garbage(raw, sizeof raw - 1);
    writeFile(path, garbage);

    SettingsFilePreferences prefs(path);
    EXPECT_TRUE(prefs.isPersistent());
    EXPECT_FALSE(prefs.contains("user_settings_v2"));
    prefs.setBool("fieldWindowEnabled", false);

    const QStringList aside = QDir(folder.path()).entryList({"garbage.conf.corrupt-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(QDir(folder.path()).filePath(aside.first())), garbage);
    EXPECT_TRUE(readFile(path).contains("fieldWindowEnabled"));
}

TEST(SettingsFilePreferencesTest, UnreadableFileIsLeftAloneAndValuesLiveInMemory)
{
    QTemporaryDir folder;
    // A folder where the file should be cannot be opened for reading, even by root.
    const QString path = folder.filePath("blocked.conf");
    ASSERT_TRUE(QDir().mkpath(path));

    SettingsFilePreferences prefs(path);
    EXPECT_FALSE(prefs.isPersistent());
    prefs.setData("user_settings_v2", "{}");
    EXPECT_EQ(prefs.data("user_settings_v2"), QByteArray("{}"));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(SettingsFilePreferencesTest, ValuesSurviveANewInstance)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("kept.conf");
    {
        SettingsFilePreferences prefs(path);
        prefs.setData("user_settings_v2", "{\"aiEnabled\":true}");
        prefs.setDouble("user_settings_v2_modified_at", 12.5);
    }
    SettingsFilePreferences again(path);
    EXPECT_EQ(again.data("user_settings_v2"), QByteArray("{\"aiEnabled\":true}"));
    EXPECT_EQ(again.doubleValue("user_settings_v2_modified_at"), 12.5);
}

class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

TEST(StorageLocationsTest, XdgFoldersFollowTheEnvironmentAndAreCreated)
{
    QTemporaryDir root;
    ScopedEnv data("XDG_DATA_HOME", root.filePath("share").toUtf8());
    ScopedEnv config("XDG_CONFIG_HOME", root.filePath("conf").toUtf8());
    XdgStorageLocations storage;

    EXPECT_EQ(storage.dataFolder(), root.filePath("share/trevik.tavlen"));
    EXPECT_EQ(storage.configFolder(), root.filePath("conf/trevik.tavlen"));
    EXPECT_TRUE(QFileInfo(root.filePath("share/trevik.tavlen")).isDir());
    EXPECT_TRUE(QFileInfo(root.filePath("conf/trevik.tavlen")).isDir());
    // The history lives here: nobody but the user may read it.
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(root.filePath("share/trevik.tavlen")).permissions() & (ownerOnly | others), ownerOnly);

    SettingsFilePreferences prefs(storage);
    EXPECT_EQ(prefs.filePath(), root.filePath("conf/trevik.tavlen/preferences.conf"));
}

QStringList warnings;

void keepWarning(QtMsgType, const QMessageLogContext &, const QString &message)
{
    warnings.append(message);
}

// Each store in the folder asks for it, the single-instance check too: one line says what is wrong with it.
TEST(StorageLocationsTest, AFolderThatCannotBeMadeIsSaidOnce)
{
    QTemporaryDir root;
    QFile blocking(root.filePath("share"));
    ASSERT_TRUE(blocking.open(QIODevice::WriteOnly));
    blocking.close();
    ScopedEnv data("XDG_DATA_HOME", blocking.fileName().toUtf8());
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarning);
    XdgStorageLocations().dataFolder();
    XdgStorageLocations storage;
    storage.dataFolder();
    storage.dataFolder();
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings.join(QLatin1Char('\n')).toStdString(),
              QStringLiteral("Tavlen cannot use the folder %1/trevik.tavlen: %1 is a file, not a folder.")
                  .arg(blocking.fileName())
                  .toStdString());
}

TEST(StorageLocationsTest, SimulatedFoldersAreSeparateAndGoAwayWithTheObject)
{
    QString root;
    {
        SimStorageLocations storage;
        root = storage.rootFolder();
        EXPECT_TRUE(QFileInfo(storage.dataFolder()).isDir());
        EXPECT_TRUE(QFileInfo(storage.configFolder()).isDir());
        EXPECT_NE(storage.dataFolder(), storage.configFolder());
        EXPECT_TRUE(storage.dataFolder().endsWith("trevik.tavlen"));
    }
    EXPECT_FALSE(QFileInfo::exists(root));
}

} // namespace
