#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Long texts as the store keeps them on disk: compressed (Zstandard), so that a history of long copies
// takes less room than its texts.
class CompressedText
{
public:
    // Shorter texts are kept as they are: what compressing them saves is not worth the work.
    static constexpr qsizetype minimumSize = 512;

    // The compressed form of a UTF-8 text, checksummed; null where it would not save at least an eighth.
    static QByteArray compress(const QByteArray &text);
    // The size of the text a compressed form declares (the bytes may declare any size: compare it with what
    // could have been stored before making room for it); none when the bytes are not such a form.
    static std::optional<qsizetype> textSize(QByteArrayView compressed);
    // Reads a compressed form back into `text`, already of its textSize() and not shared: made by the
    // caller, so that a worker thread reading it allocates little (each thread that allocates keeps memory
    // of its own). False when the bytes do not read (damaged, cut short, not the size declared).
    static bool decompress(QByteArrayView compressed, QByteArray &text);
};
