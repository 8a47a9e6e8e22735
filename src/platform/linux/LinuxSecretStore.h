#pragma once
// Secrets in the Secret Service (gnome-keyring, KWallet's bridge...) through libsecret: items of a schema
// with the two string attributes `service` and `account`, secrets through the binary calls. Tavlen never
// prompts: a locked or missing default keyring is a failure, said once on stderr.

#include "platform/SecretStore.h"

#include <QPair>

class LinuxSecretStore : public SecretStore {
    Q_OBJECT
public:
    explicit LinuxSecretStore(QObject *parent = nullptr);
    ~LinuxSecretStore() override;

    SecretStoreStatus save(const QString &service, const QString &account, const QByteArray &secret,
                           const QString &label) override;
    SecretRead read(const QString &service, const QString &account) override;
    QHash<QString, SecretRead> readMany(const QString &service, const QStringList &accounts) override;
    SecretStoreStatus remove(const QString &service, const QString &account) override;

    // Empty when a session bus may be reached; otherwise why not. libsecret would otherwise start a bus of
    // its own over X11 and leave it behind.
    static QString sessionBusProblem();

private:
    struct Service;
    struct Search;
    // The connected service, or null with the reason said once.
    Service *connect();
    void warnOnce(const QString &problem);
    // The unlocked and locked items of the account; false (said once) when the service cannot be asked.
    bool find(const QString &service, const QString &account, Search &found);
    // Says why once and answers failure; `reconnect` drops the connection for the next call.
    SecretStoreStatus fail(const QString &problem, bool reconnect = false);

    Service *m_service = nullptr;
    bool m_warned = false;
    // Where each item was found last (object paths name no secret): reads then take one round trip, and
    // many reads one for all.
    QHash<QPair<QString, QString>, QByteArray> m_paths;
};
