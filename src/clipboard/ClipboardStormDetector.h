#pragma once
// Tells a program that rewrites the clipboard in a loop from a person and from ordinary bursts of copies.
// A person copies a few times a second at most, and the fastest bursts of distinct copies that are kept
// whole come 0.02 s apart (50 a second). A source that changes the clipboard 100 times a second over half a
// second storms: its copies then replace each other for as long as it goes on faster than a person copies,
// and once it slows to a person's pace or falls still, its next copy is a copy of its own again.
// Only the copies made while it storms are folded: what came before stays as it was kept.
// Sources are counted apart: one source's storm never takes another's copies.

#include <QHash>
#include <QList>
#include <QString>

class Clock;

class ClipboardStormDetector {
public:
    // This many changes within the begin span (100 a second) begin a storm: twice the rate of the fastest
    // ordinary burst, told within half a second.
    static constexpr qint64 beginChangeCount = 50;
    static constexpr double beginSpan = 0.5;
    // Once begun, a storm lasts while its source makes more than this many changes over the hold span
    // (faster than a person copies)...
    static constexpr qint64 holdChangeCount = 10;
    static constexpr double holdSpan = 1.0;
    // ...and ends once its source has been still this long: a person's copies a little further apart
    // after a storm are their own.
    static constexpr double stillSpan = 0.5;

    enum class Verdict {
        ordinary,    // a copy of its own
        stormBegins, // the first change of a storm: kept, and replaced by the storm's next one
        storming,    // replaces the source's previous copy
    };

    struct Storm {
        QString source;
        qint64 changes = 0; // counted while it stormed: kept as one item
        friend bool operator==(const Storm &, const Storm &) = default;
    };

    explicit ClipboardStormDetector(Clock &clock);

    // `changes` changes of the clipboard by `source` since the last one noted (the change count moved that
    // much), now.
    Verdict note(const QString &source, qint64 changes);
    // Storms over by now, each once: their source slowed to a person's pace or fell still. Not to be asked
    // while a change is being read: its source has not fallen still.
    QList<Storm> takeEndedStorms();
    bool isStorming() const;
    // The number of the source's storm going on (storms are numbered from 1), 0 when it does not storm.
    qint64 storm(const QString &source) const;

private:
    // Changes seen at once happened since the change noted before (of any source): the one read at `at`,
    // the others spread evenly over that time, so that a read that waited on a slow owner does not make a
    // burst look like a storm.
    struct Change {
        double from;
        double at;
        qint64 count;
    };
    struct SourceChanges {
        QList<Change> recent; // within the hold span
        double last = 0;
        qint64 storm = 0; // its storm going on; 0: none
        qint64 stormChanges = 0;
    };

    // The changes after `since`, counted until there are `enough`.
    static double changesSince(const SourceChanges &changes, double since, double enough);
    // Whether a storm goes on at `now`, its source's latest change before then at `lastChange`.
    static bool holds(const SourceChanges &changes, double now, double lastChange);
    void end(const QString &source, SourceChanges &changes);
    void endStorms(double now, const QString &except);

    Clock &m_clock;
    double m_lastNoteAt;
    qint64 m_stormsBegun = 0;
    QHash<QString, SourceChanges> m_sources;
    QList<Storm> m_ended;
};
