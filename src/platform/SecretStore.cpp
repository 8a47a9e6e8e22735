#include "platform/SecretStore.h"

QHash<QString, SecretRead> SecretStore::readMany(const QString &service, const QStringList &accounts)
{
    QHash<QString, SecretRead> found;
    for (const QString &account : accounts) {
        if (!found.contains(account))
            found.insert(account, read(service, account));
    }
    return found;
}
