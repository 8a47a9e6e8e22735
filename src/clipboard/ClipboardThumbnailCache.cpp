#include "clipboard/ClipboardThumbnailCache.h"

#include "clipboard/ClipboardSearchPresentation.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

namespace {

qint64 imageBytes(const QImage &image)
{
    return image.isNull() ? 64 : image.sizeInBytes() + 64;
}

QByteArray readBlob(const std::shared_ptr<LazyBlob> &blob)
{
    if (!blob)
        return {};
    // Read a stored image from its file without caching the bytes in the blob.
    if (!blob->isLoaded() && !blob->path().isEmpty()) {
        QFile file(blob->path());
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
        return {};
    }
    return blob->data();
}

} // namespace

ClipboardThumbnailCache::ClipboardThumbnailCache(qint64 byteLimit, QObject *parent)
    : QObject(parent)
    , m_limit(std::max<qint64>(byteLimit, 1))
{
    // Two workers: thumbnails come quickly without taking every core from the search.
    m_pool.setMaxThreadCount(2);
}

ClipboardThumbnailCache::~ClipboardThumbnailCache()
{
    m_lifetime.end();
    m_pool.clear();
    m_pool.waitForDone();
}

QImage ClipboardThumbnailCache::decode(const QByteArray &bytes)
{
    return ClipboardSearchPresentation::makeThumbnail(bytes);
}

std::optional<QImage> ClipboardThumbnailCache::thumbnail(const QUuid &id)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return std::nullopt;
    m_uses.splice(m_uses.end(), m_uses, it->use);
    return it->image;
}

void ClipboardThumbnailCache::request(const QUuid &id, std::shared_ptr<LazyBlob> bytes)
{
    start(id, [bytes] { return readBlob(bytes); });
}

void ClipboardThumbnailCache::request(const QUuid &id, const QByteArray &bytes)
{
    start(id, [bytes] { return bytes; });
}

void ClipboardThumbnailCache::start(const QUuid &id, std::function<QByteArray()> bytes)
{
    if (id.isNull() || m_entries.contains(id) || m_pending.contains(id))
        return;
    m_pending.insert(id);
    const quint64 generation = m_clearGeneration + m_generations.value(id);
    const Lifetime::Pointer<ClipboardThumbnailCache> self(this, m_lifetime);
    // The destructor waits for the pool, so `this` outlives every job; `self` tells a job to skip its work.
    m_pool.start([this, self, id, bytes = std::move(bytes), generation] {
        if (!self)
            return;
        const QImage image = decode(bytes());
        if (!self)
            return;
        QMetaObject::invokeMethod(
            this,
            [self, id, image, generation] {
                if (self)
                    self->store(id, image, generation);
            },
            Qt::QueuedConnection);
    });
}

void ClipboardThumbnailCache::store(const QUuid &id, const QImage &image, quint64 generation)
{
    if (!m_pending.remove(id))
        return;
    if (generation != m_clearGeneration + m_generations.value(id))
        return; // removed or cleared while it decoded
    Entry entry;
    entry.image = image;
    entry.bytes = imageBytes(image);
    entry.use = m_uses.insert(m_uses.end(), id);
    m_entries.insert(id, entry);
    m_bytes += entry.bytes;
    evict();
    Q_EMIT thumbnailReady(id);
}

void ClipboardThumbnailCache::evict()
{
    // The newest entry always stays, even when it alone is over the limit.
    while (m_bytes > m_limit && m_uses.size() > 1) {
        const QUuid oldest = m_uses.front();
        m_uses.pop_front();
        m_bytes -= m_entries.take(oldest).bytes;
    }
}

void ClipboardThumbnailCache::remove(const QUuid &id)
{
    auto it = m_entries.find(id);
    if (it != m_entries.end()) {
        m_bytes -= it->bytes;
        m_uses.erase(it->use);
        m_entries.erase(it);
    }
    if (m_pending.contains(id))
        m_generations[id] += 1;
}

void ClipboardThumbnailCache::clear()
{
    m_entries.clear();
    m_uses.clear();
    m_bytes = 0;
    ++m_clearGeneration;
}

void ClipboardThumbnailCache::waitForIdle()
{
    m_pool.waitForDone();
    // Deliver the results the workers queued.
    while (!m_pending.isEmpty()) {
        const qsizetype before = m_pending.size();
        QCoreApplication::sendPostedEvents(this);
        if (m_pending.size() == before)
            break;
    }
}
