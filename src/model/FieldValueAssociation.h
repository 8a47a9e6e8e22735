#pragma once
// One remembered value in one field of another application: the field as it was read (its descriptor's
// fields and their fingerprint) and where the value is (the secret-store account, a keyed fingerprint of
// the value) with how it was used. The value itself is never part of the record.

#include "model/FocusedFieldDescriptor.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

struct FieldValueAssociation {
    // How many login fingerprints a password record keeps.
    static constexpr int maximumCredentialLogins = 20;

    QUuid id;
    QString fingerprint;
    QString applicationId;
    std::optional<QString> webOrigin;
    std::optional<QString> domIdentifier;
    std::optional<QString> accessibilityIdentifier;
    std::optional<QString> title;
    std::optional<QString> placeholder;
    QString role;
    QString fieldType;
    QString displayLabel;
    QString keychainAccount;
    QString valueFingerprint;
    qint64 pasteCount = 0;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> lastUsedAt;
    // JSON array of use dates, newest first.
    std::optional<QByteArray> recentUsageDatesData;
    // JSON array of login value fingerprints, newest first, at most 20.
    std::optional<QByteArray> credentialLoginValueFingerprintsData;

    // A new record of `value` in `field`: a fresh id, created and updated now, never used yet; the field's
    // descriptor fields and their fingerprint.
    static FieldValueAssociation make(const FocusedFieldDescriptor &field, const QString &displayLabel,
                                      const QString &keychainAccount, const QString &valueFingerprint,
                                      qint64 pasteCount, const QDateTime &now);
    // Takes the field's descriptor fields and their fingerprint (when a value is used again in a changed field).
    void applyFieldDetails(const FocusedFieldDescriptor &field);
    // The field as the record remembers it (the two flags of the moment are false).
    FocusedFieldDescriptor fieldDescriptor() const;

    // Puts the date in front of the use dates (kept newest first).
    void recordUse(const QDateTime &date);
    // Moves the login fingerprint to the front of the list, once, keeping the 20 newest; an empty one
    // changes nothing.
    void recordCredentialLoginValue(const QString &loginValueFingerprint);

    // Empty when the data is absent or cannot be decoded.
    QList<QDateTime> recentUsageDates() const;
    QStringList credentialLoginValueFingerprints() const;

    friend bool operator==(const FieldValueAssociation &, const FieldValueAssociation &) = default;
};
