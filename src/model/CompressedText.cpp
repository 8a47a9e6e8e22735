#include "model/CompressedText.h"

#include <zstd.h>

namespace {

// Fast to write on the main thread, and reading back runs at about a gigabyte a second.
constexpr int compressionLevel = 3;
// A frame claiming more than this is not one the store wrote.
constexpr unsigned long long largestText = 1ull << 31;

} // namespace

QByteArray CompressedText::compress(const QByteArray &text)
{
    if (text.size() < minimumSize)
        return {};
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(text.size()))), Qt::Uninitialized);
    const size_t written =
        ZSTD_compress(out.data(), size_t(out.size()), text.constData(), size_t(text.size()), compressionLevel);
    if (ZSTD_isError(written) || qsizetype(written) > text.size() - text.size() / 8)
        return {};
    out.truncate(qsizetype(written));
    out.squeeze();
    return out;
}

std::optional<QByteArray> CompressedText::decompress(const QByteArray &compressed)
{
    const unsigned long long size = ZSTD_getFrameContentSize(compressed.constData(), size_t(compressed.size()));
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > largestText)
        return std::nullopt;
    QByteArray text(qsizetype(size), Qt::Uninitialized);
    const size_t read = ZSTD_decompress(text.data(), size_t(text.size()), compressed.constData(), size_t(compressed.size()));
    if (ZSTD_isError(read) || read != size)
        return std::nullopt;
    return text;
}
