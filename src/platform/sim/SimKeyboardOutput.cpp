#include "platform/sim/SimKeyboardOutput.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimWorkspace.h"

SimKeyboardOutput::SimKeyboardOutput(SimClock &clock, SimWorkspace &workspace, QObject *parent)
    : KeyboardOutput(clock, parent)
    , m_simClock(clock)
    , m_workspace(workspace)
{
}

qint64 SimKeyboardOutput::focusedPid() const
{
    const auto front = m_workspace.frontmostApplication();
    return front ? front->pid : 0;
}

bool SimKeyboardOutput::postChordHalf(const KeyChord &chord, bool down, qint64 targetPid)
{
    if (!available)
        return false;
    if (down) {
        if (targetPid > 0 && focusedPid() != targetPid)
            return false;
        chords.append({chord, focusedPid(), m_simClock.uptime(), -1});
        return true;
    }
    if (chords.isEmpty() || chords.last().upAt >= 0 || !(chords.last().chord == chord))
        return false;
    chords.last().upAt = m_simClock.uptime();
    return true;
}

bool SimKeyboardOutput::postUnicodeText(const QString &chunk, qint64 pid)
{
    if (beforeUnicodeText)
        beforeUnicodeText(chunk);
    if (!available || (pid > 0 && focusedPid() != pid))
        return false;
    typed.append({chunk, focusedPid(), m_simClock.uptime()});
    return true;
}

QString SimKeyboardOutput::typedText(qint64 pid) const
{
    QString text;
    for (const TypedChunk &c : typed) {
        if (c.pid == pid)
            text += c.text;
    }
    return text;
}
