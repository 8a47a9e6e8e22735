#include "fields/FieldValueSuggestionRanking.h"

#include <QSet>
#include <QUrl>

#include <algorithm>

namespace FieldValueSuggestionRanking {

namespace {

using Group = QList<const FieldValueAssociation *>;

bool isEligible(const FieldValueAssociation &record)
{
    return (record.pasteCount >= 1 && record.lastUsedAt) || !record.displayLabel.isEmpty();
}

// Same scope first, each part ranked on its own.
Group splitAndRank(const Group &group, const FocusedFieldDescriptor &field, const std::optional<QString> &login)
{
    const QString fieldScope = field.scopeKey();
    Group own;
    Group others;
    for (const FieldValueAssociation *record : group)
        (scopeKey(*record) == fieldScope ? own : others).append(record);
    return rankedAssociations(own, field, login) + rankedAssociations(others, field, login);
}

} // namespace

QString normalizedKind(const QString &fieldType)
{
    return FocusedFieldDescriptor::normalized(fieldType);
}

bool isPassword(const QString &fieldType)
{
    return normalizedKind(fieldType) == QLatin1String("password");
}

bool isPassword(const FieldValueAssociation &record)
{
    return isPassword(record.fieldType);
}

QString scopeKey(const FieldValueAssociation &record)
{
    if (record.webOrigin && !record.webOrigin->isEmpty())
        return QStringLiteral("web:") + FocusedFieldDescriptor::normalized(*record.webOrigin);
    return QStringLiteral("app:") + FocusedFieldDescriptor::normalized(record.applicationId);
}

QDateTime useDate(const FieldValueAssociation &record)
{
    return record.lastUsedAt.value_or(record.updatedAt);
}

Group candidateAssociations(const QList<FieldValueAssociation> &records, const FocusedFieldDescriptor &field,
                            const std::optional<QString> &credentialLoginFingerprint, bool searchable)
{
    const QString kind = normalizedKind(field.fieldType);
    const QString fieldScope = field.scopeKey();
    // A password typed into one site or application is never offered to another one.
    auto mayOffer = [&](const FieldValueAssociation &record) {
        return !isPassword(record) || scopeKey(record) == fieldScope;
    };
    auto collect = [&](auto &&keep) {
        Group group;
        for (const FieldValueAssociation &record : records)
            if (isEligible(record) && mayOffer(record) && keep(record))
                group.append(&record);
        return group;
    };

    if (searchable) {
        const Group group = collect([&](const auto &record) { return normalizedKind(record.fieldType) == kind; });
        return splitAndRank(group, field, credentialLoginFingerprint);
    }
    if (kind == QLatin1String("login") || kind == QLatin1String("email")) {
        const Group group = collect([&](const auto &record) {
            const QString recordKind = normalizedKind(record.fieldType);
            return (recordKind == QLatin1String("login") || recordKind == QLatin1String("email"))
                && isCompatibleEnvironment(record, field);
        });
        return splitAndRank(group, field, credentialLoginFingerprint);
    }
    if (kind == QLatin1String("password")) {
        const Group group = collect([&](const auto &record) {
            return isPassword(record) && isCompatibleEnvironment(record, field);
        });
        return splitAndRank(group, field, credentialLoginFingerprint);
    }
    const QString fingerprint = field.fingerprint();
    const Group group = collect([&](const auto &record) { return record.fingerprint == fingerprint; });
    return rankedAssociations(group, field, std::nullopt);
}

bool isCompatibleEnvironment(const FieldValueAssociation &record, const FocusedFieldDescriptor &field)
{
    if (!field.webOrigin)
        return !record.webOrigin
            && FocusedFieldDescriptor::normalized(record.applicationId)
            == FocusedFieldDescriptor::normalized(field.applicationId);
    return record.webOrigin.has_value();
}

Group rankedAssociations(const Group &group, const FocusedFieldDescriptor &field,
                         const std::optional<QString> &credentialLoginFingerprint)
{
    if (group.isEmpty())
        return {};
    Group latest = group;
    std::stable_sort(latest.begin(), latest.end(), [](const auto *a, const auto *b) {
        const QDateTime dateA = useDate(*a);
        const QDateTime dateB = useDate(*b);
        if (dateA != dateB)
            return dateA > dateB;
        return a->pasteCount > b->pasteCount;
    });
    Group mostUsed = group;
    std::stable_sort(mostUsed.begin(), mostUsed.end(), [](const auto *a, const auto *b) {
        if (a->pasteCount != b->pasteCount)
            return a->pasteCount > b->pasteCount;
        return useDate(*a) > useDate(*b);
    });

    Group ordered;
    if (credentialLoginFingerprint && normalizedKind(field.fieldType) == QLatin1String("password")) {
        for (const FieldValueAssociation *record : std::as_const(latest))
            if (record->credentialLoginValueFingerprints().contains(*credentialLoginFingerprint))
                ordered.append(record);
    }
    const QString fingerprint = field.fingerprint();
    for (const FieldValueAssociation *record : std::as_const(latest))
        if (record->fingerprint == fingerprint)
            ordered.append(record);
    ordered.append(latest.first());
    ordered += mostUsed;

    Group result;
    QSet<QUuid> seen;
    for (const FieldValueAssociation *record : std::as_const(ordered)) {
        if (seen.contains(record->id))
            continue;
        seen.insert(record->id);
        result.append(record);
    }
    return result;
}

QString suggestionTitle(const FieldValueAssociation &record, bool sameScope, bool matchesCredentialLogin,
                        bool isFirst)
{
    if (sameScope) {
        if (matchesCredentialLogin)
            return QStringLiteral("Last used for this login");
        return isFirst ? QStringLiteral("Latest") : QStringLiteral("Most used");
    }
    if (matchesCredentialLogin)
        return QStringLiteral("For this login \u00b7 ") + originName(record);
    return QStringLiteral("From ") + originName(record);
}

QString originName(const FieldValueAssociation &record)
{
    if (!record.webOrigin || record.webOrigin->isEmpty())
        return QStringLiteral("another environment");
    const QUrl url(*record.webOrigin, QUrl::StrictMode);
    if (url.isValid() && !url.host().isEmpty())
        return url.host();
    return *record.webOrigin;
}

FocusedFieldSuggestionDetails suggestionDetails(const FieldValueAssociation &record)
{
    FocusedFieldSuggestionDetails details;
    details.applicationId = record.applicationId;
    details.webOrigin = record.webOrigin;
    details.fieldType = record.fieldType;
    // An empty title is still the title.
    details.fieldName = record.title ? record.title : record.placeholder;
    details.domIdentifier = record.domIdentifier;
    details.accessibilityIdentifier = record.accessibilityIdentifier;
    details.createdAt = record.createdAt;
    details.updatedAt = record.updatedAt;
    details.lastUsedAt = record.lastUsedAt;
    details.recentUsageDates = record.recentUsageDates();
    if (details.recentUsageDates.isEmpty() && record.lastUsedAt)
        details.recentUsageDates = {*record.lastUsedAt};
    return details;
}

} // namespace FieldValueSuggestionRanking
