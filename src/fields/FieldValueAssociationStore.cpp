#include "fields/FieldValueAssociationStore.h"

#include "fields/FieldValueSuggestionRanking.h"
#include "fields/GraphemeClusters.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/Clock.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QUuid>

#include <limits>

namespace {

const QString kKeyCheckFact = QStringLiteral("valueFingerprintKeyCheck");
// What the key check is computed over: knowing it tells nothing about the key.
const QByteArray kKeyCheckMessage = QByteArrayLiteral("trevik.tavlen.value-fingerprint-key-check");
constexpr int kKeyBytes = 32;

QString hmacHex(const QByteArray &key, const QByteArray &message)
{
    return QString::fromLatin1(QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256).toHex());
}

// Whether a removal leaves the item surely gone; after a failure or no answer it may still be there.
bool isGone(SecretStoreStatus removed)
{
    return removed == SecretStoreStatus::success || removed == SecretStoreStatus::itemNotFound;
}

bool isLoginKind(const QString &kind)
{
    return kind == QLatin1String("login") || kind == QLatin1String("email");
}

} // namespace

FieldValueAssociationStore::FieldValueAssociationStore(FieldValueAssociationContainer &container,
                                                       SecretStore &secrets, Clock &clock,
                                                       const QString &keychainService, QObject *parent)
    : QObject(parent)
    , m_container(container)
    , m_keychain(secrets, keychainService)
    , m_clock(clock)
{
}

FieldValueAssociationStore::~FieldValueAssociationStore()
{
    // Records kept in memory end with this run: their secrets must not outlive them.
    if (m_container.isInMemory()) {
        for (const FieldValueAssociation &record : std::as_const(m_associations))
            m_keychain.remove(record.keychainAccount);
    }
}

bool FieldValueAssociationStore::fetchAssociations()
{
    const std::optional<QList<FieldValueAssociation>> fetched = m_container.fetchAll();
    if (!fetched)
        return false;
    bool changed = *fetched != m_associations;
    m_associations = *fetched;
    m_changed.clear();
    m_loaded = true;
    removeAbandonedSecrets();
    // Without a key (no secret store yet) the value fingerprints stay as they are until one is found.
    ensureFingerprintKey();
    changed = repairStoredFingerprints() || changed;
    if (!m_changed.isEmpty() || !m_pendingFacts.isEmpty())
        saveChanges();
    if (changed)
        Q_EMIT associationsChanged();
    return true;
}

void FieldValueAssociationStore::removeAbandonedSecrets()
{
    const std::optional<QStringList> pending = m_container.pendingSecrets();
    if (!pending)
        return;
    QSet<QString> recorded;
    for (const FieldValueAssociation &record : std::as_const(m_associations))
        recorded.insert(record.keychainAccount);
    for (const QString &account : *pending) {
        if (recorded.contains(account)) {
            m_container.removePendingSecret(account);
            continue;
        }
        // The secret was written but its record never was: it must not stay behind.
        if (isGone(m_keychain.remove(account)))
            m_container.removePendingSecret(account);
    }
}

bool FieldValueAssociationStore::ensureFingerprintKey()
{
    if (m_fingerprintKey)
        return true;
    const SecretRead stored = m_keychain.readFingerprintKey();
    QByteArray key;
    if (stored.found() && stored.secret.size() == kKeyBytes) {
        key = stored.secret;
    } else if (!stored.found() && stored.status != SecretStoreStatus::itemNotFound) {
        // Locked, missing or not answering: creating a new key now would orphan every stored fingerprint.
        return false;
    } else {
        key.resize(kKeyBytes);
        QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(key.data()),
                                             reinterpret_cast<quint32 *>(key.data() + kKeyBytes));
        if (m_keychain.saveFingerprintKey(key) != SecretStoreStatus::success)
            return false;
    }
    m_fingerprintKey = key;

    // Fingerprints made with another key (it was lost, or the secret store was emptied) match nothing:
    // drop them so that the repair takes them again from the values that can still be read. The key and
    // the drop are saved together with the repair that follows.
    const QString check = hmacHex(key, kKeyCheckMessage);
    if (m_container.fact(kKeyCheckFact) != check) {
        for (FieldValueAssociation &record : m_associations) {
            if (!record.valueFingerprint.isEmpty()) {
                record.valueFingerprint.clear();
                markChanged(record.id);
            }
        }
        m_pendingFacts.insert(kKeyCheckFact, check);
    }
    return true;
}

