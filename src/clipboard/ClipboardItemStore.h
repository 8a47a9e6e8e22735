#pragma once

#include "model/ClipboardItem.h"

#include <QList>
#include <QString>
#include <QUuid>

class SwiftDataContainer;

// Reads and writes history items in the main store; image and payload bytes go to files beside it.
class ClipboardItemStore
{
public:
    explicit ClipboardItemStore(SwiftDataContainer &container);

    // Every item, newest first; blobs stay on disk until an item's bytes are read.
    QList<ClipboardItem> fetchAll(QString *error = nullptr) const;

    // Writes the upserted items and removes the deleted ones in one transaction. On failure nothing in
    // the database changes and the files of a replaced or deleted item stay.
    bool save(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions, QString *error = nullptr);

    // Removes value files that no row names (left by a crash between writing a file and committing).
    int removeOrphanedFiles() const;

    SwiftDataContainer &container() const { return m_container; }

private:
    SwiftDataContainer &m_container;
};
