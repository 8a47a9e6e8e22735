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

} // namespace
