#pragma once

#include "clipboard/ClipboardCapture.h"
#include "model/ClipboardItem.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <mutex>

class MainStoreContainer;

// Reads and writes history items in the main store. Each item's row holds its text and a compact record
// of its payload; bytes too large for a row go to value files beside the store, named by their SHA-256,
// so equal bytes are kept once (an image and the same PNG in the payload, a copy made twice), and a file
// goes with the last item that names it. A value file is synced to disk before the row naming it commits.
class ClipboardItemStore
{
public:
    explicit ClipboardItemStore(MainStoreContainer &container);

    // Every item, newest first; no value file is read until an item's bytes are asked for.
    QList<ClipboardItem> fetchAll(QString *error = nullptr) const;

    // Writes the upserted items and removes the deleted ones in one transaction. On failure nothing in
    // the database changes and no file an item still names is removed.
    bool save(const QList<ClipboardItem> &upserts, const QList<QUuid> &deletions, QString *error = nullptr);

    // Removes value files that no row names (left by a crash between writing a file and committing).
    int removeOrphanedFiles() const;

    // Reopens the store after its file was deleted or replaced (MainStoreContainer::reopen). The payloads
    // of the items read from the old file are read from it first, so that they stay readable.
    void reopen();

    // The display keys of content the person deleted while the clipboard still held it: that content is
    // not taken back from the clipboard at the next start. Empty when none are kept or they cannot be read.
    QSet<QByteArray> forgottenContent() const;
    bool setForgottenContent(const QSet<QByteArray> &keys, QString *error = nullptr);

    // Before a capture reaches the history, on a worker thread: its content digest, and its large bytes
    // written (and synced) as value files, so that saving it on the main thread only writes its row.
    // Thread-safe; uses no database connection.
    void stage(ClipboardCapture &capture);

    MainStoreContainer &container() const { return m_container; }

    // The name of the value file that holds these bytes.
    static QString blobName(const QByteArray &bytes);

    // Payload records kept from a store file that was taken away, by item: the loaded items read theirs here.
    struct CarriedRecords;

private:
    // Writes bytes under their name unless that file is there already, synced to disk; the name, or
    // empty with the reason. `staged` keeps the file from being removed until its item is saved.
    QString writeBlob(const QByteArray &bytes, bool staged, QString *error) const;
    // The payload a record stands for, put together from the record and the files it names when asked.
    // `text` is the item's own UTF-8, shared, not copied.
    LazyBlob::Loader recordLoader(const QByteArray &record, const QByteArray &text) const;
    std::shared_ptr<LazyBlob> recordBlob(const QByteArray &record, const QByteArray &text, qint64 size) const;
    void unstage(const QStringList &names);
    bool isStaged(const QString &name) const;

    MainStoreContainer &m_container;
    std::shared_ptr<CarriedRecords> m_carriedRecords;
    // Where the items it loads read their payloads from; null for a store in memory.
    std::shared_ptr<const StoredPayloads> m_storedPayloads;
    mutable std::mutex m_stagedMutex;
    // Value files written for captures not saved yet, with how many captures use each.
    mutable QHash<QString, int> m_staged;
};