QString FieldValueAssociationStore::valueFingerprint(const QString &value) const
{
    return hmacHex(*m_fingerprintKey, value.toUtf8());
}

bool FieldValueAssociationStore::repairStoredFingerprints()
{
    bool changed = false;
    QHash<QString, std::optional<QString>> values;
    if (m_fingerprintKey) {
        QStringList unfingerprinted;
        for (const FieldValueAssociation &record : std::as_const(m_associations))
            if (record.valueFingerprint.isEmpty())
                unfingerprinted.append(record.keychainAccount);
        if (!unfingerprinted.isEmpty())
            values = m_keychain.readMany(unfingerprinted);
    }
    for (FieldValueAssociation &record : m_associations) {
        if (record.valueFingerprint.isEmpty()) {
            if (const std::optional<QString> value = values.value(record.keychainAccount)) {
                record.valueFingerprint = valueFingerprint(*value);
                markChanged(record.id);
                changed = true;
            }
        }
        const QString fingerprint = record.fieldDescriptor().fingerprint();
        if (fingerprint != record.fingerprint) {
            record.fingerprint = fingerprint;
            markChanged(record.id);
            changed = true;
        }
    }
    return changed;
}

int FieldValueAssociationStore::existingAssociation(const FocusedFieldDescriptor &field, const QString &value,
                                                    const QString &valueFingerprint)
{
    const QString fingerprint = field.fingerprint();
    for (int i = 0; i < m_associations.size(); ++i) {
        const FieldValueAssociation &record = m_associations.at(i);
        if (record.fingerprint != fingerprint)
            continue;
        if (record.valueFingerprint == valueFingerprint)
            return i;
        if (record.valueFingerprint.isEmpty() && m_keychain.read(record.keychainAccount) == value)
            return i;
    }
    return -1;
}

bool FieldValueAssociationStore::recordValue(const QString &value, const FocusedFieldDescriptor &field,
                                             bool *secretStoreFailed)
{
    if (secretStoreFailed)
        *secretStoreFailed = false;
    if (!m_loaded)
        return false;
    if (value.trimmed().isEmpty() || GraphemeClusters::count(value, maximumValueLength) > maximumValueLength)
        return false;
    const bool hadKey = m_fingerprintKey.has_value();
    if (!ensureFingerprintKey()) {
        if (secretStoreFailed)
            *secretStoreFailed = true;
        return false;
    }
    if (!hadKey && repairStoredFingerprints())
        Q_EMIT associationsChanged();

    const QString fingerprint = valueFingerprint(value);
    const int existing = existingAssociation(field, value, fingerprint);
    const bool created = existing < 0;
    const QString account = created ? QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                                    : m_associations.at(existing).keychainAccount;
    // Noted before the secret is written, so that a crash before the record is saved leaves nothing.
    if (created && !m_container.addPendingSecret(account))
        return false;
    // A value used again is usually still there as it was: reading it is far cheaper than writing it.
    const bool stored = !created && m_keychain.read(account) == value;
    const SecretStoreStatus saved = stored ? SecretStoreStatus::success : m_keychain.save(value, account);
    if (saved != SecretStoreStatus::success) {
        // A save that got no answer may still have stored the secret: its note stays, and the next start
        // removes it.
        if (created && saved != SecretStoreStatus::noAnswer)
            m_container.removePendingSecret(account);
        if (secretStoreFailed)
            *secretStoreFailed = true;
        return false;
    }

    const QDateTime now = m_clock.now();
    if (created) {
        FieldValueAssociation record = FieldValueAssociation::make(field, QString(), account, fingerprint, 1, now);
        m_associations.prepend(record);
    } else {
        FieldValueAssociation &record = m_associations[existing];
        record.applyFieldDetails(field);
        record.valueFingerprint = fingerprint;
        if (record.pasteCount < std::numeric_limits<qint64>::max())
            ++record.pasteCount;
    }
    FieldValueAssociation &record = created ? m_associations.first() : m_associations[existing];
    record.lastUsedAt = now;
    record.updatedAt = now;
    record.recordUse(now);
    const QString kind = FocusedFieldDescriptor::normalized(field.fieldType);
    if (kind == QLatin1String("password")) {
        if (const std::optional<PendingCredentialLogin> login = activeCredentialLogin(field))
            record.recordCredentialLoginValue(login->valueFingerprint);
    }
    const QUuid id = record.id;
    markChanged(id);

    if (!saveChanges()) {
        if (created) {
            m_associations.removeIf([&id](const FieldValueAssociation &r) { return r.id == id; });
            m_changed.remove(id);
            // When the secret cannot be deleted now, its pending note removes it at the next start.
            if (isGone(m_keychain.remove(account)))
                m_container.removePendingSecret(account);
        } else {
            // The record keeps its new values in memory; the next successful save writes them.
            Q_EMIT associationsChanged();
        }
        return false;
    }
    Q_EMIT associationsChanged();
    if (isLoginKind(kind))
        setPendingCredentialLogin(PendingCredentialLogin{fingerprint, field.scopeKey(), now, m_clock.uptime()});
    return true;
}

