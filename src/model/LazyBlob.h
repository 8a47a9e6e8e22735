#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

// Bytes kept beside the database and read when asked for, never held once they are stored: each data()
// reads them again and the caller keeps them only as long as it needs them. Copies of an item share one
// blob, so a store that saves the bytes frees them for every copy.
class LazyBlob
{
public:
    using Loader = std::function<QByteArray()>;

    // Bytes that exist only in memory until a store writes them.
    static std::shared_ptr<LazyBlob> inMemory(QByteArray data);
    // Bytes of a file of known size.
    static std::shared_ptr<LazyBlob> inFile(const QString &path, qint64 size);
    // Bytes of known size that `load` puts together when asked (from a record and the files it names);
    // `storedForm` is what the store keeps for them.
    static std::shared_ptr<LazyBlob> deferred(qint64 size, Loader load, QByteArray storedForm);
    // The same with a stored form that is read too when first asked for.
    static std::shared_ptr<LazyBlob> deferred(qint64 size, Loader load, Loader loadStoredForm);

    qint64 size() const { return m_size; }
    // The bytes; thread-safe. A missing or short file yields empty bytes and a warning.
    QByteArray data() const;
    // Whether the bytes are held in memory (not yet stored).
    bool isLoaded() const;

    // The file the bytes live in; empty while they are only in memory or put together from several.
    QString path() const;
    // What the store keeps for deferred bytes; empty otherwise.
    QByteArray storedForm() const;

    // Called by the store once the bytes are safely written: the memory they took is freed.
    void markStored(const QString &path);
    void markStored(QByteArray storedForm, Loader load);

private:
    LazyBlob() = default;

    mutable std::mutex m_mutex;
    QByteArray m_data; // only while in memory
    bool m_inMemory = false;
    QString m_path;
    mutable QByteArray m_storedForm; // read when first asked for where m_loadStoredForm is set
    Loader m_loadStoredForm;
    Loader m_load;
    qint64 m_size = 0;
};
