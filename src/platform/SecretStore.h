#pragma once
// The desktop's secret store (on Linux the Secret Service): small secrets kept by service and account and
// encrypted at rest by the store, never by us. Calls are synchronous, so they are made on a worker thread
// (one at a time); a store that is missing or locked fails fast with `failure`, one that takes calls but
// does not answer them costs one short wait (`noAnswer`) and then fails fast for a while; the backend says
// once on stderr why. A secret is any bytes
// (NUL included) and never appears in a label, a log or an error text.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

enum class SecretStoreStatus {
    success,
    itemNotFound, // no item for that service and account
    failure,      // anything else: no store, locked, refused, broken; nothing was changed
    // The store took the call but did not answer in time: a save or removal asked for may have been made
    // (or be made later), so callers must not count on either outcome; a read found nothing.
    noAnswer,
};

struct SecretRead {
    SecretStoreStatus status = SecretStoreStatus::failure;
    QByteArray secret;

    bool found() const { return status == SecretStoreStatus::success; }
};

class SecretStore : public QObject {
    Q_OBJECT
public:
    // Replaces the item's secret when it exists, otherwise creates it in the default collection with
    // `label` (shown to people in keyring managers: never the secret).
    virtual SecretStoreStatus save(const QString &service, const QString &account, const QByteArray &secret,
                                   const QString &label) = 0;
    virtual SecretRead read(const QString &service, const QString &account) = 0;
    // Several items of one service, each as read() would answer it. A backend may fetch them in one round
    // trip; this one asks for each in turn.
    virtual QHash<QString, SecretRead> readMany(const QString &service, const QStringList &accounts);
    // itemNotFound when there was nothing to delete.
    virtual SecretStoreStatus remove(const QString &service, const QString &account) = 0;

Q_SIGNALS:
    // The store cannot be used (no service, no default keyring, locked…), with why; said once, from the
    // thread that made the call. An empty problem: a call succeeded since, the store is usable again.
    void unusable(const QString &problem);

protected:
    using QObject::QObject;
};
