#pragma once
// Where remembered field values live: one secret-store item per value, found by the service
// "trevik.tavlen.focused-field-values" and the record's account, under a fixed label that never holds the
// value. Also keeps the install's random key for value fingerprints, an item of the same service.

#include "platform/SecretStore.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class FieldValueKeychain {
public:
    static QString defaultService() { return QStringLiteral("trevik.tavlen.focused-field-values"); }
    // What keyring managers show for an item.
    static QString valueLabel() { return QStringLiteral("Tavlen: remembered field value"); }
    static QString fingerprintKeyLabel() { return QStringLiteral("Tavlen: field value fingerprint key"); }
    // Never a record's account: those are upper-case UUIDs.
    static QString fingerprintKeyAccount() { return QStringLiteral("value-fingerprint-key"); }

    FieldValueKeychain(SecretStore &store, QString service = defaultService());

    const QString &service() const { return m_service; }

    // Stores the value's UTF-8 bytes exactly as given (untrimmed, no terminator), replacing the item's
    // value when it exists.
    SecretStoreStatus save(const QString &value, const QString &account);
    // The value, or nothing when it is missing, cannot be read or is not valid UTF-8: callers treat all
    // of these alike, as a value that is not available.
    std::optional<QString> read(const QString &account);
    // The values of several accounts at once (one round trip where the secret store can), as read() answers.
    QHash<QString, std::optional<QString>> readMany(const QStringList &accounts);
    // itemNotFound when there was nothing to delete.
    SecretStoreStatus remove(const QString &account);

    SecretRead readFingerprintKey();
    SecretStoreStatus saveFingerprintKey(const QByteArray &key);

private:
    SecretStore *m_store;
    QString m_service;
};
