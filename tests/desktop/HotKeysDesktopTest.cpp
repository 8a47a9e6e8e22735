// The X11 hot keys on a real server: Super+Shift+1 typed by xdotool reaches the registration, also with
// NumLock on, a grab another client holds is reported as "exists", and keyboard-mapping changes make the
// key be looked up again only when they touched it.
#include "DesktopTest.h"
#include "launcher/HotkeyHelper.h"
#include "platform/linux/LinuxHotKeys.h"
#include "platform/linux/LinuxKeyboardOutput.h"
#include "platform/linux/XcbSession.h"
#include "platform/sim/SimClock.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

constexpr quint32 keyOne = 0x31;
constexpr quint32 keyTwo = 0x32;
constexpr Qt::KeyboardModifiers superShift = Qt::MetaModifier | Qt::ShiftModifier;

TEST(LinuxHotKeys, ReceivesSuperShiftOne)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.isAvailable());
    const auto result = hotKeys.registerHotKey(1, keyOne, superShift, HotKeys::Target::Application, true);
    ASSERT_EQ(result.status, HotKeys::Status::Ok);
    QSignalSpy spy(&hotKeys, &HotKeys::pressed);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(spy.count() == 1, 3000);
    EXPECT_EQ(spy.first().first().toUInt(), 1u);

    // NumLock must not disable the hot key.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    const bool withNumLock = DesktopTest::waitUntil([&] { return spy.count() == 2; }, 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));
    EXPECT_TRUE(withNumLock);

    // A second hot key, pressed after a key that must not count: once its press arrives, anything the
    // first key could have caused has arrived before it.
    const auto marker = hotKeys.registerHotKey(2, keyTwo, superShift, HotKeys::Target::Application, true);
    ASSERT_EQ(marker.status, HotKeys::Status::Ok);
    auto pressesOf = [&](quint32 id) {
        int count = 0;
        for (const auto &arguments : spy)
            count += arguments.first().toUInt() == id ? 1 : 0;
        return count;
    };

    // Another combination is not ours.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+1"), QStringLiteral("super+shift+2")}));
    TAVLEN_WAIT_UNTIL(pressesOf(2) == 1, 3000);
    EXPECT_EQ(pressesOf(1), 2);

    hotKeys.unregisterHotKey(result.ref);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1"), QStringLiteral("super+shift+2")}));
    TAVLEN_WAIT_UNTIL(pressesOf(2) == 2, 3000);
    EXPECT_EQ(pressesOf(1), 2) << "no press after unregistering";
    hotKeys.unregisterHotKey(marker.ref);
}

TEST(LinuxHotKeys, GrabHeldByAnotherClientIsReportedAsExisting)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.isAvailable());
    {
        DesktopTest::ChildProcess holder(DesktopTest::helperPath(QStringLiteral("key_grab_holder")));
        ASSERT_TRUE(holder.waitForLine("ready")) << holder.output().constData();

        const auto refused = hotKeys.registerHotKey(1, keyOne, superShift, HotKeys::Target::Application, true);
        EXPECT_EQ(refused.status, HotKeys::Status::Exists);
        EXPECT_EQ(refused.ref, 0u);

        // The helper's four attempts and its retry after the pause all meet the same grab.
        SimClock clock;
        HotkeyHelper helper(hotKeys, clock, 1, [] {});
        EXPECT_FALSE(helper.registerHotKey(keyOne, superShift));
        EXPECT_DOUBLE_EQ(clock.totalBlocked(), HotkeyHelper::retryPause);
    }
    // Once the other client is gone, the key is ours; a refused attempt left no grab of its own behind.
    const bool free = DesktopTest::waitUntil(
        [&] {
            const auto r = hotKeys.registerHotKey(1, keyOne, superShift, HotKeys::Target::Application, true);
            if (r.status == HotKeys::Status::Ok)
                hotKeys.unregisterHotKey(r.ref);
            return r.status == HotKeys::Status::Ok;
        },
        3000);
    EXPECT_TRUE(free);
}

} // namespace

namespace {

// The keycode of the first key that carries no symbol at all, from xmodmap's table.
int spareKeycode()
{
    const DesktopTest::ProcessResult table = DesktopTest::run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    for (const QByteArray &line : table.standardOutput.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() == 3 && parts[0] == "keycode" && parts[2] == "=" && parts[1].toInt() > 100)
            return parts[1].toInt();
    }
    return 0;
}

