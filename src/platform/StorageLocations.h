#pragma once
// Where the program keeps its files: the data folder (stores, blobs, markers) and the config folder (the
// user defaults). Both are named "trevik.tavlen" and are created when first asked for.

#include <QObject>
#include <QString>

class StorageLocations : public QObject {
    Q_OBJECT
public:
    // The folder's path, created on demand. A folder that cannot be created is reported with a warning and
    // its path is still returned, so callers fail on their own file operations with a clear error.
    virtual QString dataFolder() const = 0;
    virtual QString configFolder() const = 0;

protected:
    using QObject::QObject;
};
