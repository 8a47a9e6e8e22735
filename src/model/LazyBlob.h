#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

// Bytes kept in a file beside the database and read on first use; copies of an item share one blob.
class LazyBlob
{
public:
    // Bytes that exist only in memory until a store writes them.
    static std::shared_ptr<LazyBlob> inMemory(QByteArray data);
    // Bytes of a file of known size, read on the first call of data().
    static std::shared_ptr<LazyBlob> inFile(const QString &path, qint64 size);

    qint64 size() const { return m_size; }
    // Loads the file once (thread-safe); a missing or short file yields empty bytes and a warning.
    QByteArray data() const;
    bool isLoaded() const;

    // The file the bytes live in; empty while they are only in memory.
    QString path() const;
    // Called by the store once the bytes are safely written to `path`.
    void markStored(const QString &path);

private:
    LazyBlob() = default;

    mutable std::mutex m_mutex;
    mutable QByteArray m_data;
    mutable bool m_loaded = false;
    QString m_path;
    qint64 m_size = 0;
};
