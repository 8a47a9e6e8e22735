#pragma once
// The remembered field values as the main thread reaches them. The field-value store, its SQLite file and
// the secret store behind it work on one thread of their own: each operation runs there whole, one at a
// time in the order asked, and its answer is awaited, so a secret service that takes calls and never
// answers, or a slow disk, never holds a frame. The store file is opened on that thread as well. A value
// the secret store cannot take (locked, missing, not answering or left alone after that) waits in memory and
// is recorded once it answers: with the next value, or when the store is asked again every retryInterval.

#include "fields/FieldValueKeychain.h"
#include "fields/FocusedFieldSuggestion.h"
#include "model/FieldValueAssociation.h"
#include "model/FocusedFieldDescriptor.h"
#include "platform/Task.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>

class Clock;
class SecretStore;

class FieldValueAssociationService : public QObject {
    Q_OBJECT
public:
    // How often the secret store is asked again while values wait for it, in seconds.
    static constexpr double retryInterval = 10.0;
    // The most values that wait; past it the oldest is dropped, and that is said.
    static constexpr qsizetype maximumWaitingValues = 100;

    // The store file lives in `folder` (empty: in memory for this run). The secret store and the clock are
    // used from the worker thread and must outlive this object.
    FieldValueAssociationService(const QString &folder, SecretStore &secrets, Clock &clock,
                                 const QString &keychainService = FieldValueKeychain::defaultService(),
                                 QObject *parent = nullptr);
    // Lets the operations already asked for end, then closes the store on its thread.
    ~FieldValueAssociationService() override;

#ifndef Q_MOC_RUN
    // As FieldValueAssociationStore answers them; false or nothing once this object is gone.
    Task<bool> fetchAssociations();
    Task<bool> recordValue(QString value, FocusedFieldDescriptor field);
    Task<QList<FocusedFieldSuggestion>> suggestions(FocusedFieldDescriptor field, int limit, bool searchable);
#endif

    // Every record as the last finished operation left it.
    const QList<FieldValueAssociation> &associations() const { return m_associations; }
    // Operations asked for whose answer has not come back yet.
    int pendingOperations() const { return m_pending; }
    // Values waiting for the secret store, as the last finished operation left them.
    int waitingValues() const { return m_waitingValues; }

Q_SIGNALS:
    // The store file could not be read as it opened and was moved aside to `movedTo`: its records are gone
    // from this run on, their secrets stay in the secret store.
    void storeMovedAside(const QString &movedTo);

private:
    struct Worker;
    // Runs `work` on the worker thread after everything asked before it; the records it leaves come back
    // to the main thread ahead of its answer.
    template<typename Work>
    auto enqueue(Work work);
    // Asks the secret store again after retryInterval while values wait for it.
    void retryWaitingValues();

    // One thread that never expires: the SQLite connection belongs to the thread that opened it.
    QThreadPool m_thread;
    Clock &m_clock;
    std::shared_ptr<Worker> m_worker;
    QList<FieldValueAssociation> m_associations;
    int m_pending = 0;
    int m_waitingValues = 0;
    quint64 m_retry = 0; // the clock's timer, 0 when none
};
