#pragma once
// What a person should know about where their copies go: whether the history is saved, and where the
// language model answers from. Each failure is told once as a desktop notification (where the desktop
// shows them); the settings window shows the state as it is now.

#include "state/SystemNotice.h"
#include "model/StoreStatus.h"

#include <QList>
#include <QObject>
#include <QString>

class Notifications;

class SystemStatus : public QObject {
    Q_OBJECT
public:
    // `notifications` may be null: nothing is shown then, the state is still kept.
    explicit SystemStatus(Notifications *notifications, QObject *parent = nullptr);

    // Tells the person, once for each notice (each storm: the pasteboard tells them at most once a minute),
    // and says it on stderr unless the history or a store did.
    void report(const SystemNotice &notice);

    // The history store as it opened.
    void setHistoryStore(const StoreStatus &status);
    // Why saving new copies fails; empty once saves work again.
    void setHistorySaveProblem(const QString &problem);
    // Why the secret store cannot keep field values (the store has said it on stderr already).
    void setSecretStoreProblem(const QString &problem);
    // Where the language model answers from: empty for this computer (or no model at all).
    void setModelAddress(const QString &address);
    // Where another user's program listens at the model's address, and whose it is; empty when none does.
    void setModelAddressTaken(const QString &where);

    // The state in a sentence, for the settings window.
    QString historyDescription() const;
    QString modelDescription() const;
    QString secretStoreDescription() const;
    // Whether text given to the language model stays on this computer.
    bool modelIsOnThisComputer() const { return m_modelAddress.isEmpty(); }
    // Whether another user's program holds the model's address, so nothing is sent there.
    bool modelAddressIsTaken() const { return !m_modelAddressTaken.isEmpty(); }

Q_SIGNALS:
    void changed();

private:
    // Tells the person once; `log` also puts it on stderr.
    void tell(const SystemNotice &notice, bool log);

    Notifications *m_notifications;
    QList<SystemNotice> m_reported;
    StoreStatus m_store;
    QString m_saveProblem;
    QString m_modelAddress;
    QString m_modelAddressTaken;
    QString m_secretStoreProblem;
};