bool xmodmap(const QString &expression)
{
    return DesktopTest::run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), expression}).succeeded();
}

} // namespace

TEST(LinuxHotKeys, FollowsItsKeyToAnotherKeycodeWhenTheMappingChanges)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.isAvailable());
    const auto result = hotKeys.registerHotKey(1, keyOne, superShift, HotKeys::Target::Application, true);
    ASSERT_EQ(result.status, HotKeys::Status::Ok);
    QSignalSpy spy(&hotKeys, &HotKeys::pressed);

    // "1" moves from its key to a spare one, as another layout or a remapping tool would do it.
    const int spare = spareKeycode();
    ASSERT_GT(spare, 0);
    const int original = 10;
    ASSERT_TRUE(xmodmap(QStringLiteral("keycode %1 = 1 exclam").arg(spare)));
    ASSERT_TRUE(xmodmap(QStringLiteral("keycode %1 =").arg(original)));
    struct Restore {
        int spare, original;
        ~Restore()
        {
            xmodmap(QStringLiteral("keycode %1 = 1 exclam").arg(original));
            xmodmap(QStringLiteral("keycode %1 =").arg(spare));
        }
    } restore{spare, original};

    // xdotool types "1" on the key that carries it now.
    TAVLEN_WAIT_UNTIL(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}) && spy.count() == 1, 5000);
    EXPECT_EQ(spy.first().first().toUInt(), 1u);
    hotKeys.unregisterHotKey(result.ref);
}

namespace {

// A keyboard-mapping change, and whether it must make the hot key be looked up again: Tavlen types text
// by lending spare keys Unicode symbols, a change per character, and none of that may cost a lookup.
struct MappingRow {
    const char *name;
    // xmodmap expressions, one call each; none: Tavlen types text on spare keys (and puts them back).
    QStringList expressions;
    bool looksUp;
};

class MappingChanges : public ::testing::TestWithParam<MappingRow> {};

TEST_P(MappingChanges, LookUpTheHotKeyOnlyWhenItsKeyOrTheModifiersChanged)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxHotKeys hotKeys;
    ASSERT_TRUE(hotKeys.isAvailable());
    const auto result = hotKeys.registerHotKey(1, keyOne, superShift, HotKeys::Target::Application, true);
    ASSERT_EQ(result.status, HotKeys::Status::Ok);
    QSignalSpy spy(&hotKeys, &HotKeys::pressed);
    // The first synthetic key also makes the server announce a new keyboard, which is looked up.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(spy.count() == 1, 3000);
    QCoreApplication::processEvents();
    const int changes = hotKeys.mappingChanges();
    const int lookups = hotKeys.mappingLookups();

    const MappingRow row = GetParam();
    int expectedChanges = int(row.expressions.size());
    SimClock clock;
    XcbSession x11;
    LinuxKeyboardOutput keyboard(clock, x11);
    if (row.expressions.isEmpty()) {
    const QString text = QString::fromUtf8("ąę€→łż");
        ASSERT_TRUE(keyboard.typeText(text, 0));
        TAVLEN_WAIT_UNTIL(hotKeys.mappingChanges() >= changes + text.size(), 3000);
        // The spare keys are cleared once typing has been idle a while.
        clock.advance(LinuxKeyboardOutput::restoreDelaySeconds);
        expectedChanges = 2 * int(text.size());
    }
    for (const QString &expression : row.expressions)
        ASSERT_TRUE(xmodmap(expression)) << expression.toStdString();
    TAVLEN_WAIT_UNTIL(hotKeys.mappingChanges() >= changes + expectedChanges, 3000);
    // The look that follows a change runs at the next turn of the event loop.
    QCoreApplication::processEvents();
    if (row.looksUp)
        TAVLEN_WAIT_UNTIL(hotKeys.mappingLookups() > lookups, 3000);
    else
        EXPECT_EQ(hotKeys.mappingLookups(), lookups);

    // Wherever it was looked up, the hot key still works.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(spy.count() == 2, 3000);
    hotKeys.unregisterHotKey(result.ref);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, MappingChanges,
    ::testing::Values(MappingRow{"TavlensOwnTyping", {}, false},
                      MappingRow{"AnotherKey", {"keycode 38 = q Q", "keycode 38 = a A"}, false},
                      MappingRow{"ItsOwnKey", {"keycode 10 = 1 exclam"}, true},
                      MappingRow{"ModifierMap", {"add mod3 = Scroll_Lock", "remove mod3 = Scroll_Lock"}, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
