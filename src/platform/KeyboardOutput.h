#pragma once
// Synthetic keyboard input for other applications: shortcut chords (paste, select all) and typed text.
// Events go to the application that has the keyboard focus.

#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QObject>
#include <QString>
#include <QStringList>

class Clock;

// A key with the modifiers held around it.
struct KeyChord {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;

    static KeyChord paste() { return {Qt::Key_V, Qt::ControlModifier}; }
    // Terminals read Control+V as a control character: most paste the clipboard on Control+Shift+V,
    // the xterm family pastes PRIMARY on Shift+Insert.
    static KeyChord terminalPaste() { return {Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier}; }
    static KeyChord selectionPaste() { return {Qt::Key_Insert, Qt::ShiftModifier}; }
    static KeyChord selectAll() { return {Qt::Key_A, Qt::ControlModifier}; }
    friend bool operator==(const KeyChord &, const KeyChord &) = default;
};

class KeyboardOutput : public QObject {
    Q_OBJECT
public:
    // The pause between key-down and key-up of a chord; it blocks the calling thread.
    static constexpr double chordHoldSeconds = 0.002;
    // Text is posted in runs of at most this many UTF-16 code units.
    static constexpr int typingChunkLength = 20;

    // False when no events can be posted (no display, no XTest).
    virtual bool isAvailable() const = 0;

    // Posts key-down, pauses chordHoldSeconds, posts key-up. With targetPid > 0 nothing is posted unless
    // that process owns the focused window. Answers whether both events were posted.
    bool postChord(const KeyChord &chord, qint64 targetPid = 0);

    // Types one run of text (any length, though callers pass runs of typingChunkLength) into the focused
    // window, which must belong to `pid` when pid > 0. Answers false, posting nothing, when it does not.
    virtual bool postUnicodeText(const QString &chunk, qint64 pid) = 0;

    // Types the whole text run by run. An empty text posts nothing and answers true; a refused run stops
    // the typing with false (runs already posted stay posted).
    bool typeText(const QString &text, qint64 pid);

    // How far paced typing got: whether every run went out, and how many code units did.
    struct Typed {
        bool complete = false;
        qsizetype postedLength = 0;
    };
#ifndef Q_MOC_RUN
    // Types the whole text run by run like typeText(), but where the backend needs a pause between keys
    // it waits on the clock instead of blocking, and it lets the event loop run between runs: a long text
    // never freezes the program. Cancelling the awaiting task stops before the next run.
    Task<Typed> typeTextPaced(QString text, qint64 pid);
#endif

    // The runs typeText posts: at most `maximumLength` code units each, except that a surrogate pair is
    // never split (such a run ends one unit early).
    static QStringList typingChunks(const QString &text, int maximumLength = typingChunkLength);

    // The longest run the backend posts without pausing inside it (at most typingChunkLength).
    virtual int unicodeRunLength() { return typingChunkLength; }
    // Seconds to wait before `chunk` can go out without a pause inside postUnicodeText; 0 when it can
    // go at once.
    virtual double pauseBeforeUnicodeText(const QString &chunk)
    {
        Q_UNUSED(chunk);
        return 0;
    }

    ~KeyboardOutput() override;

protected:
    explicit KeyboardOutput(Clock &clock, QObject *parent = nullptr);

    // One half of a chord: the modifiers and key going down (in that order) or up (key first).
    virtual bool postChordHalf(const KeyChord &chord, bool down, qint64 targetPid) = 0;

    Clock &m_clock;

private:
    Lifetime m_lifetime;
};
