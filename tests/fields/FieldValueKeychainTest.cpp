// Remembered values in the secret store: exact bytes both ways, what counts as unreadable, and items kept
// apart by service and labelled without the value.
#include "fields/FieldValueKeychain.h"
#include "platform/sim/SimSecretStore.h"

#include <gtest/gtest.h>

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

} // namespace
