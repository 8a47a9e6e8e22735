// The settings store: loading, saving, and corrupt records kept aside.

#include "model/SettingsStore.h"
#include "platform/sim/SimPreferences.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString key = QStringLiteral("user_settings_v2");

class SettingsStoreTest : public ::testing::Test {
protected:
    SimPreferences prefs;
};

TEST_F(SettingsStoreTest, NothingStoredGivesTheFreshRecordAndWritesNothing)
{
    SettingsStore store(prefs);
    EXPECT_EQ(store.settings(), UserSettingsData());
    EXPECT_TRUE(prefs.keys().isEmpty());
}

TEST_F(SettingsStoreTest, LoadsTheStoredRecord)
{
    prefs.preset(key, QByteArray(R"({"aiEnabled":true,"clipboardHistoryRetentionDays":3})"));
    SettingsStore store(prefs);
    EXPECT_TRUE(store.settings().aiEnabled);
    EXPECT_EQ(store.settings().clipboardHistoryRetentionDays, 3);
    EXPECT_FALSE(prefs.contains(key + ".corrupt"));
}

TEST_F(SettingsStoreTest, CorruptRecordGivesFreshSettingsAndIsKeptAside)
{
    const QByteArray bad = R"({"aiEnabled":true, "pasteAsPlainText":)";
    prefs.preset(key, bad);
    SettingsStore store(prefs);
    EXPECT_EQ(store.settings(), UserSettingsData());
    EXPECT_EQ(prefs.data(key + ".corrupt"), bad);

    // A later change replaces the record but the bad text stays where it was put.
    store.update([](UserSettingsData &s) { s.pasteAsPlainText = true; });
    EXPECT_EQ(prefs.data(key + ".corrupt"), bad);
    EXPECT_EQ(UserSettingsData::fromJson(*prefs.data(key))->pasteAsPlainText, true);
}

TEST_F(SettingsStoreTest, ASecondDifferentCorruptRecordDoesNotOverwriteTheFirst)
{
    prefs.preset(key + ".corrupt", QByteArray("first"));
    prefs.preset(key, QByteArray("second"));
    SettingsStore store(prefs);
    EXPECT_EQ(prefs.data(key + ".corrupt"), QByteArray("first"));
    EXPECT_EQ(prefs.data(key + ".corrupt.2"), QByteArray("second"));
}

TEST_F(SettingsStoreTest, ReadableRecordWithABadKeyIsUsedAndItsTextKept)
{
    const QByteArray odd = R"({"aiEnabled":true,"accentColor":42})";
    prefs.preset(key, odd);
    SettingsStore store(prefs);
    EXPECT_TRUE(store.settings().aiEnabled);
    EXPECT_EQ(store.settings().accentColor, AccentColorOption::blue);
    EXPECT_EQ(prefs.data(key + ".corrupt"), odd);
}

TEST_F(SettingsStoreTest, EqualWritesNotifyNobodyAndSaveNothing)
{
    SettingsStore store(prefs);
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);
    store.setSettings(UserSettingsData());
    store.update([](UserSettingsData &) {});
    store.update([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 7; });
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(prefs.writeCount(key), 0);
}

TEST_F(SettingsStoreTest, EveryChangeIsSaved)
{
    SettingsStore store(prefs);
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);

    store.update([](UserSettingsData &s) { s.accentColor = AccentColorOption::green; });
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(UserSettingsData::fromJson(*prefs.data(key))->accentColor, AccentColorOption::green);

    store.update([](UserSettingsData &s) { s.launcherPresentation = LauncherPresentation::window; });
    EXPECT_EQ(changed.count(), 2);

    SettingsStore reloaded(prefs);
    EXPECT_EQ(reloaded.settings(), store.settings());
}

} // namespace
