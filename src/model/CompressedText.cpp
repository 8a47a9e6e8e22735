#include "model/CompressedText.h"

#include <zstd.h>

#include <limits>
#include <memory>

namespace {

// Fast enough to write on the main thread; reading back is several times faster still.
constexpr int compressionLevel = 3;

} // namespace

QByteArray CompressedText::compress(const QByteArray &text)
{
    if (text.size() < minimumSize)
        return {};
    const std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), &ZSTD_freeCCtx);
    if (!context)
        return {};
    // With its checksum a damaged frame fails to read instead of reading back as another text. Frames
    // written without one still read.
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, compressionLevel);
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(text.size()))), Qt::Uninitialized);
    const size_t written =
        ZSTD_compress2(context.get(), out.data(), size_t(out.size()), text.constData(), size_t(text.size()));
    if (ZSTD_isError(written) || qsizetype(written) > text.size() - text.size() / 8)
        return {};
    out.truncate(qsizetype(written));
    out.squeeze();
    return out;
}

std::optional<qsizetype> CompressedText::textSize(QByteArrayView compressed)
{
    const unsigned long long size = ZSTD_getFrameContentSize(compressed.constData(), size_t(compressed.size()));
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size > quint64(std::numeric_limits<qsizetype>::max()))
        return std::nullopt;
    return qsizetype(size);
}

bool CompressedText::decompress(QByteArrayView compressed, QByteArray &text)
{
    const size_t read =
        ZSTD_decompress(text.data(), size_t(text.size()), compressed.constData(), size_t(compressed.size()));
    return !ZSTD_isError(read) && read == size_t(text.size());
}
