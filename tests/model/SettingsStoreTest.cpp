// The settings store: loading, saving with its stamp, corrupt records kept aside, and the iCloud mirror.
#include "MemoryKeyValueStore.h"

#include "model/ICloudKeyValueSync.h"
#include "model/SettingsStore.h"
#include "model/UnavailableKeyValueStore.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimPreferences.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString key = QStringLiteral("user_settings_v2");
const QString stampKey = QStringLiteral("user_settings_v2_modified_at");
const QString cloudKey = QStringLiteral("tavlen.user-settings.v2");

// Minutes may run past the hour either way.
QDateTime at(int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 3, 2), QTime(hour, 0), Qt::UTC).addSecs(minute * 60);
}

QByteArray envelope(const UserSettingsData &settings, const QDateTime &modifiedAt)
{
    return ICloudValueEnvelope{settings.toJson(), modifiedAt}.encoded();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() { clock.setWallClock(at(9)); }

    SimClock clock;
    SimPreferences prefs;
    MemoryKeyValueStore remote;
    ICloudKeyValueSync cloud{remote};
};

TEST_F(SettingsStoreTest, NothingStoredGivesTheFreshRecordAndWritesNothing)
{
    SettingsStore store(prefs, cloud, clock);
    EXPECT_EQ(store.settings(), UserSettingsData());
    EXPECT_TRUE(prefs.keys().isEmpty());
}

TEST_F(SettingsStoreTest, LoadsTheStoredRecord)
{
    prefs.preset(key, QByteArray(R"({"aiEnabled":true,"clipboardHistoryRetentionDays":3})"));
    SettingsStore store(prefs, cloud, clock);
    EXPECT_TRUE(store.settings().aiEnabled);
    EXPECT_EQ(store.settings().clipboardHistoryRetentionDays, 3);
    EXPECT_FALSE(prefs.contains(key + ".corrupt"));
}

TEST_F(SettingsStoreTest, CorruptRecordGivesFreshSettingsAndIsKeptAside)
{
    const QByteArray bad = R"({"aiEnabled":true, "pasteAsPlainText":)";
    prefs.preset(key, bad);
    SettingsStore store(prefs, cloud, clock);
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
    SettingsStore store(prefs, cloud, clock);
    EXPECT_EQ(prefs.data(key + ".corrupt"), QByteArray("first"));
    EXPECT_EQ(prefs.data(key + ".corrupt.2"), QByteArray("second"));
}

TEST_F(SettingsStoreTest, ReadableRecordWithABadKeyIsUsedAndItsTextKept)
{
    const QByteArray odd = R"({"aiEnabled":true,"accentColor":42})";
    prefs.preset(key, odd);
    SettingsStore store(prefs, cloud, clock);
    EXPECT_TRUE(store.settings().aiEnabled);
    EXPECT_EQ(store.settings().accentColor, AccentColorOption::blue);
    EXPECT_EQ(prefs.data(key + ".corrupt"), odd);
}

TEST_F(SettingsStoreTest, EqualWritesNotifyNobodyAndSaveNothing)
{
    SettingsStore store(prefs, cloud, clock);
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);
    store.setSettings(UserSettingsData());
    store.update([](UserSettingsData &) {});
    store.update([](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 7; });
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(prefs.writeCount(key), 0);
    EXPECT_EQ(prefs.writeCount(stampKey), 0);
}

TEST_F(SettingsStoreTest, EveryChangeIsSavedWithTheWallClockTime)
{
    SettingsStore store(prefs, cloud, clock);
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);

    store.update([](UserSettingsData &s) { s.accentColor = AccentColorOption::green; });
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(prefs.doubleValue(stampKey), at(9).toSecsSinceEpoch());
    EXPECT_EQ(UserSettingsData::fromJson(*prefs.data(key))->accentColor, AccentColorOption::green);

    clock.advance(90.5);
    store.update([](UserSettingsData &s) { s.launcherPresentation = LauncherPresentation::window; });
    EXPECT_EQ(changed.count(), 2);
    EXPECT_DOUBLE_EQ(*prefs.doubleValue(stampKey), at(9).toSecsSinceEpoch() + 90.5);

    SettingsStore reloaded(prefs, cloud, clock);
    EXPECT_EQ(reloaded.settings(), store.settings());
}

TEST_F(SettingsStoreTest, WithoutICloudEverythingStaysLocal)
{
    UnavailableKeyValueStore none;
    ICloudKeyValueSync unavailable(none);
    SettingsStore store(prefs, unavailable, clock);
    store.startICloudSync();
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; });
    EXPECT_TRUE(store.settings().iCloudSyncEnabled);
    EXPECT_TRUE(unavailable.isSyncEnabled());
    EXPECT_FALSE(unavailable.isActive());
    EXPECT_TRUE(prefs.contains(key));
    store.reconcileWithICloud();
    EXPECT_TRUE(store.settings().iCloudSyncEnabled);
}

