#include "model/CompressedText.h"

#include <zstd.h>


namespace {

// Fast enough to write on the main thread; reading back is several times faster still.
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

std::optional<qsizetype> CompressedText::textSize(QByteArrayView compressed)
{
    const unsigned long long size = ZSTD_getFrameContentSize(compressed.constData(), size_t(compressed.size()));
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > largestText)
        return std::nullopt;
    return qsizetype(size);
}

bool CompressedText::decompress(QByteArrayView compressed, QByteArray &text)
{
    const size_t read =
        ZSTD_decompress(text.data(), size_t(text.size()), compressed.constData(), size_t(compressed.size()));
    return !ZSTD_isError(read) && read == size_t(text.size());
}
