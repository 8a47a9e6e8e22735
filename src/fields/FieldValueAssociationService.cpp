#include "fields/FieldValueAssociationService.h"

#include "fields/FieldValueAssociationStore.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/Clock.h"
#include "platform/FutureAwaiter.h"

#include <QtConcurrent>

// What lives on the worker thread; only its jobs touch it.
struct FieldValueAssociationService::Worker {
    std::unique_ptr<FieldValueAssociationContainer> container;
    std::unique_ptr<FieldValueAssociationStore> store;
    // Values the secret store could not take yet, oldest first: in memory only, never in a file.
    QList<std::pair<QString, FocusedFieldDescriptor>> waiting;

    // Records the waiting values in order until the secret store fails again; true when none are left.
    bool recordWaiting()
    {
        while (!waiting.isEmpty()) {
            bool secretStoreFailed = false;
            if (!store->recordValue(waiting.first().first, waiting.first().second, &secretStoreFailed)
                && secretStoreFailed)
                return false;
            waiting.removeFirst(); // recorded, or refused for good
        }
        return true;
    }

    // Records the value after those waiting before it; one the secret store cannot take waits.
    bool record(const QString &value, const FocusedFieldDescriptor &field)
    {
        bool secretStoreFailed = true;
        if (recordWaiting() && store->recordValue(value, field, &secretStoreFailed))
            return true;
        if (!secretStoreFailed)
            return false;
        if (waiting.size() >= maximumWaitingValues) {
            waiting.removeFirst();
            qWarning("The keyring has not answered for a while: the oldest of %d field values waiting for it is"
                     " dropped",
                     int(maximumWaitingValues));
        }
        waiting.append({value, field});
        return false;
    }
};

FieldValueAssociationService::FieldValueAssociationService(const QString &folder, SecretStore &secrets, Clock &clock,
                                                           const QString &keychainService, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_worker(std::make_shared<Worker>())
{
    m_thread.setMaxThreadCount(1);
    m_thread.setExpiryTimeout(-1);
    SecretStore *secretStore = &secrets;
    Clock *storeClock = &clock;
    m_thread.start([this, worker = m_worker, folder, secretStore, storeClock, keychainService] {
        worker->container = std::make_unique<FieldValueAssociationContainer>(folder);
        worker->store = std::make_unique<FieldValueAssociationStore>(*worker->container, *secretStore, *storeClock,
                                                                     keychainService);
        // The destructor waits for this job: the object is still there to post to.
        if (const QString movedTo = worker->container->movedAsidePath(); !movedTo.isEmpty())
            QMetaObject::invokeMethod(this, [this, movedTo] { Q_EMIT storeMovedAside(movedTo); }, Qt::QueuedConnection);
    });
}

FieldValueAssociationService::~FieldValueAssociationService()
{
    if (m_retry)
        m_clock.cancelTimer(m_retry);
    // Records kept only in memory take their secrets with them when the store ends.
    m_thread.start([worker = m_worker] {
        if (!worker->waiting.isEmpty())
            qWarning("%lld field values copied while the keyring did not answer were never remembered",
                     qlonglong(worker->waiting.size()));
        worker->waiting.clear();
        worker->store.reset();
        worker->container.reset();
    });
    m_thread.waitForDone();
}

template<typename Work>
auto FieldValueAssociationService::enqueue(Work work)
{
    ++m_pending;
    return QtConcurrent::run(&m_thread, [this, worker = m_worker, work = std::move(work)] {
        auto answer = work(*worker);
        // Posted before the answer is handed over, so whoever awaits it finds the records up to date.
        QMetaObject::invokeMethod(
            this,
            [this, records = worker->store->associations(), waiting = worker->waiting.size()]() mutable {
                m_associations = std::move(records);
                m_waitingValues = int(waiting);
                --m_pending;
                retryWaitingValues();
            },
            Qt::QueuedConnection);
        return answer;
    });
}

void FieldValueAssociationService::retryWaitingValues()
{
    if (m_waitingValues == 0 || m_retry)
        return;
    m_retry = m_clock.callAfter(retryInterval, [this] {
        m_retry = 0;
        enqueue([](Worker &worker) { return worker.recordWaiting(); });
    });
}

Task<bool> FieldValueAssociationService::fetchAssociations()
{
    QFuture<bool> work = enqueue([](Worker &worker) { return worker.store->fetchAssociations(); });
    const std::optional<bool> fetched = co_await awaitFuture(std::move(work));
    co_return fetched.value_or(false);
}

Task<bool> FieldValueAssociationService::recordValue(QString value, FocusedFieldDescriptor field)
{
    QFuture<bool> work = enqueue([value = std::move(value), field = std::move(field)](Worker &worker) {
        return worker.record(value, field);
    });
    const std::optional<bool> recorded = co_await awaitFuture(std::move(work));
    co_return recorded.value_or(false);
}

Task<QList<FocusedFieldSuggestion>> FieldValueAssociationService::suggestions(FocusedFieldDescriptor field, int limit,
                                                                              bool searchable)
{
    QFuture<QList<FocusedFieldSuggestion>> work
        = enqueue([field = std::move(field), limit, searchable](Worker &worker) {
              return worker.store->suggestions(field, limit, searchable);
          });
    const std::optional<QList<FocusedFieldSuggestion>> found = co_await awaitFuture(std::move(work));
    co_return found.value_or(QList<FocusedFieldSuggestion>());
}
