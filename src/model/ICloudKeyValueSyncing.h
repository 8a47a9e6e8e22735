#pragma once
// What the stores need of the iCloud key-value mirror: reads and writes that pass only while sync is on and
// the store is reachable, and observers per key for values that arrive from other machines.

#include "model/ICloudValueEnvelope.h"

#include <QObject>

#include <functional>

class ICloudKeyValueSyncing : public QObject {
    Q_OBJECT
public:
    using ObserverId = quint64;

    // The user's choice (the settings' iCloud sync); the mirror is active when it is on and the store answers.
    virtual bool isSyncEnabled() const = 0;
    virtual void setSyncEnabled(bool enabled) = 0;
    virtual bool isActive() const = 0;

    // None while inactive, when the key holds nothing, or when what it holds is not an envelope.
    virtual std::optional<ICloudValueEnvelope> read(const QString &key) const = 0;
    // Does nothing while inactive.
    virtual void write(const ICloudValueEnvelope &envelope, const QString &key) = 0;
    virtual void synchronize() = 0;

    // `onChange` runs on the main thread when the key changes on another machine and, for every key, when
    // the mirror becomes active. Remove the observer before its owner goes away.
    virtual ObserverId addObserver(const QString &key, std::function<void()> onChange) = 0;
    virtual void removeObserver(ObserverId id) = 0;

Q_SIGNALS:
    void activeChanged(bool active);

protected:
    using QObject::QObject;
};
