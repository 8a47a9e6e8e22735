// The settings record: fresh values, how stored JSON is read back, and the option types' raw values.
#include "model/UserSettingsData.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(UserSettingsDataTest, FreshRecordHoldsTheDocumentedDefaults)
{
    const UserSettingsData fresh;
    EXPECT_EQ(fresh.schemaVersion, 15);
    EXPECT_EQ(fresh.accentColor, AccentColorOption::blue);
    for (const TintConfig &tint : {fresh.notchTint, fresh.windowTint, fresh.fieldWindowTint})
        EXPECT_EQ(tint, (TintConfig{0, 0, 0, 0.06, 0.4}));
    EXPECT_FALSE(fresh.pasteAsPlainText);
    EXPECT_EQ(fresh.clipboardHistoryRetentionDays, 7);
    EXPECT_EQ(fresh.notchExpandOnHover, std::optional<bool>(true));
    EXPECT_EQ(fresh.launcherPresentation, LauncherPresentation::notch);
    EXPECT_TRUE(fresh.fieldWindowEnabled);
    EXPECT_TRUE(fresh.clearFieldBeforePaste);
    EXPECT_FALSE(fresh.aiEnabled);
    EXPECT_FALSE(fresh.fieldSuggestionsEnabled);
    EXPECT_FALSE(fresh.hasRequestedEventPostingPermission);
}

struct DecodeCase {
    const char *name;
    const char *json;
    std::function<void(UserSettingsData &)> expectedChange;
    const char *problem = nullptr; // the key named as unreadable, if any
};

class UserSettingsDecodeTest : public ::testing::TestWithParam<DecodeCase> { };

