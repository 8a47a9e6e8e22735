#pragma once
// Folders under the XDG data and config homes ($XDG_DATA_HOME, $XDG_CONFIG_HOME or their defaults).

#include "platform/StorageLocations.h"

class XdgStorageLocations : public StorageLocations {
    Q_OBJECT
public:
    explicit XdgStorageLocations(QObject *parent = nullptr);

    QString dataFolder() const override;
    QString configFolder() const override;
};
