#include "platform/KeyboardOutput.h"

#include "platform/Clock.h"

KeyboardOutput::KeyboardOutput(Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{
}

bool KeyboardOutput::postChord(const KeyChord &chord, qint64 targetPid)
{
    if (!postChordHalf(chord, true, targetPid))
        return false;
    m_clock.blockFor(chordHoldSeconds);
    // The key-up goes out even if focus moved meanwhile: a key left down would repeat.
    return postChordHalf(chord, false, 0);
}

bool KeyboardOutput::typeText(const QString &text, qint64 pid)
{
    const QStringList chunks = typingChunks(text);
    for (const QString &chunk : chunks) {
        if (!postUnicodeText(chunk, pid))
            return false;
    }
    return true;
}

QStringList KeyboardOutput::typingChunks(const QString &text)
{
    QStringList chunks;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype length = std::min<qsizetype>(typingChunkLength, text.size() - start);
        const qsizetype end = start + length;
        // Half a surrogate pair would come out as a replacement character: keep pairs together.
        if (end < text.size() && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
            --length;
        chunks.append(text.mid(start, length));
        start += length;
    }
    return chunks;
}
