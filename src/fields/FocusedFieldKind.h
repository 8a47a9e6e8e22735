#pragma once
// The fifteen kinds of field the engine tells apart, their labels, and the ordered keyword rules (English
// and Polish) that decide a field's kind from what it says about itself.

#include <QList>
#include <QString>

#include <optional>

enum class AccessibilityRole;

class FocusedFieldKind {
public:
    enum Kind {
        url,
        login,
        firstName,
        lastName,
        name,
        email,
        phone,
        company,
        address,
        postalCode,
        taxID,
        identifier,
        password,
        date,
        text,
    };

    constexpr FocusedFieldKind(Kind kind)
        : m_kind(kind)
    {
    }
    constexpr operator Kind() const { return m_kind; }

    // "URL", "Login", "First name"... as stored with every remembered value.
    QString label() const;

    // The first rule that matches `hintText` (the field's hint texts joined with spaces); `role` is the
    // field's role. None when no rule matches; `text` is never the answer.
    static std::optional<FocusedFieldKind> classify(const QString &hintText, std::optional<AccessibilityRole> role);

    static const QList<FocusedFieldKind> &allCases();

private:
    Kind m_kind;
};
