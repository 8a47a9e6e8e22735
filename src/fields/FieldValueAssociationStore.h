#pragma once
// Remembers which values the user put into which fields of other applications: one record per value and
// field in the field-value store, the value itself in the secret store. Pairs a login with the password
// entered within ten minutes after it in the same site or application, and turns the records into
// suggestions for a field. Its calls to the secret store and the store file wait for their answers, so it
// lives on a worker thread of its own (FieldValueAssociationService), never on the main thread.
//
// Values are matched by a keyed fingerprint (HMAC-SHA-256 with a random key of this install, kept in the
// secret store), so the database never holds anything a guess could be tested against.

#include "fields/FieldValueKeychain.h"
#include "fields/FocusedFieldSuggestion.h"
#include "model/FieldValueAssociation.h"
#include "model/FocusedFieldDescriptor.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class Clock;
class FieldValueAssociationContainer;
class SecretStore;

class FieldValueAssociationStore : public QObject {
    Q_OBJECT
public:
    // How long a recorded login may be paired with a password, in seconds (exactly 600 still counts).
    static constexpr double credentialContextLifetime = 600.0;
    // The longest value remembered, in user-perceived characters.
    static constexpr int maximumValueLength = 4096;
    // What a suggestion shows instead of a password.
    static QString maskedValue() { return QString(8, QChar(0x2022)); }

    // The last recorded login or e-mail value, kept in memory only.
    struct PendingCredentialLogin {
        QString valueFingerprint;
        QString scope;
        QDateTime recordedAt;
        double recordedAtUptime = 0; // the window is measured on the monotonic clock

        friend bool operator==(const PendingCredentialLogin &, const PendingCredentialLogin &) = default;
    };

    FieldValueAssociationStore(FieldValueAssociationContainer &container, SecretStore &secrets, Clock &clock,
                               const QString &keychainService = FieldValueKeychain::defaultService(),
                               QObject *parent = nullptr);
    ~FieldValueAssociationStore() override;

    // Every record: the fetch order, records created later in front.
    const QList<FieldValueAssociation> &associations() const { return m_associations; }
    const std::optional<PendingCredentialLogin> &pendingCredentialLogin() const { return m_pendingCredentialLogin; }
    // Whether the records were loaded: until then nothing is recorded, so nothing can be remembered twice.
    bool isLoaded() const { return m_loaded; }

    // Loads every record, removes secrets whose record never got written, brings stored fingerprints up
    // to date and saves once. False when the store could not be read (the list keeps what it held).
    // A store file that could not be used where it is lives in memory for this run: its values are then
    // removed from the secret store again when the store ends.
    bool fetchAssociations();

    // Remembers `value` for the field; true when it was recorded. Refused: before a successful load, a
    // blank value, more than 4,096 characters, no secret store or no fingerprint key. A failed save leaves
    // neither a record nor a secret behind. `secretStoreFailed` is set when the secret store could not take
    // the value (missing, locked, not answering): asked again once it answers, the same call may succeed.
    bool recordValue(const QString &value, const FocusedFieldDescriptor &field, bool *secretStoreFailed = nullptr);

    // The remembered values offered for the field, at most `limit`: with `searchable`, every value of the
    // field's kind (passwords only of its own site or application), its own scope first; otherwise those
    // that fit it best. Passwords are shown masked. Clears a pending login that has expired or belongs
    // elsewhere.
    QList<FocusedFieldSuggestion> suggestions(const FocusedFieldDescriptor &field, int limit, bool searchable);

Q_SIGNALS:
    void associationsChanged();
    void pendingCredentialLoginChanged();

private:
    // The keyed fingerprint, 64 lower-case hex digits; needs the key.
    QString valueFingerprint(const QString &value) const;
    // Index into associations, or -1.
    int existingAssociation(const FocusedFieldDescriptor &field, const QString &value,
                            const QString &valueFingerprint);
    std::optional<PendingCredentialLogin> activeCredentialLogin(const FocusedFieldDescriptor &field);
    void setPendingCredentialLogin(const std::optional<PendingCredentialLogin> &login);
    // Backfills missing value fingerprints and renews field fingerprints; true when anything changed.
    bool repairStoredFingerprints();
    // Reads (or, when there is none yet, creates) the fingerprint key; false without one. A new key, or one
    // the stored fingerprints were not made with, drops them for the repair to take again.
    bool ensureFingerprintKey();
    void removeAbandonedSecrets();
    void markChanged(const QUuid &id);
    // Writes every changed record and pending fact; on failure they stay pending for the next save.
    bool saveChanges();

    FieldValueAssociationContainer &m_container;
    FieldValueKeychain m_keychain;
    Clock &m_clock;
    QList<FieldValueAssociation> m_associations;
    std::optional<PendingCredentialLogin> m_pendingCredentialLogin;
    bool m_loaded = false;
    std::optional<QByteArray> m_fingerprintKey;
    QSet<QUuid> m_changed;
    QHash<QString, QString> m_pendingFacts;
};
