#include "platform/sim/SimSecretStore.h"

namespace {

bool consume(int &failures)
{
    if (failures <= 0)
        return false;
    --failures;
    return true;
}

} // namespace

SecretStoreStatus SimSecretStore::save(const QString &service, const QString &account, const QByteArray &secret,
                                       const QString &label)
{
    ++saves;
    if (state != State::available || consume(failingSaves))
        return SecretStoreStatus::failure;
    const Key key{service, account};
    items.insert(key, secret);
    if (!labels.contains(key))
        labels.insert(key, label);
    return consume(unansweredSaves) ? SecretStoreStatus::noAnswer : SecretStoreStatus::success;
}

SecretRead SimSecretStore::read(const QString &service, const QString &account)
{
    ++reads;
    SecretRead result;
    if (state != State::available || consume(failingReads))
        return result;
    if (consume(unansweredReads)) {
        result.status = SecretStoreStatus::noAnswer;
        return result;
    }
    const auto it = items.constFind(Key{service, account});
    if (it == items.constEnd()) {
        result.status = SecretStoreStatus::itemNotFound;
        return result;
    }
    result.status = SecretStoreStatus::success;
    result.secret = *it;
    return result;
}

SecretStoreStatus SimSecretStore::remove(const QString &service, const QString &account)
{
    ++removes;
    if (state != State::available || consume(failingRemoves))
        return SecretStoreStatus::failure;
    if (consume(unansweredRemoves))
        return SecretStoreStatus::noAnswer;
    const Key key{service, account};
    labels.remove(key);
    return items.remove(key) ? SecretStoreStatus::success : SecretStoreStatus::itemNotFound;
}
