#pragma once
// What is known of another application's text field: where it lives (application, web origin), how it
// names itself, its role and kind label, and two flags of the moment. Its fingerprint identifies the field
// across reads and restarts; its scope key names the site or application it belongs to.

#include <QHash>
#include <QString>

#include <optional>

struct FocusedFieldDescriptor {
    // Empty when the application is not known.
    QString applicationId;
    // Lower-cased "scheme://host" of the web page holding the field.
    std::optional<QString> webOrigin;
    // The optional strings are trimmed, non-empty and at most 200 characters when read from a field.
    std::optional<QString> domIdentifier;
    std::optional<QString> accessibilityIdentifier;
    std::optional<QString> title;
    std::optional<QString> placeholder;
    // "unknown" when the role could not be read.
    QString role = QStringLiteral("unknown");
    // The kind label ("Email", "Password", "Text"...).
    QString fieldType;
    bool hasSelectedText = false;
    bool isEmpty = false;

    // 64 lower-case hexadecimal digits: SHA-256 of the field's identity (origin or application, role, and
    // its DOM or accessibility identifier, else its title, placeholder and kind). The two flags never count.
    QString fingerprint() const;
    // "web:<origin>" for a field of a web page, else "app:<application>".
    QString scopeKey() const;

    // Folded for case and diacritics (the same in every locale), trimmed, lower-cased.
    static QString normalized(const QString &text);

    friend bool operator==(const FocusedFieldDescriptor &, const FocusedFieldDescriptor &) = default;
};

size_t qHash(const FocusedFieldDescriptor &descriptor, size_t seed = 0);
