#pragma once
// User defaults held in memory, for tests; counts every write so a test can tell how often a store saved.

#include "platform/Preferences.h"

#include <QHash>

class SimPreferences : public Preferences {
    Q_OBJECT
public:
    explicit SimPreferences(QObject *parent = nullptr);

    // Writes (including ones that stored an equal value) since start or the last resetWriteCounts().
    int writeCount(const QString &key) const { return m_writes.value(key); }
    void resetWriteCounts() { m_writes.clear(); }
    // Puts a raw value in place without a signal or a count, as if left by an earlier run.
    void preset(const QString &key, const QVariant &value) { m_values.insert(key, value); }
    QStringList keys() const { return m_values.keys(); }

protected:
    QVariant storedValue(const QString &key) const override { return m_values.value(key); }
    void storeValue(const QString &key, const QVariant &value) override;
    void eraseValue(const QString &key) override;

private:
    QHash<QString, QVariant> m_values;
    QHash<QString, int> m_writes;
};
