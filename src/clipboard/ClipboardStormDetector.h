#pragma once
// Tells a program that rewrites the clipboard in a loop from a person and from ordinary bursts of copies.
// A person copies a few times a second at most, and the fastest bursts of distinct copies that are kept
// whole come 0.02 s apart (50 a second). A source that changes the clipboard more than 100 times a second
// over two seconds storms: its copies then replace each other for as long as it keeps that rate (over the
// last quarter of a second), so a copy at a person's pace right after a storm is a copy of its own.
// Sources are counted apart: one source's storm never takes another's copies.

#include <QHash>
#include <QList>
#include <QString>

class Clock;

class ClipboardStormDetector {
public:
    static constexpr double window = 2.0;
    // More changes than this within the window make a storm: twice the rate of the fastest ordinary burst.
    static constexpr qint64 stormChangeCount = 200;
    // The storm's rate must hold over this span (longer than the slowest poll) for a storm to begin or last.
    static constexpr double rateSpan = 0.25;

    enum class Verdict {
        ordinary,    // a copy of its own
        stormBegins, // the first change of a storm
        storming,    // replaces the source's previous copy
    };

    struct Storm {
        QString source;
        qint64 changes = 0; // counted while it stormed and within the window before: kept as one item
        friend bool operator==(const Storm &, const Storm &) = default;
    };

    explicit ClipboardStormDetector(Clock &clock);

    // `changes` changes of the clipboard by `source` since the last one noted (the change count moved that
    // much), now.
    Verdict note(const QString &source, qint64 changes);
    // Storms over by now, each once: their rate fell at a change, or their source has been still for the
    // rate span.
    QList<Storm> takeEndedStorms();
    bool isStorming() const;

private:
    struct Change {
        double at;
        qint64 count;
    };
    struct SourceChanges {
        QList<Change> recent; // within the window
        qint64 inWindow = 0;
        double last = 0;
        bool storming = false;
        qint64 stormChanges = 0;
        qint64 sinceStorm = 0; // changes noted since its last storm ended
    };

    qint64 changesSince(const SourceChanges &changes, double since) const;
    void end(const QString &source, SourceChanges &changes);
    void endStillStorms(double now);

    Clock &m_clock;
    QHash<QString, SourceChanges> m_sources;
    QList<Storm> m_ended;
};
