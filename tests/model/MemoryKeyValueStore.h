#pragma once
// A reachable key-value store in memory, standing in for another machine's iCloud in tests.

#include "model/ICloudKeyValueStoring.h"

#include <QHash>

// No Q_OBJECT: it adds no signals, and test headers are not run through moc.
class MemoryKeyValueStore : public ICloudKeyValueStoring {
public:
    bool reachable = true;
    int writes = 0;

    std::optional<QByteArray> data(const QString &key) const override
    {
        if (!m_values.contains(key))
            return std::nullopt;
        return m_values.value(key);
    }
    void setData(const QByteArray &data, const QString &key) override
    {
        m_values.insert(key, data);
        ++writes;
    }
    bool synchronize() override { return reachable; }

    // A value written by another machine, announced as such.
    void changeExternally(const QString &key, const QByteArray &data)
    {
        m_values.insert(key, data);
        Q_EMIT changedExternally({key});
    }

private:
    QHash<QString, QByteArray> m_values;
};
