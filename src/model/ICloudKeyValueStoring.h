#pragma once
// A key-value store shared between the user's machines: data by key, and a synchronisation that answers
// whether the store is reachable at all.

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <optional>

class ICloudKeyValueStoring : public QObject {
    Q_OBJECT
public:
    virtual std::optional<QByteArray> data(const QString &key) const = 0;
    virtual void setData(const QByteArray &data, const QString &key) = 0;
    // False when the store cannot be reached (no account, no service on this system).
    virtual bool synchronize() = 0;

Q_SIGNALS:
    // Values under `keys` were changed by another machine.
    void changedExternally(const QStringList &keys);

protected:
    using QObject::QObject;
};
