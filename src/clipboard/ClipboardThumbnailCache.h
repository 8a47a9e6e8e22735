#pragma once
// Small thumbnails of image items (at most 80 pixels on the longer side), decoded on worker threads and
// kept in a cache bounded by bytes, the least recently used going first. The main thread never decodes:
// it asks, gets what is ready, and hears thumbnailReady() when a decode finishes. Image bytes that live in
// a file are read straight from it, so a decode does not keep the full image in memory.

#include "model/LazyBlob.h"
#include "platform/Lifetime.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

#include <list>
#include <memory>
#include <optional>

class ClipboardThumbnailCache : public QObject {
    Q_OBJECT
public:
    // Room for about 400 thumbnails of 80 x 80 pixels.
    static constexpr qint64 defaultByteLimit = 10 * 1024 * 1024;
    static constexpr int maximumSide = 80;

    explicit ClipboardThumbnailCache(qint64 byteLimit = defaultByteLimit, QObject *parent = nullptr);
    ~ClipboardThumbnailCache() override;

    // The decoded thumbnail: a null image when the bytes do not decode; none while it is not decoded (or
    // was dropped from the cache). Marks the entry as used.
    std::optional<QImage> thumbnail(const QUuid &id);
    // Starts decoding unless the thumbnail is cached or already being decoded.
    void request(const QUuid &id, std::shared_ptr<LazyBlob> imageBytes);
    void request(const QUuid &id, const QByteArray &imageBytes);
    bool isPending(const QUuid &id) const { return m_pending.contains(id); }

    void remove(const QUuid &id);
    void clear();

    qint64 byteCount() const { return m_bytes; }
    qint64 byteLimit() const { return m_limit; }
    int count() const { return int(m_entries.size()); }

    // Waits for every decode under way (tests and benchmarks).
    void waitForIdle();

    // Decodes one thumbnail where it is called: what the workers run.
    static QImage decode(const QByteArray &imageBytes);

Q_SIGNALS:
    // A decode finished; thumbnail(id) now answers (a null image when the bytes did not decode).
    void thumbnailReady(const QUuid &id);

private:
    struct Entry {
        QImage image;
        qint64 bytes = 0;
        std::list<QUuid>::iterator use;
    };
    void start(const QUuid &id, std::function<QByteArray()> bytes);
    void store(const QUuid &id, const QImage &image, quint64 generation);
    void evict();

    qint64 m_limit;
    qint64 m_bytes = 0;
    QHash<QUuid, Entry> m_entries;
    std::list<QUuid> m_uses; // least recently used first
    QSet<QUuid> m_pending;
    // Bumped by clear() and remove(), so a decode that started before does not store a stale image.
    QHash<QUuid, quint64> m_generations;
    quint64 m_clearGeneration = 0;
    QThreadPool m_pool;
    Lifetime m_lifetime;
};
