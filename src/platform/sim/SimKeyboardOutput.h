#pragma once
// Records posted chords and typed text. Events reach the frontmost application of the simulated
// workspace; a test can also refuse every event.

#include "platform/KeyboardOutput.h"

#include <QList>

#include <functional>

class SimClock;
class SimWorkspace;

class SimKeyboardOutput : public KeyboardOutput {
    Q_OBJECT
public:
    struct PostedChord {
        KeyChord chord;
        qint64 pid = 0;       // the process that had the focus
        double downAt = 0;    // simulated uptime of key-down and key-up
        double upAt = -1;
    };
    struct TypedChunk {
        QString text;
        qint64 pid = 0;
        double at = 0;
    };

    SimKeyboardOutput(SimClock &clock, SimWorkspace &workspace, QObject *parent = nullptr);

    bool isAvailable() const override { return available; }
    bool postUnicodeText(const QString &chunk, qint64 pid) override;
    int unicodeRunLength() override { return runLength; }
    double pauseBeforeUnicodeText(const QString &) override { return pauseBeforeEachRun; }

    // Everything typed into `pid`, in order.
    QString typedText(qint64 pid) const;

    bool available = true;
    QList<PostedChord> chords;
    QList<TypedChunk> typed;
    // How paced typing is cut and paced (a real keyboard map may have few spare keys).
    int runLength = typingChunkLength;
    double pauseBeforeEachRun = 0;
    // Runs before each run of text is posted (or refused): a test can move the focus mid-typing.
    std::function<void(const QString &chunk)> beforeUnicodeText;

protected:
    bool postChordHalf(const KeyChord &chord, bool down, qint64 targetPid) override;

private:
    qint64 focusedPid() const;
    SimClock &m_simClock;
    SimWorkspace &m_workspace;
};