std::optional<FieldValueAssociationStore::PendingCredentialLogin>
FieldValueAssociationStore::activeCredentialLogin(const FocusedFieldDescriptor &field)
{
    if (!m_pendingCredentialLogin)
        return std::nullopt;
    const double age = m_clock.uptime() - m_pendingCredentialLogin->recordedAtUptime;
    if (age > credentialContextLifetime || m_pendingCredentialLogin->scope != field.scopeKey()) {
        setPendingCredentialLogin(std::nullopt);
        return std::nullopt;
    }
    return m_pendingCredentialLogin;
}

void FieldValueAssociationStore::setPendingCredentialLogin(const std::optional<PendingCredentialLogin> &login)
{
    if (m_pendingCredentialLogin == login)
        return;
    m_pendingCredentialLogin = login;
    Q_EMIT pendingCredentialLoginChanged();
}

QList<FocusedFieldSuggestion> FieldValueAssociationStore::suggestions(const FocusedFieldDescriptor &field, int limit,
                                                                      bool searchable)
{
    namespace Ranking = FieldValueSuggestionRanking;
    QList<FocusedFieldSuggestion> result;
    if (limit <= 0)
        return result;
    std::optional<QString> login;
    if (const std::optional<PendingCredentialLogin> pending = activeCredentialLogin(field))
        login = pending->valueFingerprint;
    const QString fieldScope = field.scopeKey();

    const QList<const FieldValueAssociation *> candidates =
        Ranking::candidateAssociations(m_associations, field, login, searchable);
    // Every candidate's value in one go: the secret store may answer them all in one round trip.
    QStringList accounts;
    accounts.reserve(candidates.size());
    for (const FieldValueAssociation *record : candidates)
        accounts.append(record->keychainAccount);
    QHash<QString, std::optional<QString>> values = m_keychain.readMany(accounts);

    QSet<QString> seen;
    for (const FieldValueAssociation *record : candidates) {
        const QString key = record->valueFingerprint.isEmpty() ? QStringLiteral("account:") + record->keychainAccount
                                                               : record->valueFingerprint;
        if (seen.contains(key))
            continue;
        // Only a value that can be read takes its place: an unreadable copy must not hide a readable one.
        std::optional<QString> value = values.take(record->keychainAccount);
        if (!value)
            continue;
        seen.insert(key);

        const bool matchesLogin = login && record->credentialLoginValueFingerprints().contains(*login);
        const bool isFirst = result.isEmpty();
        FocusedFieldSuggestion suggestion;
        suggestion.title = Ranking::suggestionTitle(*record, Ranking::scopeKey(*record) == fieldScope, matchesLogin,
                                                    isFirst);
        suggestion.value = std::move(*value);
        suggestion.systemImage = matchesLogin ? Ranking::loginSymbol
            : isFirst                         ? Ranking::latestSymbol
                                              : Ranking::mostUsedSymbol;
        suggestion.isSaved = !record->displayLabel.isEmpty();
        suggestion.usageCount = int(qMin<qint64>(record->pasteCount, std::numeric_limits<int>::max()));
        if (Ranking::isPassword(*record))
            suggestion.displayValue = maskedValue();
        suggestion.details = Ranking::suggestionDetails(*record);
        result.append(std::move(suggestion));
        if (result.size() >= limit)
            break;
    }
    return result;
}

void FieldValueAssociationStore::markChanged(const QUuid &id)
{
    m_changed.insert(id);
}

bool FieldValueAssociationStore::saveChanges()
{
    QList<FieldValueAssociation> upserts;
    for (const FieldValueAssociation &record : std::as_const(m_associations))
        if (m_changed.contains(record.id))
            upserts.append(record);
    if (!m_container.save(upserts, {}, m_pendingFacts))
        return false;
    m_changed.clear();
    m_pendingFacts.clear();
    return true;
}
