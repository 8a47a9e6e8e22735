#include "platform/KeyboardOutput.h"

#include "platform/Clock.h"

#include <algorithm>

KeyboardOutput::KeyboardOutput(Clock &clock, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
{
}

KeyboardOutput::~KeyboardOutput()
{
    m_lifetime.end();
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

Task<KeyboardOutput::Typed> KeyboardOutput::typeTextPaced(QString text, qint64 pid)
{
    const Lifetime::Pointer<KeyboardOutput> self(this, m_lifetime);
    Clock &clock = m_clock;
    Typed typed;
    const QStringList chunks = typingChunks(text, std::clamp(unicodeRunLength(), 2, int(typingChunkLength)));
    for (const QString &chunk : chunks) {
        // Even without a pause the event loop gets its turn between runs.
        const double pause = std::max(0.0, pauseBeforeUnicodeText(chunk));
        const bool awake = co_await clock.sleep(pause);
        if (!awake || !self)
            co_return typed;
        if (!self->postUnicodeText(chunk, pid))
            co_return typed;
        typed.postedLength += chunk.size();
    }
    typed.complete = true;
    co_return typed;
}

QStringList KeyboardOutput::typingChunks(const QString &text, int maximumLength)
{
    QStringList chunks;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype length = std::min<qsizetype>(std::max(2, maximumLength), text.size() - start);
        const qsizetype end = start + length;
        // Half a surrogate pair would come out as a replacement character: keep pairs together.
        if (end < text.size() && text.at(end - 1).isHighSurrogate() && text.at(end).isLowSurrogate())
            --length;
        chunks.append(text.mid(start, length));
        start += length;
    }
    return chunks;
}
