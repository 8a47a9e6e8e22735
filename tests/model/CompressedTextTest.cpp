// Long texts as the store keeps them: a damaged frame never reads back as another text, and frames
// written before they carried a checksum still read.
#include "model/CompressedText.h"

#include <gtest/gtest.h>

#include <zstd.h>

namespace {

QByteArray sampleText()
{
    QByteArray text;
    for (int i = 0; text.size() < 4000; ++i)
        text += "line " + QByteArray::number(i * 7919 % 1000) + " of a long copy\n";
    return text;
}

bool readsBack(const QByteArray &frame, QByteArray &text)
{
    const std::optional<qsizetype> size = CompressedText::textSize(frame);
    if (!size || *size < 0 || *size > 1 << 20)
        return false;
    text = QByteArray(*size, Qt::Uninitialized);
    return CompressedText::decompress(frame, text);
}

TEST(CompressedText, AFlippedByteIsFoundNotReadAsAnotherText)
{
    const QByteArray text = sampleText();
    const QByteArray frame = CompressedText::compress(text);
    ASSERT_FALSE(frame.isEmpty());
    QByteArray back;
    ASSERT_TRUE(readsBack(frame, back));
    EXPECT_EQ(back, text);
    for (qsizetype i = 0; i < frame.size(); ++i) {
        for (const char bit : {'\x01', '\x80'}) {
            QByteArray damaged = frame;
            damaged[i] = char(damaged[i] ^ bit);
            if (readsBack(damaged, back)) {
                ASSERT_EQ(back, text) << "byte " << i << " flipped read back as another text";
            }
        }
    }

    // A frame written without a checksum, as before, still reads.
    QByteArray old(qsizetype(ZSTD_compressBound(size_t(text.size()))), Qt::Uninitialized);
    old.truncate(qsizetype(ZSTD_compress(old.data(), size_t(old.size()), text.constData(), size_t(text.size()), 3)));
    ASSERT_TRUE(readsBack(old, back));
    EXPECT_EQ(back, text);
}

} // namespace
