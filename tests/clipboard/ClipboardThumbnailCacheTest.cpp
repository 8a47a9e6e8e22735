#include "clipboard/ClipboardThumbnailCache.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray png(int width, int height, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(ClipboardThumbnailCache, DecodesOffTheMainThreadAtMost80Pixels)
{
    struct Row {
        const char *name;
        QByteArray bytes;
        QSize size; // invalid: does not decode
    };
    const Row rows[] = {
        {"wide", png(400, 100), QSize(80, 20)},
        {"small stays small", png(30, 50), QSize(30, 50)},
        {"not an image", QByteArray("definitely not a picture"), QSize()},
        {"empty", QByteArray(), QSize()},
    };
    ClipboardThumbnailCache cache;
    for (const Row &row : rows) {
        const QUuid id = QUuid::createUuid();
        EXPECT_FALSE(cache.thumbnail(id)) << row.name;
        cache.request(id, row.bytes);
        EXPECT_TRUE(cache.isPending(id)) << row.name;
        cache.waitForIdle();
        const std::optional<QImage> image = cache.thumbnail(id);
        ASSERT_TRUE(image) << row.name;
        EXPECT_EQ(image->isNull() ? QSize() : image->size(), row.size) << row.name;
    }
}

TEST(ClipboardThumbnailCache, StaysWithinItsByteLimitDroppingTheLeastRecentlyUsed)
{
    const qint64 oneThumbnail = 80 * 80 * 4 + 64;
    ClipboardThumbnailCache cache(3 * oneThumbnail);
    QList<QUuid> ids;
    for (int i = 0; i < 3; ++i) {
        ids.append(QUuid::createUuid());
        cache.request(ids.last(), png(160, 160));
        cache.waitForIdle();
    }
    EXPECT_EQ(cache.count(), 3);
    EXPECT_TRUE(cache.thumbnail(ids[0])); // used again: now the newest
    ids.append(QUuid::createUuid());
    cache.request(ids.last(), png(160, 160));
    cache.waitForIdle();
    EXPECT_LE(cache.byteCount(), cache.byteLimit());
    EXPECT_TRUE(cache.thumbnail(ids[0]));
    EXPECT_FALSE(cache.thumbnail(ids[1])); // the least recently used went
    EXPECT_TRUE(cache.thumbnail(ids[3]));
}

TEST(ClipboardThumbnailCache, ARemovedItemsLateDecodeIsDropped)
{
    ClipboardThumbnailCache cache;
    const QUuid id = QUuid::createUuid();
    QSignalSpy ready(&cache, &ClipboardThumbnailCache::thumbnailReady);
    cache.request(id, png(100, 100));
    cache.remove(id);
    cache.waitForIdle();
    EXPECT_FALSE(cache.thumbnail(id));
    EXPECT_EQ(ready.count(), 0);
    // Asked again, it decodes again.
    cache.request(id, png(100, 100));
    cache.waitForIdle();
    EXPECT_TRUE(cache.thumbnail(id));
    EXPECT_EQ(ready.count(), 1);
}

TEST(ClipboardThumbnailCache, ReadsStoredImagesFromTheirFileWithoutKeepingTheBytes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("image.png"));
    const QByteArray bytes = png(200, 100);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const std::shared_ptr<LazyBlob> blob = LazyBlob::inFile(path, bytes.size());
    ClipboardThumbnailCache cache;
    const QUuid id = QUuid::createUuid();
    cache.request(id, blob);
    cache.waitForIdle();
    ASSERT_TRUE(cache.thumbnail(id));
    EXPECT_EQ(cache.thumbnail(id)->size(), QSize(80, 40));
    EXPECT_FALSE(blob->isLoaded());
}

TEST(ClipboardThumbnailCache, ALargeImageComesDownToAThumbnail)
{
    ClipboardThumbnailCache cache;
    const QUuid id = QUuid::createUuid();
    cache.request(id, png(3000, 2000));
    cache.waitForIdle();
    ASSERT_TRUE(cache.thumbnail(id));
    EXPECT_EQ(cache.thumbnail(id)->size(), QSize(80, 53));
}

} // namespace
