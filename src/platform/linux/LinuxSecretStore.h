#pragma once
// Secrets in the Secret Service (gnome-keyring, KWallet's bridge...) through libsecret: items of a schema
// with the two string attributes `service` and `account`, secrets through the binary calls. Tavlen never
// prompts: a locked or missing default keyring is a failure, said once on stderr. A service that takes
// calls but never answers them holds each call for at most answerTimeoutMs (noAnswer); calls then fail at
// once, without asking it, for restSeconds. Calls block: make them from a worker thread, one at a time.

#include "platform/SecretStore.h"
#include "platform/linux/CancellationWatchdog.h"

#include <QPair>

class Clock;
typedef struct _GMainContext GMainContext;

class LinuxSecretStore : public SecretStore {
    Q_OBJECT
public:
    // What one call of this store may wait for the service, all its D-Bus round trips together (a store
    // takes 10-15 ms, a read 1 ms), and how long a service that let it run out is then left alone.
    static constexpr int answerTimeoutMs = 500;
    static constexpr double restSeconds = 30.0;
    // How many items readMany asks for within one call's time.
    static constexpr qsizetype readManyShare = 100;

    explicit LinuxSecretStore(Clock &clock, QObject *parent = nullptr);
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
    class Attempt;
    // The connected service, or null with the reason said once.
    Service *connect();
    void warnOnce(const QString &problem);
    // A call succeeded: a problem said before is over (the keyring was started or unlocked since).
    void noteUsable();
    // The unlocked and locked items of the account; false (said once) when the service cannot be asked.
    bool find(const QString &service, const QString &account, Search &found);
    // Says why once and answers failure; `reconnect` drops the connection for the next call.
    SecretStoreStatus fail(const QString &problem, bool reconnect = false);

    SecretStoreStatus saveItem(const QString &service, const QString &account, const QByteArray &secret,
                               const QString &label);
    SecretRead readItem(const QString &service, const QString &account);
    QHash<QString, SecretRead> readItems(const QString &service, const QStringList &accounts);
    SecretStoreStatus removeItem(const QString &service, const QString &account);

    // Whether the current call ran out of time.
    bool timedOut() const;
    // True while a service that did not answer is left alone.
    bool isResting() const;

    Clock &m_clock;
    Service *m_service = nullptr;
    bool m_warned = false;
    // Where each item was found last (object paths name no secret): reads then take one round trip, and
    // many reads one for all.
    QHash<QPair<QString, QString>, QByteArray> m_paths;
    CancellationWatchdog m_watchdog;
    // Given to every libsecret call of the current public call; null between calls.
    GCancellable *m_cancellable = nullptr;
    // Uptime until which calls fail without asking the service.
    double m_restUntil = -1;
    // Where libsecret's callbacks run, during calls only; calls may come from any one thread at a time.
    GMainContext *m_context;
};
