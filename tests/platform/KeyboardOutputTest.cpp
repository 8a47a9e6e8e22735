#include "platform/KeyboardOutput.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

QString repeat(QChar c, int n)
{
    return QString(n, c);
}

struct ChunkCase {
    const char *name;
    QString text;
    QList<int> lengths;
};

// The runs typed for a text: 20 code units each, never half a surrogate pair.
TEST(KeyboardOutputTest, TypingChunks)
{
    const QString emoji = QString::fromUtf8("😀"); // two code units
    const ChunkCase cases[] = {
        {"empty", QString(), {}},
        {"short", QStringLiteral("ok"), {2}},
        {"exactly one run", repeat(u'a', 20), {20}},
        {"45 units", repeat(u'a', 45), {20, 20, 5}},
        {"pair across the cut stays whole", repeat(u'a', 19) + emoji + QStringLiteral("b"), {19, 3}},
        {"pair ending a run", repeat(u'a', 18) + emoji + QStringLiteral("b"), {20, 1}},
        {"only pairs", emoji.repeated(11), {20, 2}},
    };
    for (const ChunkCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList chunks = KeyboardOutput::typingChunks(c.text);
        QList<int> lengths;
        for (const QString &chunk : chunks) {
            lengths.append(int(chunk.size()));
            EXPECT_FALSE(chunk.back().isHighSurrogate());
            EXPECT_FALSE(chunk.front().isLowSurrogate());
        }
        EXPECT_EQ(lengths, c.lengths);
        EXPECT_EQ(chunks.join(QString()), c.text);
    }
}

TEST(KeyboardOutputTest, TypeTextPostsRunsInOrderToTheFocusedTarget)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("editor"));
    sim.workspace.bringToFront(editor);

    const QString text = QString::fromUtf8("zażółć 😀 ok, and some more text to pass twenty units");
    EXPECT_TRUE(sim.keyboard.typeText(text, editor.pid));
    EXPECT_EQ(sim.keyboard.typedText(editor.pid), text);
    EXPECT_EQ(sim.keyboard.typed.size(), KeyboardOutput::typingChunks(text).size());

    EXPECT_TRUE(sim.keyboard.typeText(QString(), editor.pid));
    EXPECT_EQ(sim.keyboard.typed.size(), KeyboardOutput::typingChunks(text).size());
}

TEST(KeyboardOutputTest, NothingIsTypedOrPressedIntoAnotherApplication)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("editor"));
    const RunningApplication terminal = sim.workspace.addApplication(QStringLiteral("terminal"));
    sim.workspace.bringToFront(terminal);

    EXPECT_FALSE(sim.keyboard.typeText(QStringLiteral("secret"), editor.pid));
    EXPECT_FALSE(sim.keyboard.postChord(KeyChord::paste(), editor.pid));
    EXPECT_TRUE(sim.keyboard.typed.isEmpty());
    EXPECT_TRUE(sim.keyboard.chords.isEmpty());
    EXPECT_EQ(sim.clock.totalBlocked(), 0.0);
}

TEST(KeyboardOutputTest, ChordHoldsTheKeyForTwoMilliseconds)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("editor"));
    sim.workspace.bringToFront(editor);

    ASSERT_TRUE(sim.keyboard.postChord(KeyChord::selectAll(), editor.pid));
    ASSERT_EQ(sim.keyboard.chords.size(), 1);
    const auto &posted = sim.keyboard.chords.first();
    EXPECT_EQ(posted.chord, KeyChord::selectAll());
    EXPECT_EQ(posted.pid, editor.pid);
    EXPECT_NEAR(posted.upAt - posted.downAt, 0.002, 1e-12);
    EXPECT_NEAR(sim.clock.totalBlocked(), 0.002, 1e-12);
}

TEST(KeyboardOutputTest, ShorterRunsStillKeepSurrogatePairsWhole)
{
    const QString emoji = QString::fromUtf8("😀");
    struct Row {
        const char *name;
        QString text;
        int maximum;
        QList<int> lengths;
    };
    const Row rows[] = {
        {"runs of 4", QStringLiteral("abcdefghij"), 4, {4, 4, 2}},
        {"a pair at a run's end moves on", QStringLiteral("abc") + emoji + QStringLiteral("d"), 4, {3, 3}},
        {"a maximum below 2 still makes progress", emoji + emoji, 1, {2, 2}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QList<int> lengths;
        for (const QString &chunk : KeyboardOutput::typingChunks(row.text, row.maximum))
            lengths.append(int(chunk.size()));
        EXPECT_EQ(lengths, row.lengths);
    }
}

TEST(KeyboardOutputTest, PacedTypingWaitsOnTheClockBetweenRunsAndNeverBlocks)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("editor"));
    sim.workspace.bringToFront(editor);
    sim.keyboard.runLength = 5;
    sim.keyboard.pauseBeforeEachRun = 0.1;
    const QString text = QString::fromUtf8("zażółć gęślą jaźń"); // 17 units: runs of 5, 5, 5, 2
    Task<KeyboardOutput::Typed> typing = sim.keyboard.typeTextPaced(text, editor.pid);
    EXPECT_TRUE(sim.keyboard.typed.isEmpty()); // the first run waits too
    sim.clock.advance(0.25);
    EXPECT_EQ(sim.keyboard.typed.size(), 2);
    EXPECT_FALSE(typing.isFinished());
    sim.clock.advance(1);
    ASSERT_TRUE(typing.isFinished());
    EXPECT_TRUE(typing.result()->complete);
    EXPECT_EQ(typing.result()->postedLength, text.size());
    EXPECT_EQ(sim.keyboard.typedText(editor.pid), text);
    EXPECT_EQ(sim.clock.totalBlocked(), 0.0);
}

TEST(KeyboardOutputTest, PacedTypingStopsAtTheFirstRefusedRunOrWhenCancelled)
{
    SimPlatform sim;
    const RunningApplication editor = sim.workspace.addApplication(QStringLiteral("editor"));
    const RunningApplication terminal = sim.workspace.addApplication(QStringLiteral("terminal"));
    sim.workspace.bringToFront(editor);
    sim.keyboard.runLength = 3;
    int runs = 0;
    sim.keyboard.beforeUnicodeText = [&](const QString &) {
        if (++runs == 2)
            sim.workspace.bringToFront(terminal);
    };
    Task<KeyboardOutput::Typed> refused = sim.keyboard.typeTextPaced(QStringLiteral("abcdefghi"), editor.pid);
    sim.clock.advance(1);
    ASSERT_TRUE(refused.isFinished());
    EXPECT_FALSE(refused.result()->complete);
    EXPECT_EQ(refused.result()->postedLength, 3);
    EXPECT_EQ(sim.keyboard.typedText(editor.pid), QStringLiteral("abc"));
    EXPECT_EQ(sim.keyboard.typedText(terminal.pid), QString());

    sim.keyboard.beforeUnicodeText = nullptr;
    sim.keyboard.pauseBeforeEachRun = 0.1;
    Task<KeyboardOutput::Typed> cancelled = sim.keyboard.typeTextPaced(QStringLiteral("abcdefghi"), terminal.pid);
    sim.clock.advance(0.15);
    cancelled.cancel();
    sim.clock.advance(1);
    EXPECT_EQ(sim.keyboard.typedText(terminal.pid), QStringLiteral("abc"));
}

} // namespace
