#pragma once
// Data and config folders inside a temporary folder that disappears with the object.

#include "platform/StorageLocations.h"

#include <QTemporaryDir>

class SimStorageLocations : public StorageLocations {
    Q_OBJECT
public:
    explicit SimStorageLocations(QObject *parent = nullptr);

    QString dataFolder() const override;
    QString configFolder() const override;
    QString rootFolder() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
};
