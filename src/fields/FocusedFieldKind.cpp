#include "fields/FocusedFieldKind.h"

#include "model/FieldTextFolding.h"
#include "platform/AccessibilityAttribute.h"

#include <QStringList>

namespace {

struct KeywordRule {
    FocusedFieldKind kind;
    QStringList keywords;
};

// Tried in this order; within a rule the first keyword found decides. Keywords are folded lower case and
// match anywhere in the folded text, inside longer words too.
const QList<KeywordRule> &keywordRules()
{
    static const QList<KeywordRule> rules = {
        {FocusedFieldKind::url,
         {"omnibox", "address and search", "search or enter address", "search or enter website",
          "search or enter web address", "smart search field", "website address", "web address", "location bar",
          "address bar", "adres witryny", "adres strony", "wpisz adres", "pasek adresu", "adres www"}},
        {FocusedFieldKind::email, {"email", "e mail", "e-mail"}},
        {FocusedFieldKind::password, {"password", "passcode", "haslo"}},
        {FocusedFieldKind::date,
         {"expiry date", "expiration date", "expire date", "date of expiry", "data wygasniecia"}},
        {FocusedFieldKind::login, {"login", "username", "user name", "customer id", "client id", "identyfikator klienta"}},
        {FocusedFieldKind::firstName, {"first name", "given name", "imie", "fname"}},
        {FocusedFieldKind::lastName, {"last name", "surname", "family name", "nazwisko", "lname"}},
        {FocusedFieldKind::name, {"full name"}},
        {FocusedFieldKind::phone, {"phone", "mobile", "telephone", "telefon"}},
        {FocusedFieldKind::company, {"company", "organisation", "organization", "firma"}},
        {FocusedFieldKind::postalCode, {"postal", "postcode", "kod pocztowy", "zip"}},
        {FocusedFieldKind::address, {"address", "street", "adres"}},
        {FocusedFieldKind::taxID, {"tax id", "taxpayer", "vat", "nip", "tid"}},
        {FocusedFieldKind::identifier, {"identifier", "user id", "record id", "identyfikator"}},
        {FocusedFieldKind::name, {"name", "nazwa"}},
    };
    return rules;
}

bool hasUrlComponent(const QString &folded)
{
    QString component;
    auto isUrl = [&component] { return component == QLatin1String("url"); };
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded.at(i);
        if (c.isLetterOrNumber()) {
            component.append(c);
            continue;
        }
        if (c.isHighSurrogate() && i + 1 < folded.size()) {
            const char32_t ucs4 = QChar::surrogateToUcs4(c, folded.at(i + 1));
            if (QChar::isLetterOrNumber(ucs4)) {
                component.append(c).append(folded.at(++i));
                continue;
            }
        }
        if (isUrl())
            return true;
        component.clear();
    }
    return isUrl();
}

} // namespace

QString FocusedFieldKind::label() const
{
    switch (m_kind) {
    case url:
        return QStringLiteral("URL");
    case login:
        return QStringLiteral("Login");
    case firstName:
        return QStringLiteral("First name");
    case lastName:
        return QStringLiteral("Last name");
    case name:
        return QStringLiteral("Name");
    case email:
        return QStringLiteral("Email");
    case phone:
        return QStringLiteral("Phone");
    case company:
        return QStringLiteral("Company");
    case address:
        return QStringLiteral("Address");
    case postalCode:
        return QStringLiteral("Postal code");
    case taxID:
        return QStringLiteral("Tax ID");
    case identifier:
        return QStringLiteral("ID");
    case password:
        return QStringLiteral("Password");
    case date:
        return QStringLiteral("Date");
    case text:
        return QStringLiteral("Text");
    }
    return QStringLiteral("Text");
}

std::optional<FocusedFieldKind> FocusedFieldKind::classify(const QString &hintText, std::optional<AccessibilityRole> role)
{
    if (role == AccessibilityRole::secureTextField)
        return password;
    const QString folded = FieldTextFolding::fold(hintText);
    if (hasUrlComponent(folded))
        return url;
    for (const KeywordRule &rule : keywordRules()) {
        for (const QString &keyword : rule.keywords) {
            if (folded.contains(keyword))
                return rule.kind;
        }
        if (rule.kind == identifier && folded == QLatin1String("id"))
            return identifier;
    }
    return std::nullopt;
}

const QList<FocusedFieldKind> &FocusedFieldKind::allCases()
{
    static const QList<FocusedFieldKind> kinds = {url,     login,   firstName,  lastName,   name,
                                                  email,   phone,   company,    address,    postalCode,
                                                  taxID,   identifier, password, date,      text};
    return kinds;
}
