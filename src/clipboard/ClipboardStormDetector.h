#pragma once
// Tells a program that rewrites the clipboard in a loop from a person and from ordinary bursts of copies.
// A person copies a few times a second at most, and the fastest bursts of distinct copies that are kept
// whole come 0.02 s apart (50 a second). An owner that changes the clipboard more than 100 times a second
// over two seconds storms: its copies then replace each other until it has been quiet for a second.

#include <QHash>
#include <QList>
#include <QString>

class Clock;

class ClipboardStormDetector {
public:
    static constexpr double window = 2.0;
    // More changes than this within the window make a storm: twice the rate of the fastest ordinary burst.
    static constexpr qint64 stormChangeCount = 200;
    static constexpr double quietPeriod = 1.0;

    enum class Verdict {
        ordinary,    // a copy of its own
        stormBegins, // the first change of a storm: say once which application it is
        storming,    // replaces the owner's previous copy
    };

    explicit ClipboardStormDetector(Clock &clock);

    // `changes` changes of the clipboard by `owner` since the last one noted (the change count moved that
    // much), now.
    Verdict note(const QString &owner, qint64 changes);

private:
    struct Change {
        double at;
        qint64 count;
    };
    struct OwnerChanges {
        QList<Change> recent; // within the window
        qint64 inWindow = 0;
        double last = 0;
        bool storming = false;
    };

    Clock &m_clock;
    QHash<QString, OwnerChanges> m_owners;
};
