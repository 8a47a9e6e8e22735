#include "model/ICloudKeyValueSync.h"

#include "model/ICloudKeyValueStoring.h"

ICloudKeyValueSync::ICloudKeyValueSync(ICloudKeyValueStoring &store, QObject *parent)
    : ICloudKeyValueSyncing(parent)
    , m_store(&store)
{
    connect(&store, &ICloudKeyValueStoring::changedExternally, this, [this](const QStringList &keys) {
        if (m_active)
            notify(keys);
    });
}

ICloudKeyValueSync::~ICloudKeyValueSync() = default;

void ICloudKeyValueSync::setSyncEnabled(bool enabled)
{
    if (enabled == m_syncEnabled)
        return;
    m_syncEnabled = enabled;
    // The store is asked each time sync is turned on: an account may have appeared since.
    const bool reachable = enabled && m_store && m_store->synchronize();
    if (enabled && !reachable)
        qWarning("iCloud sync is on but the iCloud key-value store is not available on this system; settings "
                 "and filters stay on this machine.");
    setActive(reachable);
}

void ICloudKeyValueSync::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    Q_EMIT activeChanged(active);
    if (active) {
        QStringList keys;
        for (const auto &[id, observer] : m_observers)
            keys.append(observer.key);
        notify(keys);
    }
}

std::optional<ICloudValueEnvelope> ICloudKeyValueSync::read(const QString &key) const
{
    if (!m_active || !m_store)
        return std::nullopt;
    const std::optional<QByteArray> data = m_store->data(key);
    if (!data)
        return std::nullopt;
    return ICloudValueEnvelope::decode(*data, key);
}

void ICloudKeyValueSync::write(const ICloudValueEnvelope &envelope, const QString &key)
{
    if (!m_active || !m_store)
        return;
    m_store->setData(envelope.encoded(), key);
}

void ICloudKeyValueSync::synchronize()
{
    if (!m_active || !m_store)
        return;
    if (!m_store->synchronize()) {
        qWarning("The iCloud key-value store stopped answering; settings and filters stay on this machine.");
        setActive(false);
    }
}

ICloudKeyValueSync::ObserverId ICloudKeyValueSync::addObserver(const QString &key, std::function<void()> onChange)
{
    const ObserverId id = m_nextObserver++;
    m_observers.emplace(id, Observer{key, std::move(onChange)});
    return id;
}

void ICloudKeyValueSync::removeObserver(ObserverId id)
{
    m_observers.erase(id);
}

void ICloudKeyValueSync::notify(const QStringList &keys)
{
    // Collect first: an observer may add or remove observers while it runs.
    std::vector<ObserverId> due;
    for (const auto &[id, observer] : m_observers) {
        if (keys.contains(observer.key))
            due.push_back(id);
    }
    for (ObserverId id : due) {
        const auto it = m_observers.find(id);
        if (it != m_observers.end()) {
            const std::function<void()> onChange = it->second.onChange;
            onChange();
        }
    }
}
