// Which sources storm: people and ordinary bursts never, a program looping on the clipboard within half a
// second and for as long as it goes on faster than a person; each storm is told once it is over, with the
// changes it folded.
#include "clipboard/ClipboardStormDetector.h"
#include "platform/sim/SimClock.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Verdict = ClipboardStormDetector::Verdict;

// `notes` changes noted `interval` apart (the first one `pause` after the previous run), each moving the
// count by `changes`; with `other`, every second one comes from that owner instead; with `jitter`, each
// interval is off by up to that fraction either way.
struct Copies {
    const char *owner;
    int notes;
    double interval;
    qint64 changes = 1;
    double pause = -1;
    const char *other = nullptr;
    double jitter = 0;
};

struct Row {
    const char *name;
    std::vector<Copies> runs;
    int firstStorming; // index of the first note that is not ordinary; -1: none
    int storming;      // notes that are not ordinary
    std::vector<qint64> folded; // by storm, the changes it folded
};

const Row rows[] = {
    {"a person copying every second", {{"editor", 60, 1.0}}, -1, 0, {}},
    {"300 copies 0.02 s apart", {{"script", 300, 0.02}}, -1, 0, {}},
    {"1,000 copies 0.05 s apart", {{"script", 1000, 0.05}}, -1, 0, {}},
    {"just under 100 a second", {{"script", 1000, 0.011}}, -1, 0, {}},
    {"just over 100 a second", {{"script", 1000, 0.009}}, 49, 951, {951}},
    {"every 10 ms for 40 s", {{"looper", 4000, 0.01}}, 49, 3951, {3951}},
    {"100 a second, 10% either way, for 40 s", {{"looper", 4000, 0.01, 1, -1, nullptr, 0.1}}, 49, 3951, {3951}},
    {"two applications at 60 a second each", {{"one", 1000, 0.0083, 1, -1, "two"}}, -1, 0, {}},
    {"1,000 a second for a minute, each change seen", {{"looper", 60000, 0.001}}, 49, 59951, {59951}},
    {"1,000 a second read 100 times a second", {{"looper", 6000, 0.01, 10}}, 4, 5996, {59960}},
    {"1,000 a second seen by the poll", {{"looper", 100, 0.16, 160}}, 0, 100, {16000}},
    {"20 a second read every 3 s", {{"script", 20, 3.0, 60}}, -1, 0, {}},
    {"120 a second read every 0.6 s", {{"looper", 60, 0.6, 72}}, 0, 60, {4320}},
    {"a storm, quiet for a second, then a copy", {{"looper", 500, 0.001}, {"looper", 1, 0, 1, 1.001}}, 49, 451, {451}},
    // Faster than a person for a second after the storm: the first three are the storm's.
    {"a storm, then copies 0.3 s apart", {{"looper", 500, 0.001}, {"looper", 20, 0.3}}, 49, 454, {454}},
    {"a storm, then copies 0.6 s apart", {{"looper", 300, 0.005}, {"looper", 8, 0.6}}, 49, 251, {251}},
    {"a storm, then copies 0.8 s apart", {{"looper", 300, 0.005}, {"looper", 10, 0.8}}, 49, 251, {251}},
    {"a storm slowing to 50 a second while a person copies",
     {{"looper", 400, 0.001}, {"looper", 200, 0.01, 1, -1, "editor"}}, 49, 451, {451}},
    {"two storms a second and a half apart", {{"looper", 300, 0.001}, {"looper", 300, 0.001, 1, 1.5}}, 49, 502,
     {251, 251}},
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
        std::minstd_rand jitter(7);
        for (const Copies &run : row.runs) {
            for (int i = 0; i < run.notes; ++i) {
                const double unit = double(jitter() - jitter.min()) / double(jitter.max() - jitter.min());
                const double off = run.jitter * (2 * unit - 1);
                clock.advance(i == 0 && run.pause >= 0 ? run.pause : run.interval * (1 + off));
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
        clock.advance(ClipboardStormDetector::holdSpan);
        takeEnded();
        EXPECT_EQ(first, row.firstStorming);
        EXPECT_EQ(storming, row.storming);
        EXPECT_EQ(folded, row.folded);
    }
}

} // namespace