TEST_F(SettingsStoreTest, TheSyncSettingOpensAndShutsTheMirrorOnlyAfterStart)
{
    SettingsStore store(prefs, cloud, clock);
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; });
    EXPECT_FALSE(cloud.isSyncEnabled());
    EXPECT_EQ(remote.writes, 0);

    store.startICloudSync();
    EXPECT_TRUE(cloud.isActive());
    // The record saved before start is newer than anything in iCloud, so it is pushed.
    ASSERT_TRUE(remote.data(cloudKey));
    EXPECT_EQ(ICloudValueEnvelope::decode(*remote.data(cloudKey))->modifiedAt, at(9));
}

TEST_F(SettingsStoreTest, TurningSyncOnPushesTheRecordAndTurningItOffKeepsItFromOtherMachines)
{
    SettingsStore store(prefs, cloud, clock);
    store.startICloudSync();
    clock.advance(60);
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; });
    const auto pushed = ICloudValueEnvelope::decode(*remote.data(cloudKey));
    ASSERT_TRUE(pushed);
    EXPECT_TRUE(UserSettingsData::fromJson(pushed->value)->iCloudSyncEnabled);
    EXPECT_EQ(pushed->modifiedAt, at(9, 1));

    clock.advance(60);
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = false; });
    EXPECT_FALSE(cloud.isActive());
    EXPECT_EQ(ICloudValueEnvelope::decode(*remote.data(cloudKey)), pushed);
}

struct MergeCase {
    const char *name;
    std::optional<int> localMinute; // local record saved at 9:mm, none when never saved
    std::optional<int> remoteMinute; // iCloud record stamped at 9:mm, none when absent
    bool expectRemote; // the remote record ends up in use
    bool expectPush; // the local record ends up in iCloud
};

class SettingsMergeTest : public SettingsStoreTest, public ::testing::WithParamInterface<MergeCase> { };

TEST_P(SettingsMergeTest, NewerSideWins)
{
    const MergeCase &c = GetParam();
    UserSettingsData local;
    local.iCloudSyncEnabled = true;
    local.accentColor = AccentColorOption::red;
    if (c.localMinute) {
        prefs.preset(key, local.toJson());
        prefs.preset(stampKey, double(at(9, *c.localMinute).toSecsSinceEpoch()));
    }
    UserSettingsData fromCloud;
    fromCloud.iCloudSyncEnabled = true;
    fromCloud.accentColor = AccentColorOption::orange;
    if (c.remoteMinute)
        remote.setData(envelope(fromCloud, at(9, *c.remoteMinute)), cloudKey);
    const int writesBefore = remote.writes;

    SettingsStore store(prefs, cloud, clock);
    if (!c.localMinute)
        store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; }); // stamped 9:00
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);
    store.startICloudSync();
    cloud.setSyncEnabled(true);

    if (c.expectRemote) {
        EXPECT_EQ(store.settings(), fromCloud);
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(prefs.doubleValue(stampKey), at(9, *c.remoteMinute).toSecsSinceEpoch());
        EXPECT_EQ(UserSettingsData::fromJson(*prefs.data(key)), fromCloud);
    } else {
        EXPECT_EQ(changed.count(), 0);
        EXPECT_NE(store.settings().accentColor, AccentColorOption::orange);
    }
    EXPECT_EQ(remote.writes > writesBefore, c.expectPush);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsMergeTest,
    ::testing::Values(MergeCase{"RemoteNewer", 10, 20, true, false},
        MergeCase{"LocalNewer", 20, 10, false, true},
        MergeCase{"SameTimeKeepsBothAsTheyAre", 15, 15, false, false},
        MergeCase{"NoRemoteValuePushesLocal", 15, std::nullopt, false, true},
        MergeCase{"LocalSavedNowBeatsOlderRemote", std::nullopt, -30, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, ValuesFromOtherMachinesAreTakenOnlyWhenNewer)
{
    SettingsStore store(prefs, cloud, clock);
    store.startICloudSync();
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; }); // 9:00
    QSignalSpy changed(&store, &SettingsStore::settingsChanged);

    UserSettingsData older = store.settings();
    older.aiEnabled = true;
    remote.changeExternally(cloudKey, envelope(older, at(8, 59)));
    EXPECT_FALSE(store.settings().aiEnabled);

    UserSettingsData newer = store.settings();
    newer.pasteAsPlainText = true;
    remote.changeExternally(cloudKey, envelope(newer, at(9, 5)));
    EXPECT_TRUE(store.settings().pasteAsPlainText);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(prefs.doubleValue(stampKey), at(9, 5).toSecsSinceEpoch());

    // Unreadable values keep the record as it is.
    remote.changeExternally(cloudKey, ICloudValueEnvelope{"{broken", at(10)}.encoded());
    remote.changeExternally(cloudKey, "not an envelope");
    EXPECT_EQ(store.settings(), newer);
    EXPECT_EQ(UserSettingsData::fromJson(*prefs.data(key)), newer);
}

TEST_F(SettingsStoreTest, ARemoteRecordThatTurnsSyncOffShutsTheMirror)
{
    SettingsStore store(prefs, cloud, clock);
    store.startICloudSync();
    store.update([](UserSettingsData &s) { s.iCloudSyncEnabled = true; });
    ASSERT_TRUE(cloud.isActive());
    remote.changeExternally(cloudKey, envelope(UserSettingsData(), at(9, 30)));
    EXPECT_FALSE(store.settings().iCloudSyncEnabled);
    EXPECT_FALSE(cloud.isActive());
}

} // namespace
