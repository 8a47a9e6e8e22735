// The iCloud key-value mirror: the envelope's coding, the sync gate, and observers per key.
#include "MemoryKeyValueStore.h"

#include "model/ICloudKeyValueSync.h"
#include "model/UnavailableKeyValueStore.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QDateTime stamp = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0, 250), Qt::UTC);

TEST(ICloudValueEnvelopeTest, RoundTripsBinaryValuesAndTheTimeToTheMillisecond)
{
    const ICloudValueEnvelope envelope{QByteArray("{\"a\":1}\0\xff", 9), stamp};
    EXPECT_EQ(ICloudValueEnvelope::decode(envelope.encoded()), envelope);
}

TEST(ICloudValueEnvelopeTest, AnythingElseIsNoEnvelope)
{
    for (const char *data : {"", "null", "[]", "{}", R"({"value":"e30="})", R"({"modifiedAt":1})",
             R"({"value":"**not base64**","modifiedAt":1})", R"({"value":"e30=","modifiedAt":"yesterday"})"})
        EXPECT_EQ(ICloudValueEnvelope::decode(data), std::nullopt) << data;
}

TEST(ICloudKeyValueSyncTest, UnavailableStoreNeverBecomesActive)
{
    UnavailableKeyValueStore none;
    ICloudKeyValueSync sync(none);
    QSignalSpy active(&sync, &ICloudKeyValueSyncing::activeChanged);
    int calls = 0;
    sync.addObserver("k", [&calls] { ++calls; });

    sync.setSyncEnabled(true);
    sync.write({"v", stamp}, "k");
    sync.synchronize();
    EXPECT_TRUE(sync.isSyncEnabled());
    EXPECT_FALSE(sync.isActive());
    EXPECT_EQ(sync.read("k"), std::nullopt);
    EXPECT_EQ(none.data("k"), std::nullopt);
    EXPECT_EQ(active.count(), 0);
    EXPECT_EQ(calls, 0);
}

TEST(ICloudKeyValueSyncTest, ReadsAndWritesPassOnlyWhileActive)
{
    MemoryKeyValueStore store;
    store.setData(ICloudValueEnvelope{"remote", stamp}.encoded(), "k");
    ICloudKeyValueSync sync(store);

    EXPECT_EQ(sync.read("k"), std::nullopt);
    sync.write({"local", stamp}, "other");
    EXPECT_EQ(store.data("other"), std::nullopt);

    sync.setSyncEnabled(true);
    EXPECT_EQ(sync.read("k"), (ICloudValueEnvelope{"remote", stamp}));
    sync.write({"local", stamp}, "other");
    EXPECT_EQ(sync.read("other"), (ICloudValueEnvelope{"local", stamp}));

    sync.setSyncEnabled(false);
    EXPECT_EQ(sync.read("k"), std::nullopt);
}

TEST(ICloudKeyValueSyncTest, ObserversHearTheirOwnKeysOnActivationAndExternalChanges)
{
    MemoryKeyValueStore store;
    ICloudKeyValueSync sync(store);
    QStringList heard;
    sync.addObserver("a", [&heard] { heard.append("a"); });
    const auto b = sync.addObserver("b", [&heard] { heard.append("b"); });

    store.changeExternally("a", "x"); // inactive: nobody hears
    EXPECT_TRUE(heard.isEmpty());

    sync.setSyncEnabled(true);
    EXPECT_EQ(heard, (QStringList{"a", "b"}));

    heard.clear();
    store.changeExternally("b", "x");
    store.changeExternally("c", "x");
    EXPECT_EQ(heard, QStringList{"b"});

    heard.clear();
    sync.removeObserver(b);
    store.changeExternally("b", "x");
    EXPECT_TRUE(heard.isEmpty());
}

TEST(ICloudKeyValueSyncTest, AnObserverMayRemoveAnotherWhileBeingCalled)
{
    MemoryKeyValueStore store;
    ICloudKeyValueSync sync(store);
    int second = 0;
    ICloudKeyValueSyncing::ObserverId secondId = 0;
    sync.addObserver("k", [&] { sync.removeObserver(secondId); });
    secondId = sync.addObserver("k", [&second] { ++second; });
    sync.setSyncEnabled(true);
    EXPECT_EQ(second, 0);
}

TEST(ICloudKeyValueSyncTest, AStoreThatStopsAnsweringEndsTheSync)
{
    MemoryKeyValueStore store;
    ICloudKeyValueSync sync(store);
    sync.setSyncEnabled(true);
    ASSERT_TRUE(sync.isActive());
    QSignalSpy active(&sync, &ICloudKeyValueSyncing::activeChanged);
    store.reachable = false;
    sync.synchronize();
    EXPECT_FALSE(sync.isActive());
    ASSERT_EQ(active.count(), 1);
    EXPECT_FALSE(active.at(0).at(0).toBool());

    // Turning sync off and on asks the store again.
    store.reachable = true;
    sync.setSyncEnabled(false);
    sync.setSyncEnabled(true);
    EXPECT_TRUE(sync.isActive());
}

} // namespace
