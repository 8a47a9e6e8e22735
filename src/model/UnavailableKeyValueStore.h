#pragma once
// The key-value store on a system without iCloud: it keeps nothing and never synchronises, so the mirror
// never becomes active and every record stays local.

#include "model/ICloudKeyValueStoring.h"

class UnavailableKeyValueStore : public ICloudKeyValueStoring {
    Q_OBJECT
public:
    explicit UnavailableKeyValueStore(QObject *parent = nullptr)
        : ICloudKeyValueStoring(parent)
    {
    }

    std::optional<QByteArray> data(const QString &) const override { return std::nullopt; }
    void setData(const QByteArray &, const QString &) override { }
    bool synchronize() override { return false; }
};
