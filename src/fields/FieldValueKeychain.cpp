#include "fields/FieldValueKeychain.h"

#include <QStringDecoder>

FieldValueKeychain::FieldValueKeychain(SecretStore &store, QString service)
    : m_store(&store)
    , m_service(std::move(service))
{
}

SecretStoreStatus FieldValueKeychain::save(const QString &value, const QString &account)
{
    return m_store->save(m_service, account, value.toUtf8(), valueLabel());
}

namespace {

std::optional<QString> decode(const SecretRead &stored)
{
    if (!stored.found())
        return std::nullopt;
    // Strict: invalid bytes make the value unreadable rather than quietly different, and a leading byte
    // order mark is part of the value.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless
                                                     | QStringConverter::Flag::ConvertInitialBom);
    QString value = decoder.decode(stored.secret);
    if (decoder.hasError())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<QString> FieldValueKeychain::read(const QString &account)
{
    return decode(m_store->read(m_service, account));
}

QHash<QString, std::optional<QString>> FieldValueKeychain::readMany(const QStringList &accounts)
{
    QHash<QString, std::optional<QString>> values;
    const QHash<QString, SecretRead> stored = m_store->readMany(m_service, accounts);
    for (auto it = stored.begin(); it != stored.end(); ++it)
        values.insert(it.key(), decode(it.value()));
    return values;
}

SecretStoreStatus FieldValueKeychain::remove(const QString &account)
{
    return m_store->remove(m_service, account);
}

SecretRead FieldValueKeychain::readFingerprintKey()
{
    return m_store->read(m_service, fingerprintKeyAccount());
}

SecretStoreStatus FieldValueKeychain::saveFingerprintKey(const QByteArray &key)
{
    return m_store->save(m_service, fingerprintKeyAccount(), key, fingerprintKeyLabel());
}
