// Which sources storm: people and ordinary bursts never, a program looping on the clipboard soon and for as
// long as it keeps the rate; each storm is told once it is over, with the changes it folded.
#include "clipboard/ClipboardStormDetector.h"
#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Verdict = ClipboardStormDetector::Verdict;

// `notes` changes noted `interval` apart (the first one `pause` after the previous run), each moving the
// count by `changes`; with `other`, every second one comes from that owner instead.
struct Copies {
    const char *owner;
    int notes;
    double interval;
    qint64 changes = 1;
    double pause = -1;
    const char *other = nullptr;
};

struct Row {
    const char *name;
    std::vector<Copies> runs;
    int firstStorming; // index of the first note that is not ordinary; -1: none
    int storming;      // notes that are not ordinary
    std::vector<qint64> folded; // by storm, the changes it folded, those that made it one as well
};

const Row rows[] = {
    {"a person copying every second", {{"editor", 60, 1.0}}, -1, 0, {}},
    {"300 copies 0.02 s apart", {{"script", 300, 0.02}}, -1, 0, {}},
    {"1,000 copies 0.05 s apart", {{"script", 1000, 0.05}}, -1, 0, {}},
    {"just under 100 a second", {{"script", 1000, 0.011}}, -1, 0, {}},
    {"just over 100 a second", {{"script", 1000, 0.009}}, 200, 800, {1000}},
    {"two applications at 60 a second each", {{"one", 1000, 0.0083, 1, -1, "two"}}, -1, 0, {}},
    {"1,000 a second for a minute, each change seen", {{"looper", 60000, 0.001}}, 200, 59800, {60000}},
    {"1,000 a second read 100 times a second", {{"looper", 6000, 0.01, 10}}, 20, 5980, {60000}},
    {"1,000 a second seen by the poll", {{"looper", 100, 0.16, 160}}, 1, 99, {16000}},
    {"a storm, quiet for a second, then a copy", {{"looper", 500, 0.001}, {"looper", 1, 0, 1, 1.001}}, 200, 300, {500}},
    {"a storm, then copies 0.3 s apart", {{"looper", 500, 0.001}, {"looper", 20, 0.3}}, 200, 300, {500}},
    {"a storm, then copies 0.6 s apart", {{"looper", 300, 0.005}, {"looper", 8, 0.6}}, 200, 100, {300}},
    {"a storm, then copies 0.8 s apart", {{"looper", 300, 0.005}, {"looper", 10, 0.8}}, 200, 100, {300}},
    {"a person copying while a program storms", {{"looper", 400, 0.001}, {"looper", 200, 0.001, 1, -1, "editor"}},
     200, 300, {500}},
    // The window still holds the first storm: the second is told from its rate alone.
    {"two storms a second and a half apart", {{"looper", 300, 0.001}, {"looper", 300, 0.001, 1, 1.5}}, 200, 375,
     {300, 300}},
};

TEST(ClipboardStormDetector, TellsProgramsStuckInALoopFromPeopleAndBursts)
{
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        SimClock clock;
        ClipboardStormDetector detector(clock);
        int index = 0;
        int first = -1;
        int storming = 0;
        std::vector<qint64> folded;
        const auto takeEnded = [&] {
            for (const ClipboardStormDetector::Storm &storm : detector.takeEndedStorms())
                folded.push_back(storm.changes);
        };
        for (const Copies &run : row.runs) {
            for (int i = 0; i < run.notes; ++i) {
                clock.advance(i == 0 && run.pause >= 0 ? run.pause : run.interval);
                const char *owner = run.other && i % 2 == 1 ? run.other : run.owner;
                const Verdict verdict = detector.note(QString::fromLatin1(owner), run.changes);
                if (verdict != Verdict::ordinary) {
                    ++storming;
                    if (first < 0)
                        first = index;
                }
                takeEnded();
                ++index;
            }
        }
        clock.advance(ClipboardStormDetector::rateSpan);
        takeEnded();
        EXPECT_EQ(first, row.firstStorming);
        EXPECT_EQ(storming, row.storming);
        EXPECT_EQ(folded, row.folded);
    }
}

} // namespace
