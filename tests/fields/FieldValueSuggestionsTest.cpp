// Suggestions from remembered values: the ranking's worked example, which records qualify for which field,
// titles and symbols, masked passwords that never leave their site, repeated and unreadable values, and the
// details each suggestion carries.
#include "fields/FieldValueAssociationStore.h"
#include "fields/FieldValueSuggestionRanking.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimSecretStore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

const QString kShop = "https://shop.example.com";
const QString kOther = "https://other.example.org";
const QDateTime monday(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

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

class SuggestionTest : public testing::Test {
protected:
    // A stored record of `value` in `field`, used `count` times, last at `lastUse`.
    FieldValueAssociation &seed(const FocusedFieldDescriptor &field, const QString &value, qint64 count,
                                const QDateTime &lastUse)
    {
        const QString account = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        FieldValueAssociation record = FieldValueAssociation::make(field, "", account, "", count, lastUse);
        record.lastUsedAt = lastUse;
        secrets.items.insert({FieldValueKeychain::defaultService(), account}, value.toUtf8());
        seeded.append(record);
        return seeded.last();
    }

    void load()
    {
        ASSERT_TRUE(container.save(seeded, {}));
        store = std::make_unique<FieldValueAssociationStore>(container, secrets, clock);
        ASSERT_TRUE(store->fetchAssociations());
    }

    static QStringList values(const QList<FocusedFieldSuggestion> &suggestions)
    {
        QStringList out;
        for (const auto &suggestion : suggestions)
            out.append(suggestion.value);
        return out;
    }

    static QStringList titles(const QList<FocusedFieldSuggestion> &suggestions)
    {
        QStringList out;
        for (const auto &suggestion : suggestions)
            out.append(suggestion.title);
        return out;
    }

    static QStringList symbols(const QList<FocusedFieldSuggestion> &suggestions)
    {
        QStringList out;
        for (const auto &suggestion : suggestions)
            out.append(suggestion.systemImage);
        return out;
    }

    QTemporaryDir dir;
    SimClock clock;
    SimSecretStore secrets;
    FieldValueAssociationContainer container{dir.path()};
    QList<FieldValueAssociation> seeded;
    std::unique_ptr<FieldValueAssociationStore> store;
};

TEST_F(SuggestionTest, TheWorkedExample)
{
    const FocusedFieldDescriptor field = webField(kShop, "Login", "user");
    seed(field, "A", 2, monday.addDays(1));
    seed(webField(kShop, "Login", "account"), "B", 5, monday.addDays(2));
    seed(webField(kShop, "Email", "mail"), "C", 1, monday);
    seed(webField(kOther, "Login", "user"), "D", 9, monday.addDays(3));
    load();
    const auto suggestions = store->suggestions(field, std::numeric_limits<int>::max(), false);
    EXPECT_EQ(values(suggestions), (QStringList{"A", "B", "C", "D"}));
    EXPECT_EQ(titles(suggestions), (QStringList{"Latest", "Most used", "Most used", "From other.example.org"}));
    EXPECT_EQ(symbols(suggestions), (QStringList{"clock.arrow.circlepath", "chart.bar.fill", "chart.bar.fill",
                                                 "chart.bar.fill"}));
    EXPECT_EQ(suggestions.at(1).usageCount, 5);
    EXPECT_NE(suggestions.at(0).id, store->suggestions(field, 1, false).first().id);
}

TEST_F(SuggestionTest, OneValueInTwoFieldsIsOneSuggestion)
{
    const FocusedFieldDescriptor field = webField(kShop, "Email", "mail");
    seed(field, "me@example.com", 1, monday);
    seed(webField(kShop, "Login", "user"), "me@example.com", 3, monday.addDays(1));
    load();
    const auto suggestions = store->suggestions(field, 10, false);
    ASSERT_EQ(values(suggestions), QStringList{"me@example.com"});
    // The one ranked first: this field's own record.
    EXPECT_EQ(suggestions.first().usageCount, 1);
}

TEST_F(SuggestionTest, AnUnreadableCopyDoesNotHideAReadableOne)
{
    const FocusedFieldDescriptor field = webField(kShop, "Email", "mail");
    const QString lost = seed(field, "me@example.com", 4, monday.addDays(1)).keychainAccount;
    seed(webField(kShop, "Login", "user"), "me@example.com", 1, monday);
    load();
    secrets.items.remove({FieldValueKeychain::defaultService(), lost});
    EXPECT_EQ(values(store->suggestions(field, 10, false)), QStringList{"me@example.com"});
}

TEST_F(SuggestionTest, WhichRecordsAreEligible)
{
    const FocusedFieldDescriptor field = appField("org.example.crm", "Phone", "Phone");
    seed(field, "never used", 0, monday).lastUsedAt.reset();
    FieldValueAssociation &labelled = seed(field, "labelled", 0, monday);
    labelled.lastUsedAt.reset();
    labelled.displayLabel = "Office";
    seed(field, "used", 1, monday.addDays(1));
    load();
    const auto suggestions = store->suggestions(field, 10, false);
    EXPECT_EQ(values(suggestions), (QStringList{"used", "labelled"}));
    EXPECT_FALSE(suggestions.at(0).isSaved);
    EXPECT_TRUE(suggestions.at(1).isSaved);
}

TEST_F(SuggestionTest, AnOrdinaryFieldOffersOnlyItsOwnValuesNewestFirst)
{
    const FocusedFieldDescriptor field = appField("org.example.crm", "Phone", "Phone");
    seed(field, "+48 500 100 100", 7, monday);
    seed(field, "+48 600 200 200", 1, monday.addDays(2));
    seed(field, "+48 700 300 300", 2, monday.addDays(1));
    seed(appField("org.example.crm", "Phone", "Mobile"), "+48 800 400 400", 9, monday.addDays(3));
    load();
    const auto suggestions = store->suggestions(field, 10, false);
    EXPECT_EQ(values(suggestions), (QStringList{"+48 600 200 200", "+48 700 300 300", "+48 500 100 100"}));
    EXPECT_EQ(titles(suggestions), (QStringList{"Latest", "Most used", "Most used"}));
    EXPECT_EQ(symbols(suggestions), (QStringList{"clock.arrow.circlepath", "chart.bar.fill", "chart.bar.fill"}));
    EXPECT_EQ(values(store->suggestions(field, 2, false)).size(), 2);
}

TEST_F(SuggestionTest, LoginsOfWebPagesAndApplicationsStayApart)
{
    const FocusedFieldDescriptor web = webField(kShop, "Login", "user");
    const FocusedFieldDescriptor app = appField("org.example.mail", "Login", "User");
    seed(web, "web-user", 1, monday);
    seed(webField("example.net", "Login", "user"), "bare-host-user", 1, monday.addDays(1));
    seed(app, "app-user", 1, monday);
    seed(appField("org.example.chat", "Login", "User"), "chat-user", 1, monday);
    load();
    const auto onWeb = store->suggestions(web, 10, false);
    EXPECT_EQ(values(onWeb), (QStringList{"web-user", "bare-host-user"}));
    // An origin that is no URL with a host is shown as it is.
    EXPECT_EQ(onWeb.at(1).title, "From example.net");
    EXPECT_EQ(values(store->suggestions(app, 10, false)), QStringList{"app-user"});
}

TEST_F(SuggestionTest, SearchableListHoldsTheKindFromEverywhereOwnScopeFirst)
{
    const FocusedFieldDescriptor field = webField(kShop, "Login", "user");
    seed(appField("org.example.mail", "Login", "User"), "app-user", 5, monday.addDays(2));
    seed(webField(kOther, "Login", "user"), "other-user", 1, monday.addDays(3));
    seed(webField(kShop, "Login", "account"), "shop-user", 1, monday);
    seed(webField(kShop, "Email", "mail"), "shop@example.com", 1, monday);
    load();
    const auto suggestions = store->suggestions(field, 10, true);
    const QStringList offered = values(suggestions);
    ASSERT_EQ(offered.size(), 3);
    EXPECT_EQ(offered.first(), "shop-user");
    EXPECT_EQ(QSet<QString>(offered.begin(), offered.end()), (QSet<QString>{"shop-user", "app-user", "other-user"}));
    EXPECT_EQ(titles(suggestions), (QStringList{"Latest", "From other.example.org", "From another environment"}));
}

TEST_F(SuggestionTest, PasswordsAreMaskedAndNeverLeaveTheirSiteOrApplication)
{
    const FocusedFieldDescriptor shopPassword = webField(kShop, "Password", "pass");
    seed(shopPassword, "shop-secret", 1, monday);
    seed(webField(kOther, "Password", "pass"), "other-secret", 9, monday.addDays(1));
    seed(webField("http://shop.example.com", "Password", "pass"), "plain-http-secret", 9, monday.addDays(1));
    seed(appField("org.example.mail", "Password", "Password"), "mail-secret", 9, monday.addDays(1));
    load();
    for (const bool searchable : {false, true}) {
        const auto suggestions = store->suggestions(shopPassword, 10, searchable);
        ASSERT_EQ(values(suggestions), QStringList{"shop-secret"}) << searchable;
        EXPECT_EQ(suggestions.first().displayValue, FieldValueAssociationStore::maskedValue());
    }
    const auto inMail = store->suggestions(appField("org.example.mail", "Password", "Password"), 10, true);
    EXPECT_EQ(values(inMail), QStringList{"mail-secret"});
    EXPECT_TRUE(store->suggestions(appField("org.example.chat", "Password", "Password"), 10, true).isEmpty());
}

TEST_F(SuggestionTest, APasswordPairedWithThePendingLoginComesFirst)
{
    const FocusedFieldDescriptor login = webField(kShop, "Login", "user");
    const FocusedFieldDescriptor password = webField(kShop, "Password", "pass");
    store = std::make_unique<FieldValueAssociationStore>(container, secrets, clock);
    ASSERT_TRUE(store->fetchAssociations());
    // alice's password, then bob's (used more often), each typed after its login.
    ASSERT_TRUE(store->recordValue("alice", login));
    ASSERT_TRUE(store->recordValue("alice-pw", password));
    clock.advance(700);
    ASSERT_TRUE(store->recordValue("bob", login));
    ASSERT_TRUE(store->recordValue("bob-pw", password));
    ASSERT_TRUE(store->recordValue("bob-pw", password));
    clock.advance(700);
    // alice logs in again: her password is offered first.
    ASSERT_TRUE(store->recordValue("alice", login));
    auto suggestions = store->suggestions(password, 10, false);
    EXPECT_EQ(values(suggestions), (QStringList{"alice-pw", "bob-pw"}));
    EXPECT_EQ(titles(suggestions), (QStringList{"Last used for this login", "Most used"}));
    EXPECT_EQ(symbols(suggestions), (QStringList{"person.badge.key.fill", "chart.bar.fill"}));
    // Ten minutes later the pairing is over and a query clears it.
    clock.advance(601);
    suggestions = store->suggestions(password, 10, false);
    EXPECT_EQ(values(suggestions), (QStringList{"bob-pw", "alice-pw"}));
    EXPECT_FALSE(store->pendingCredentialLogin());
}

TEST_F(SuggestionTest, LimitZeroLeavesThePendingLoginAlone)
{
    store = std::make_unique<FieldValueAssociationStore>(container, secrets, clock);
    ASSERT_TRUE(store->fetchAssociations());
    ASSERT_TRUE(store->recordValue("alice", webField(kShop, "Login", "user")));
    clock.advance(700);
    EXPECT_TRUE(store->suggestions(webField(kShop, "Password", "pass"), 0, false).isEmpty());
    EXPECT_TRUE(store->pendingCredentialLogin());
    store->suggestions(webField(kOther, "Password", "pass"), 1, false);
    EXPECT_FALSE(store->pendingCredentialLogin());
}

struct TitleRow {
    const char *name;
    std::optional<QString> webOrigin;
    bool sameScope;
    bool matchesLogin;
    bool isFirst;
    QString title;
};

class Titles : public testing::TestWithParam<TitleRow> {};

TEST_P(Titles, FollowScopeLoginAndPosition)
{
    FieldValueAssociation record;
    record.webOrigin = GetParam().webOrigin;
    EXPECT_EQ(FieldValueSuggestionRanking::suggestionTitle(record, GetParam().sameScope, GetParam().matchesLogin,
                                                           GetParam().isFirst),
              GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Titles,
    testing::Values(
        TitleRow{"OwnLogin", kShop, true, true, false, "Last used for this login"},
        TitleRow{"OwnFirst", kShop, true, false, true, "Latest"},
        TitleRow{"OwnLater", kShop, true, false, false, "Most used"},
        TitleRow{"OtherLogin", kOther, false, true, true, QString::fromUtf16(u"For this login \u00B7 other.example.org")},
        TitleRow{"OtherSite", "https://other.example.org:8443", false, false, true, "From other.example.org"},
        TitleRow{"BareHost", "intranet", false, false, false, "From intranet"},
        TitleRow{"Application", std::nullopt, false, false, false, "From another environment"},
        TitleRow{"EmptyOrigin", QString(""), false, false, false, "From another environment"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SuggestionDetails, NameAndUseDatesFromTheRecord)
{
    FieldValueAssociation record;
    record.applicationId = "org.example.crm";
    record.placeholder = "Your phone";
    record.fieldType = "Phone";
    record.lastUsedAt = monday;
    FocusedFieldSuggestionDetails details = FieldValueSuggestionRanking::suggestionDetails(record);
    EXPECT_EQ(details.fieldName, "Your phone");
    EXPECT_EQ(details.recentUsageDates, QList<QDateTime>{monday});
    record.title = ""; // an empty title is still the title
    record.recordUse(monday);
    record.recordUse(monday.addDays(1));
    details = FieldValueSuggestionRanking::suggestionDetails(record);
    EXPECT_EQ(details.fieldName, "");
    EXPECT_EQ(details.recentUsageDates, (QList<QDateTime>{monday.addDays(1), monday}));
    record.lastUsedAt.reset();
    record.recentUsageDatesData.reset();
    EXPECT_TRUE(FieldValueSuggestionRanking::suggestionDetails(record).recentUsageDates.isEmpty());
}

} // namespace
