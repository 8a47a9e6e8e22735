// The global hot key: modifier conversion, the registration attempts with their blocking retry, the
// process-wide id table, and the shortcut that types text in runs.
#include "launcher/HotkeyHelper.h"
#include "platform/sim/SimPlatform.h"

#include <gtest/gtest.h>

namespace {

using Status = HotKeys::Status;
using Target = HotKeys::Target;
constexpr quint32 keyOne = 0x31;
constexpr Qt::KeyboardModifiers superShift = Qt::MetaModifier | Qt::ShiftModifier;

TEST(HotkeyHelper, KeepsOnlyTheModifiersAHotKeyHolds)
{
    struct Case {
        Qt::KeyboardModifiers held;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {superShift, superShift},
        {Qt::MetaModifier | Qt::AltModifier | Qt::ControlModifier,
         Qt::MetaModifier | Qt::AltModifier | Qt::ControlModifier},
        {Qt::MetaModifier, Qt::MetaModifier},
        {Qt::AltModifier, Qt::AltModifier},
        {Qt::ControlModifier, Qt::ControlModifier},
        {Qt::ShiftModifier, Qt::ShiftModifier},
        // The keypad and a layout group switch are dropped.
        {Qt::KeypadModifier | Qt::GroupSwitchModifier, {}},
        {Qt::GroupSwitchModifier | superShift, superShift},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HotkeyHelper::hotKeyModifiers(c.held), c.modifiers) << Qt::hex << c.held.toInt();
}

TEST(HotkeyHelper, RegistersAtTheFirstAttemptAndCallsTheHandler)
{
    SimPlatform sim;
    int presses = 0;
    HotkeyHelper helper(sim.hotKeys, sim.clock, 1, [&] { ++presses; });
    EXPECT_EQ(helper.hotKeyID().signature, 0x5A415A55u);
    EXPECT_EQ(helper.hotKeyID().id, 1u);
    ASSERT_TRUE(helper.registerHotKey(keyOne, superShift));
    ASSERT_EQ(sim.hotKeys.attempts().size(), 1);
    EXPECT_EQ(sim.hotKeys.attempts().first().modifiers, superShift);
    EXPECT_EQ(sim.hotKeys.attempts().first().keysym, keyOne);
    EXPECT_NE(helper.hotKeyRef(), 0u);
    EXPECT_EQ(sim.clock.totalBlocked(), 0);

    sim.hotKeys.press(keyOne, superShift);
    EXPECT_EQ(presses, 1);
    sim.hotKeys.press(keyOne, Qt::MetaModifier);
    EXPECT_EQ(presses, 1) << "other modifiers are another key";
}

TEST(HotkeyHelper, TriesFourWaysThenWaitsAndRetriesOnce)
{
    struct Case {
        const char *name;
        QList<Status> refusals;
        bool registered;
        int attempts;
        double blocked;
    };
    const Case cases[] = {
        {"second attempt", {Status::Exists}, true, 2, 0},
        {"fourth attempt", {Status::Exists, Status::Exists, Status::Exists}, true, 4, 0},
        {"retry after the pause", {Status::Exists, Status::Exists, Status::Exists, Status::Exists}, true, 5, 0.1},
        {"held for good", QList<Status>(5, Status::Exists), false, 5, 0.1},
        // Only a key held elsewhere is worth waiting for.
        {"no desktop", QList<Status>(4, Status::Unavailable), false, 4, 0},
        {"last refusal is not 'exists'",
         {Status::Exists, Status::Exists, Status::Exists, Status::Unavailable}, false, 4, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimPlatform sim;
        sim.hotKeys.refuseNext(c.refusals);
        HotkeyHelper helper(sim.hotKeys, sim.clock, 1, [] {});
        EXPECT_EQ(helper.registerHotKey(keyOne, superShift), c.registered);
        EXPECT_EQ(helper.hotKeyRef() != 0, c.registered);
        EXPECT_DOUBLE_EQ(sim.clock.totalBlocked(), c.blocked);
        const auto &attempts = sim.hotKeys.attempts();
        ASSERT_EQ(attempts.size(), c.attempts);
        const std::pair<Target, bool> order[] = {{Target::Application, true}, {Target::Application, false},
                                                 {Target::Dispatcher, true}, {Target::Dispatcher, false},
                                                 {Target::Application, true}};
        for (int i = 0; i < attempts.size(); ++i) {
            EXPECT_EQ(attempts[i].target, order[i].first) << i;
            EXPECT_EQ(attempts[i].exclusive, order[i].second) << i;
        }
    }
}

TEST(HotkeyHelper, RegisteringAgainDropsThePreviousRegistration)
{
    SimPlatform sim;
    HotkeyHelper helper(sim.hotKeys, sim.clock, 1, [] {});
    ASSERT_TRUE(helper.registerHotKey(keyOne, superShift));
    ASSERT_TRUE(helper.registerHotKey(0x32, superShift));
    ASSERT_EQ(sim.hotKeys.registrations().size(), 1);
    EXPECT_EQ(sim.hotKeys.registrations().first().keysym, 0x32u);

    // A failed registration leaves nothing held, not the old one.
    sim.hotKeys.holdElsewhere(keyOne, superShift);
    EXPECT_FALSE(helper.registerHotKey(keyOne, superShift));
    EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
    EXPECT_EQ(helper.hotKeyRef(), 0u);
}

TEST(HotkeyHelper, DestructionUnregistersAndLeavesTheTable)
{
    SimPlatform sim;
    int presses = 0;
    {
        HotkeyHelper helper(sim.hotKeys, sim.clock, 7, [&] { ++presses; });
        ASSERT_TRUE(helper.registerHotKey(keyOne, superShift));
        EXPECT_EQ(HotkeyHelper::helper(7), &helper);
    }
    EXPECT_EQ(HotkeyHelper::helper(7), nullptr);
    EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
    // A press that still arrives for the id goes nowhere.
    Q_EMIT sim.hotKeys.pressed(7);
    EXPECT_EQ(presses, 0);
}

TEST(HotkeyHelper, DestroyingAReplacedHelperKeepsItsSuccessor)
{
    SimPlatform sim;
    int first = 0, second = 0;
    auto older = std::make_unique<HotkeyHelper>(sim.hotKeys, sim.clock, 1, [&] { ++first; });
    ASSERT_TRUE(older->registerHotKey(keyOne, superShift));
    HotkeyHelper newer(sim.hotKeys, sim.clock, 1, [&] { ++second; });
    ASSERT_TRUE(newer.registerHotKey(keyOne, superShift));
    EXPECT_EQ(HotkeyHelper::helper(1), &newer);

    older.reset();
    EXPECT_EQ(HotkeyHelper::helper(1), &newer) << "the older helper must not remove its successor's entry";
    ASSERT_EQ(sim.hotKeys.registrations().size(), 1) << "only the older registration is dropped";
    sim.hotKeys.press(keyOne, superShift);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}

TEST(HotkeyHelper, PressesFromEveryBackendReachTheTable)
{
    // Each backend gets one route, however many helpers use it.
    SimPlatform sim;
    int presses = 0;
    HotkeyHelper a(sim.hotKeys, sim.clock, 3, [&] { ++presses; });
    HotkeyHelper b(sim.hotKeys, sim.clock, 4, [] {});
    Q_EMIT sim.hotKeys.pressed(3);
    EXPECT_EQ(presses, 1);

    SimPlatform other;
    HotkeyHelper c(other.hotKeys, other.clock, 5, [&] { presses += 10; });
    Q_EMIT other.hotKeys.pressed(5);
    EXPECT_EQ(presses, 11);
}

TEST(HotkeyHelper, AHandlerMayDestroyItsHelper)
{
    SimPlatform sim;
    std::unique_ptr<HotkeyHelper> helper;
    int presses = 0;
    helper = std::make_unique<HotkeyHelper>(sim.hotKeys, sim.clock, 9, [&] {
        ++presses;
        helper.reset();
    });
    Q_EMIT sim.hotKeys.pressed(9);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(HotkeyHelper::helper(9), nullptr);
}

struct TypingCase {
    const char *name;
    QString text;
    QList<int> chunkLengths;
};

TEST(UnicodeTyping, PostsRunsOfTwentyUnitsWithoutSplittingPairs)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const TypingCase cases[] = {
        {"45 units", QString(45, QLatin1Char('a')), {20, 20, 5}},
        {"exactly 20", QString(20, QLatin1Char('b')), {20}},
        {"empty", QString(), {}},
        {"emoji across the cut", QString(19, QLatin1Char('c')) + emoji + QStringLiteral("dd"), {19, 4}},
        {"emoji right after the cut", QString(20, QLatin1Char('c')) + emoji, {20, 2}},
        {"only emoji", emoji.repeated(11), {20, 2}},
    };
    for (const TypingCase &c : cases) {
        SCOPED_TRACE(c.name);
        SimPlatform sim;
        const qint64 pid = sim.workspace.frontmostApplication() ? sim.workspace.frontmostApplication()->pid : 0;
        EXPECT_TRUE(sim.keyboard.typeText(c.text, pid));
        QList<int> lengths;
        QString joined;
        for (const auto &chunk : sim.keyboard.typed) {
            lengths.append(int(chunk.text.size()));
            joined += chunk.text;
            EXPECT_FALSE(chunk.text.back().isHighSurrogate());
        }
        EXPECT_EQ(lengths, c.chunkLengths);
        EXPECT_EQ(joined, c.text);
    }
}

} // namespace