TEST_P(UserSettingsDecodeTest, ReadsAsTheRuleSays)
{
    QStringList problems;
    const std::optional<UserSettingsData> decoded = UserSettingsData::fromJson(GetParam().json, &problems);
    ASSERT_TRUE(decoded.has_value());
    UserSettingsData expected;
    if (GetParam().expectedChange)
        GetParam().expectedChange(expected);
    EXPECT_EQ(*decoded, expected);
    if (GetParam().problem) {
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(GetParam().problem)) << problems[0].toStdString();
    } else {
        EXPECT_TRUE(problems.isEmpty()) << problems.join("; ").toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UserSettingsDecodeTest,
    ::testing::Values(DecodeCase{"EmptyObjectIsFresh", "{}", nullptr},
        // A retention out of range is corrupt, not a wish for the shortest one: it keeps seven days.
        DecodeCase{"RetentionZeroIsUnreadable", R"({"clipboardHistoryRetentionDays":0})", nullptr,
            "clipboardHistoryRetentionDays"},
        DecodeCase{"RetentionEightIsUnreadable", R"({"clipboardHistoryRetentionDays":8})", nullptr,
            "clipboardHistoryRetentionDays"},
        DecodeCase{"RetentionNegativeIsUnreadable", R"({"clipboardHistoryRetentionDays":-5})", nullptr,
            "clipboardHistoryRetentionDays"},
        DecodeCase{"RetentionOneIsKept", R"({"clipboardHistoryRetentionDays":1})",
            [](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 1; }},
        DecodeCase{"RetentionThreeIsKept", R"({"clipboardHistoryRetentionDays":3})",
            [](UserSettingsData &s) { s.clipboardHistoryRetentionDays = 3; }},
        DecodeCase{"RetentionMissingIsSeven", R"({"aiEnabled":true})",
            [](UserSettingsData &s) {
                s.aiEnabled = true;
                s.clipboardHistoryRetentionDays = 7;
            }},
        DecodeCase{"OldSchemaVersionReadsAsCurrent", R"({"schemaVersion":3,"pasteAsPlainText":true})",
            [](UserSettingsData &s) { s.pasteAsPlainText = true; }},
        DecodeCase{"FutureSchemaVersionReadsAsCurrent", R"({"schemaVersion":99})", nullptr},
        DecodeCase{"FieldSuggestionsUnderTheirStoredName", R"({"pasteSuggestionOnDoubleClick":true})",
            [](UserSettingsData &s) { s.fieldSuggestionsEnabled = true; }},
        DecodeCase{"EventPostingAskedUnderItsStoredName", R"({"hasShownAccessibilityGate":true})",
            [](UserSettingsData &s) { s.hasRequestedEventPostingPermission = true; }},
        // The member names are not the stored names: such keys are unknown and ignored.
        DecodeCase{"MemberNamesOfRenamedKeysAreIgnored",
            R"({"fieldSuggestionsEnabled":true,"hasRequestedEventPostingPermission":true})", nullptr},
        DecodeCase{"ExpandOnHoverOff", R"({"notchExpandOnHover":false})",
            [](UserSettingsData &s) { s.notchExpandOnHover = false; }},
        DecodeCase{"ExpandOnHoverNullIsFresh", R"({"notchExpandOnHover":null})", nullptr},
        DecodeCase{"PartialTintKeepsTheRestFresh", R"({"windowTint":{"red":0.5,"darkModeOpacity":0.8}})",
            [](UserSettingsData &s) {
                s.windowTint.red = 0.5;
                s.windowTint.darkModeOpacity = 0.8;
            }},
        DecodeCase{"EnumsByRawValue", R"({"accentColor":"graphite","launcherPresentation":"window"})",
            [](UserSettingsData &s) {
                s.accentColor = AccentColorOption::graphite;
                s.launcherPresentation = LauncherPresentation::window;
            }},
        DecodeCase{"UnknownKeysAreIgnored", R"({"someFutureSetting":[1,2,3]})", nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UserSettingsDataTest, WrongKindsFallBackPerKeyAndAreReported)
{
    QStringList problems;
    const auto decoded = UserSettingsData::fromJson(
        R"({"aiEnabled":"yes","clipboardHistoryRetentionDays":2.5,"accentColor":"chartreuse",)"
        R"("notchTint":{"red":"x"},"fieldWindowEnabled":false})",
        &problems);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_FALSE(decoded->aiEnabled);
    EXPECT_EQ(decoded->clipboardHistoryRetentionDays, 7);
    EXPECT_EQ(decoded->accentColor, AccentColorOption::blue);
    EXPECT_EQ(decoded->notchTint, TintConfig{});
    EXPECT_FALSE(decoded->fieldWindowEnabled); // a good key next to bad ones still counts
    EXPECT_EQ(problems.size(), 4);
    EXPECT_TRUE(problems.join(" ").contains("notchTint.red"));
}

TEST(UserSettingsDataTest, TextThatIsNoObjectIsRejected)
{
    for (const char *json : {"", "{", "[]", "7", "\"text\"", "{\"aiEnabled\":tru}"}) {
        QStringList problems;
        EXPECT_FALSE(UserSettingsData::fromJson(json, &problems).has_value()) << json;
        EXPECT_FALSE(problems.isEmpty()) << json;
    }
}

TEST(UserSettingsDataTest, EveryFieldSurvivesARoundTrip)
{
    UserSettingsData changed;
    changed.accentColor = AccentColorOption::pink;
    changed.notchTint = {0.1, 0.2, 0.3, 0.15, 0.55};
    changed.windowTint = {1, 0.5, 0.25, 0, 1};
    changed.fieldWindowTint = {0.9, 0.8, 0.7, 0.6, 0.5};
    changed.pasteAsPlainText = true;
    changed.clipboardHistoryRetentionDays = 2;
    changed.notchExpandOnHover = false;
    changed.launcherPresentation = LauncherPresentation::window;
    changed.fieldWindowEnabled = false;
    changed.clearFieldBeforePaste = false;
    changed.aiEnabled = true;
    changed.fieldSuggestionsEnabled = true;
    changed.hasRequestedEventPostingPermission = true;

    EXPECT_EQ(UserSettingsData::fromJson(changed.toJson()), changed);
    EXPECT_EQ(UserSettingsData::fromJson(UserSettingsData().toJson()), UserSettingsData());
}

TEST(UserSettingsDataTest, StoredKeysAreThePropertyNamesExceptTheTwoRenamedOnes)
{
    const QJsonObject object = QJsonDocument::fromJson(UserSettingsData().toJson()).object();
    const QStringList expected = {"accentColor", "aiEnabled", "clearFieldBeforePaste",
        "clipboardHistoryRetentionDays", "fieldWindowEnabled", "fieldWindowTint", "hasShownAccessibilityGate",
        "launcherPresentation", "notchExpandOnHover", "notchTint", "pasteAsPlainText",
        "pasteSuggestionOnDoubleClick", "schemaVersion", "windowTint"};
    EXPECT_EQ(object.keys(), expected);
    EXPECT_EQ(object.value("schemaVersion").toInt(), 15);
}

TEST(UserSettingsDataTest, EqualityComparesEveryField)
{
    UserSettingsData a;
    UserSettingsData b;
    EXPECT_EQ(a, b);
    b.fieldWindowTint.darkModeOpacity = 0.41;
    EXPECT_NE(a, b);
    b = a;
    b.notchExpandOnHover = std::nullopt;
    EXPECT_NE(a, b);
    EXPECT_TRUE(b.expandsOnHover());
}

TEST(UserSettingsDataTest, FieldSuggestionsNeedLocalIntelligenceToo)
{
    UserSettingsData s;
    s.fieldSuggestionsEnabled = true;
    EXPECT_FALSE(s.areFieldSuggestionsActive());
    s.aiEnabled = true;
    EXPECT_TRUE(s.areFieldSuggestionsActive());
}

TEST(OptionTypesTest, RawValuesRoundTripAndUnknownNamesAnswerNone)
{
    QStringList names;
    for (AccentColorOption option : allAccentColorOptions) {
        names.append(rawValue(option));
        EXPECT_EQ(accentColorOptionFromRawValue(rawValue(option)), option);
        EXPECT_TRUE(color(option).isValid());
    }
    EXPECT_EQ(names.size(), 10);
    EXPECT_EQ(names.first(), "system");
    EXPECT_EQ(accentColorOptionFromRawValue("Blue"), std::nullopt);

    EXPECT_EQ(rawValue(LauncherPresentation::notch), "notch");
    EXPECT_EQ(rawValue(LauncherPresentation::window), "window");
    EXPECT_EQ(launcherPresentationFromRawValue("window"), LauncherPresentation::window);
    EXPECT_EQ(launcherPresentationFromRawValue("floating"), std::nullopt);
}

TEST(OptionTypesTest, SystemAccentFollowsThePaletteHighlight)
{
    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Highlight, QColor(12, 34, 56));
    QGuiApplication::setPalette(palette);
    EXPECT_EQ(color(AccentColorOption::system), QColor(12, 34, 56));
    QGuiApplication::setPalette(saved);
    EXPECT_NE(color(AccentColorOption::blue), color(AccentColorOption::purple));
}

TEST(OptionTypesTest, TintColourUsesTheSchemesOpacity)
{
    const TintConfig tint{1, 0, 0, 0.06, 0.4};
    EXPECT_NEAR(tint.color(false).alphaF(), 0.06, 0.01);
    EXPECT_NEAR(tint.color(true).alphaF(), 0.4, 0.01);
    EXPECT_EQ(tint.color(true).red(), 255);
}

} // namespace
