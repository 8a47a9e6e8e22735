#pragma once
// A secret store in memory for tests: it can be told to be absent, locked, failing or not answering (from
// now on, or for the next few calls of one kind), and shows what it holds and how often it was asked.

#include "platform/SecretStore.h"

#include <QHash>
#include <QPair>

class SimSecretStore : public SecretStore {
    Q_OBJECT
public:
    enum class State {
        available,
        absent, // no secret service: every call fails
        locked, // items are there but cannot be read, written or deleted
    };
    using Key = QPair<QString, QString>; // service, account

    using SecretStore::SecretStore;

    SecretStoreStatus save(const QString &service, const QString &account, const QByteArray &secret,
                           const QString &label) override;
    SecretRead read(const QString &service, const QString &account) override;
    SecretStoreStatus remove(const QString &service, const QString &account) override;

    State state = State::available;
    // The next this many calls of that kind fail (as a refusal of the service would).
    int failingSaves = 0;
    int failingReads = 0;
    int failingRemoves = 0;
    // The next this many calls of that kind get no answer in time. An unanswered save still stores the
    // secret and an unanswered removal removes nothing: the outcomes a caller could be fooled by.
    int unansweredSaves = 0;
    int unansweredReads = 0;
    int unansweredRemoves = 0;

    QHash<Key, QByteArray> items;
    QHash<Key, QString> labels;
    int saves = 0;
    int reads = 0;
    int removes = 0;
};
