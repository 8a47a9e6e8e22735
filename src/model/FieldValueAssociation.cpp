#include "model/FieldValueAssociation.h"

#include "model/JsonListCoding.h"

#include <algorithm>

void FieldValueAssociation::applyFieldDetails(const FocusedFieldDescriptor &field)
{
    applicationId = field.applicationId;
    webOrigin = field.webOrigin;
    domIdentifier = field.domIdentifier;
    accessibilityIdentifier = field.accessibilityIdentifier;
    title = field.title;
    placeholder = field.placeholder;
    role = field.role;
    fieldType = field.fieldType;
    fingerprint = field.fingerprint();
}

FieldValueAssociation FieldValueAssociation::make(const FocusedFieldDescriptor &field, const QString &displayLabel,
                                                  const QString &keychainAccount, const QString &valueFingerprint,
                                                  qint64 pasteCount, const QDateTime &now)
{
    FieldValueAssociation record;
    record.id = QUuid::createUuid();
    record.applyFieldDetails(field);
    record.displayLabel = displayLabel;
    record.keychainAccount = keychainAccount;
    record.valueFingerprint = valueFingerprint;
    record.pasteCount = pasteCount;
    record.createdAt = now;
    record.updatedAt = now;
    return record;
}

FocusedFieldDescriptor FieldValueAssociation::fieldDescriptor() const
{
    FocusedFieldDescriptor field;
    field.applicationId = applicationId;
    field.webOrigin = webOrigin;
    field.domIdentifier = domIdentifier;
    field.accessibilityIdentifier = accessibilityIdentifier;
    field.title = title;
    field.placeholder = placeholder;
    field.role = role;
    field.fieldType = fieldType;
    return field;
}

void FieldValueAssociation::recordUse(const QDateTime &date)
{
    QList<QDateTime> dates = recentUsageDates();
    dates.prepend(date);
    std::stable_sort(dates.begin(), dates.end(), [](const QDateTime &a, const QDateTime &b) { return a > b; });
    recentUsageDatesData = JsonListCoding::encodeDates(dates);
}

void FieldValueAssociation::recordCredentialLoginValue(const QString &loginValueFingerprint)
{
    if (loginValueFingerprint.isEmpty())
        return;
    QStringList logins = credentialLoginValueFingerprints();
    logins.removeAll(loginValueFingerprint);
    logins.prepend(loginValueFingerprint);
    credentialLoginValueFingerprintsData = JsonListCoding::encodeStrings(logins.mid(0, maximumCredentialLogins));
}

QList<QDateTime> FieldValueAssociation::recentUsageDates() const
{
    return recentUsageDatesData ? JsonListCoding::decodeDates(*recentUsageDatesData) : QList<QDateTime>();
}

QStringList FieldValueAssociation::credentialLoginValueFingerprints() const
{
    return credentialLoginValueFingerprintsData ? JsonListCoding::decodeStrings(*credentialLoginValueFingerprintsData)
                                                : QStringList();
}
