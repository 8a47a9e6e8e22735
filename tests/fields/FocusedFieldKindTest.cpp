// Field kinds: the ordered keyword rules, the URL component rule, and folding that is the same in every locale.
#include "model/FieldTextFolding.h"
#include "fields/FocusedFieldKind.h"
#include "platform/AccessibilityAttribute.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

struct Row {
    const char *hint;
    std::optional<AccessibilityRole> role;
    std::optional<FocusedFieldKind> kind;  // nullopt: no rule matched
};

const Row rows[] = {
    // The secure role decides before any text.
    {"Search", AccessibilityRole::secureTextField, FocusedFieldKind::password},
    {"AXSecureTextField", AccessibilityRole::textField, std::nullopt},
    // The URL component rule: whole components only.
    {"url", AccessibilityRole::textField, FocusedFieldKind::url},
    {"profile_url", AccessibilityRole::textField, FocusedFieldKind::url},
    {"url-input", AccessibilityRole::textField, FocusedFieldKind::url},
    {"curl", AccessibilityRole::textField, std::nullopt},
    {"urls", AccessibilityRole::textField, std::nullopt},
    {"Search or enter website name", AccessibilityRole::textField, FocusedFieldKind::url},
    {"Pasek adresu", AccessibilityRole::textField, FocusedFieldKind::url},
    // Order between rules.
    {"Email address", AccessibilityRole::textField, FocusedFieldKind::email},
    {"Postal address", AccessibilityRole::textField, FocusedFieldKind::postalCode},
    {"Company name", AccessibilityRole::textField, FocusedFieldKind::company},
    {"File name", AccessibilityRole::textField, FocusedFieldKind::name},
    {"Name and surname", AccessibilityRole::textField, FocusedFieldKind::lastName},
    {"Customer ID", AccessibilityRole::textField, FocusedFieldKind::login},
    {"User ID", AccessibilityRole::textField, FocusedFieldKind::identifier},
    {"ID", AccessibilityRole::textField, FocusedFieldKind::identifier},
    {"ID number", AccessibilityRole::textField, std::nullopt},
    {"Expiry date", AccessibilityRole::textField, FocusedFieldKind::date},
    {"email", AccessibilityRole::textField, FocusedFieldKind::email},
    {"password", AccessibilityRole::textField, FocusedFieldKind::password},
    {"tel", AccessibilityRole::textField, std::nullopt},
    {"date", AccessibilityRole::textField, std::nullopt},
    {"", AccessibilityRole::textField, std::nullopt},
    // Keywords match inside words.
    {"Private notes", AccessibilityRole::textField, FocusedFieldKind::taxID},
    {"Turnip", AccessibilityRole::textField, FocusedFieldKind::taxID},
    {"Postcodes", AccessibilityRole::textField, FocusedFieldKind::postalCode},
    // Hyphenated e-mail, in both languages.
    {"E-mail", AccessibilityRole::textField, FocusedFieldKind::email},
    {"Adres e-mail", AccessibilityRole::textField, FocusedFieldKind::email},
    // Polish, with diacritics folded; "ł" has no combining mark and still folds.
    {"Imię i nazwisko", AccessibilityRole::textField, FocusedFieldKind::firstName},
    {"Nazwisko", AccessibilityRole::textField, FocusedFieldKind::lastName},
    {"Hasło", AccessibilityRole::textField, FocusedFieldKind::password},
    {"HASŁO", AccessibilityRole::textField, FocusedFieldKind::password},
    {"Data wygaśnięcia", AccessibilityRole::textField, FocusedFieldKind::date},
    {"Kod pocztowy", AccessibilityRole::textField, FocusedFieldKind::postalCode},
    {"Identyfikator klienta", AccessibilityRole::textField, FocusedFieldKind::login},
    {"Telefon komórkowy", AccessibilityRole::textField, FocusedFieldKind::phone},
    {"Firma", AccessibilityRole::textField, FocusedFieldKind::company},
    {"Nazwa firmy", AccessibilityRole::textField, FocusedFieldKind::name},
    // Diacritics and case elsewhere.
    {"PASSWÖRD", std::nullopt, FocusedFieldKind::password},
    {"Given Name", std::nullopt, FocusedFieldKind::firstName},
};

TEST(FocusedFieldKindTest, RulesDecideInTheirOrder)
{
    for (const Row &row : rows) {
        EXPECT_EQ(FocusedFieldKind::classify(QString::fromUtf8(row.hint), row.role), row.kind) << row.hint;
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
