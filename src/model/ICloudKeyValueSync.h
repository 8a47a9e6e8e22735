#pragma once
// The one iCloud key-value mirror of the program: gates the store by the sync setting and fans the store's
// external changes out to the observers of each key.

#include "model/ICloudKeyValueSyncing.h"

#include <QPointer>

#include <map>

class ICloudKeyValueStoring;

class ICloudKeyValueSync : public ICloudKeyValueSyncing {
    Q_OBJECT
public:
    explicit ICloudKeyValueSync(ICloudKeyValueStoring &store, QObject *parent = nullptr);
    ~ICloudKeyValueSync() override;

    bool isSyncEnabled() const override { return m_syncEnabled; }
    void setSyncEnabled(bool enabled) override;
    bool isActive() const override { return m_active; }

    std::optional<ICloudValueEnvelope> read(const QString &key) const override;
    void write(const ICloudValueEnvelope &envelope, const QString &key) override;
    void synchronize() override;

    ObserverId addObserver(const QString &key, std::function<void()> onChange) override;
    void removeObserver(ObserverId id) override;

private:
    void setActive(bool active);
    void notify(const QStringList &keys);

    struct Observer {
        QString key;
        std::function<void()> onChange;
    };

    QPointer<ICloudKeyValueStoring> m_store;
    bool m_syncEnabled = false;
    bool m_active = false;
    ObserverId m_nextObserver = 1;
    std::map<ObserverId, Observer> m_observers;
};
