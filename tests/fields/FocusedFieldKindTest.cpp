// Field kinds: the ordered keyword rules, the URL component rule, and folding that is the same in every locale.
#include "model/FieldTextFolding.h"
#include "fields/FocusedFieldKind.h"
#include "platform/AccessibilityAttribute.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

struct Row {
    const char *hint;
    const char *role;                      // nullptr: no role
    std::optional<FocusedFieldKind> kind;  // nullopt: no rule matched
};

const Row rows[] = {
    // The secure role decides before any text.
    {"Search", "AXSecureTextField", FocusedFieldKind::password},
    {"AXSecureTextField", "AXTextField", std::nullopt},
    // The URL component rule: whole components only.
    {"url", "AXTextField", FocusedFieldKind::url},
    {"profile_url", "AXTextField", FocusedFieldKind::url},
    {"url-input", "AXTextField", FocusedFieldKind::url},
    {"curl", "AXTextField", std::nullopt},
    {"urls", "AXTextField", std::nullopt},
    {"Search or enter website name", "AXTextField", FocusedFieldKind::url},
    {"Pasek adresu", "AXTextField", FocusedFieldKind::url},
    // Order between rules.
    {"Email address", "AXTextField", FocusedFieldKind::email},
    {"Postal address", "AXTextField", FocusedFieldKind::postalCode},
    {"Company name", "AXTextField", FocusedFieldKind::company},
    {"File name", "AXTextField", FocusedFieldKind::name},
    {"Name and surname", "AXTextField", FocusedFieldKind::lastName},
    {"Customer ID", "AXTextField", FocusedFieldKind::login},
    {"User ID", "AXTextField", FocusedFieldKind::identifier},
    {"ID", "AXTextField", FocusedFieldKind::identifier},
    {"ID number", "AXTextField", std::nullopt},
    {"Expiry date", "AXTextField", FocusedFieldKind::date},
    {"email", "AXTextField", FocusedFieldKind::email},
    {"password", "AXTextField", FocusedFieldKind::password},
    {"tel", "AXTextField", std::nullopt},
    {"date", "AXTextField", std::nullopt},
    {"", "AXTextField", std::nullopt},
    // Keywords match inside words.
    {"Private notes", "AXTextField", FocusedFieldKind::taxID},
    {"Turnip", "AXTextField", FocusedFieldKind::taxID},
    {"Postcodes", "AXTextField", FocusedFieldKind::postalCode},
    // Hyphenated e-mail, in both languages.
    {"E-mail", "AXTextField", FocusedFieldKind::email},
    {"Adres e-mail", "AXTextField", FocusedFieldKind::email},
    // Polish, with diacritics folded; "ł" has no combining mark and still folds.
    {"Imię i nazwisko", "AXTextField", FocusedFieldKind::firstName},
    {"Nazwisko", "AXTextField", FocusedFieldKind::lastName},
    {"Hasło", "AXTextField", FocusedFieldKind::password},
    {"HASŁO", "AXTextField", FocusedFieldKind::password},
    {"Data wygaśnięcia", "AXTextField", FocusedFieldKind::date},
    {"Kod pocztowy", "AXTextField", FocusedFieldKind::postalCode},
    {"Identyfikator klienta", "AXTextField", FocusedFieldKind::login},
    {"Telefon komórkowy", "AXTextField", FocusedFieldKind::phone},
    {"Firma", "AXTextField", FocusedFieldKind::company},
    {"Nazwa firmy", "AXTextField", FocusedFieldKind::name},
    // Diacritics and case elsewhere.
    {"PASSWÖRD", nullptr, FocusedFieldKind::password},
    {"Given Name", nullptr, FocusedFieldKind::firstName},
};

std::optional<QString> role(const char *r)
{
    return r ? std::optional<QString>(QString::fromUtf8(r)) : std::nullopt;
}

TEST(FocusedFieldKindTest, RulesDecideInTheirOrder)
{
    for (const Row &row : rows) {
        EXPECT_EQ(FocusedFieldKind::classify(QString::fromUtf8(row.hint), role(row.role)), row.kind) << row.hint;
    }
}

TEST(FocusedFieldKindTest, FoldingIsTheSameInEveryLocale)
{
    const QLocale previous;
    for (const char *name : {"tr_TR", "pl_PL", "de_DE", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(FocusedFieldKind::classify(QStringLiteral("ID"), AccessibilityRole::textField), FocusedFieldKind::identifier)
            << name;
        EXPECT_EQ(FieldTextFolding::fold(QStringLiteral("ID")), QStringLiteral("id")) << name;
        EXPECT_EQ(FieldTextFolding::fold(QStringLiteral("İstanbul")), QStringLiteral("istanbul")) << name;
        EXPECT_EQ(FieldTextFolding::fold(QStringLiteral("Łódź Żółć")), QStringLiteral("lodz zolc")) << name;
    }
    QLocale::setDefault(previous);
}

TEST(FocusedFieldKindTest, EveryKindHasItsLabel)
{
    const QStringList labels = {"URL",     "Login",       "First name", "Last name", "Name",
                                "Email",   "Phone",       "Company",    "Address",   "Postal code",
                                "Tax ID",  "ID",          "Password",   "Date",      "Text"};
    ASSERT_EQ(FocusedFieldKind::allCases().size(), labels.size());
    for (qsizetype i = 0; i < labels.size(); ++i)
        EXPECT_EQ(FocusedFieldKind::allCases().at(i).label(), labels.at(i));
}

} // namespace
