#pragma once

#include <QByteArray>

#include <optional>

// Long texts as the store keeps them on disk: compressed (Zstandard), so that a history of long copies
// takes less room than its texts.
class CompressedText
{
public:
    // Shorter texts are kept as they are: what compressing them saves is not worth the work.
    static constexpr qsizetype minimumSize = 512;

    // The compressed form of a UTF-8 text; null where it would not save at least an eighth.
    static QByteArray compress(const QByteArray &text);
    // The text a compressed form holds; none when the bytes are not such a form (damaged, cut short).
    static std::optional<QByteArray> decompress(const QByteArray &compressed);
};
