#pragma once
// The user defaults: small values kept by key across runs (the settings record, the filter list, flags).
// Reads answer none for a missing key or a value of another kind; every write reports the key it changed.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

class Preferences : public QObject {
    Q_OBJECT
public:
    bool contains(const QString &key) const { return storedValue(key).isValid(); }

    std::optional<QByteArray> data(const QString &key) const;
    std::optional<QString> string(const QString &key) const;
    std::optional<double> doubleValue(const QString &key) const;
    std::optional<bool> boolValue(const QString &key) const;

    void setData(const QString &key, const QByteArray &value) { write(key, QVariant(value)); }
    void setString(const QString &key, const QString &value) { write(key, QVariant(value)); }
    void setDouble(const QString &key, double value) { write(key, QVariant(value)); }
    void setBool(const QString &key, bool value) { write(key, QVariant(value)); }
    void remove(const QString &key);

Q_SIGNALS:
    // A value was written or removed by this program; not sent when a write stored what was there.
    void valueChanged(const QString &key);

protected:
    using QObject::QObject;

    // Invalid when the key is absent.
    virtual QVariant storedValue(const QString &key) const = 0;
    virtual void storeValue(const QString &key, const QVariant &value) = 0;
    virtual void eraseValue(const QString &key) = 0;

private:
    void write(const QString &key, const QVariant &value);
};
