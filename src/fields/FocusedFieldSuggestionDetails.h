#pragma once
// Where a remembered field value belongs and when it was used.

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

struct FocusedFieldSuggestionDetails {
    QString applicationId;
    std::optional<QString> webOrigin;
    QString fieldType;
    std::optional<QString> fieldName;
    std::optional<QString> domIdentifier;
    std::optional<QString> accessibilityIdentifier;
    std::optional<QDateTime> createdAt;
    std::optional<QDateTime> updatedAt;
    std::optional<QDateTime> lastUsedAt;
    // Newest first.
    QList<QDateTime> recentUsageDates;

    friend bool operator==(const FocusedFieldSuggestionDetails &, const FocusedFieldSuggestionDetails &) = default;
};
