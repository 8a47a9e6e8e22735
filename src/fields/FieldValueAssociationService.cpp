#include "fields/FieldValueAssociationService.h"

#include "fields/FieldValueAssociationStore.h"
#include "model/FieldValueAssociationContainer.h"
#include "platform/FutureAwaiter.h"

#include <QtConcurrent>

// What lives on the worker thread; only its jobs touch it.
struct FieldValueAssociationService::Worker {
    std::unique_ptr<FieldValueAssociationContainer> container;
    std::unique_ptr<FieldValueAssociationStore> store;
};

FieldValueAssociationService::FieldValueAssociationService(const QString &folder, SecretStore &secrets, Clock &clock,
                                                           const QString &keychainService, QObject *parent)
    : QObject(parent)
    , m_worker(std::make_shared<Worker>())
{
    m_thread.setMaxThreadCount(1);
    m_thread.setExpiryTimeout(-1);
    SecretStore *secretStore = &secrets;
    Clock *storeClock = &clock;
    m_thread.start([worker = m_worker, folder, secretStore, storeClock, keychainService] {
        worker->container = std::make_unique<FieldValueAssociationContainer>(folder);
        worker->store = std::make_unique<FieldValueAssociationStore>(*worker->container, *secretStore, *storeClock,
                                                                     keychainService);
    });
}

FieldValueAssociationService::~FieldValueAssociationService()
{
    // Records kept only in memory take their secrets with them when the store ends.
    m_thread.start([worker = m_worker] {
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
        auto answer = work(*worker->store);
        // Posted before the answer is handed over, so whoever awaits it finds the records up to date.
        QMetaObject::invokeMethod(
            this,
            [this, records = worker->store->associations()]() mutable {
                m_associations = std::move(records);
                --m_pending;
            },
            Qt::QueuedConnection);
        return answer;
    });
}

Task<bool> FieldValueAssociationService::fetchAssociations()
{
    QFuture<bool> work = enqueue([](FieldValueAssociationStore &store) { return store.fetchAssociations(); });
    const std::optional<bool> fetched = co_await awaitFuture(std::move(work));
    co_return fetched.value_or(false);
}

Task<bool> FieldValueAssociationService::recordValue(QString value, FocusedFieldDescriptor field)
{
    QFuture<bool> work = enqueue([value = std::move(value), field = std::move(field)](FieldValueAssociationStore &store) {
        return store.recordValue(value, field);
    });
    const std::optional<bool> recorded = co_await awaitFuture(std::move(work));
    co_return recorded.value_or(false);
}

Task<QList<FocusedFieldSuggestion>> FieldValueAssociationService::suggestions(FocusedFieldDescriptor field, int limit,
                                                                              bool searchable)
{
    QFuture<QList<FocusedFieldSuggestion>> work
        = enqueue([field = std::move(field), limit, searchable](FieldValueAssociationStore &store) {
              return store.suggestions(field, limit, searchable);
          });
    const std::optional<QList<FocusedFieldSuggestion>> found = co_await awaitFuture(std::move(work));
    co_return found.value_or(QList<FocusedFieldSuggestion>());
}
