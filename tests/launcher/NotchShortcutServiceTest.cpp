// Super+Shift+1 shows the launcher under the pointer on a later turn of the event loop, and stops
// doing anything once stopped or gone.
#include "launcher/HotkeyHelper.h"
#include "launcher/NotchShortcutLauncher.h"
#include "launcher/NotchShortcutService.h"
#include "platform/sim/SimPlatform.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

struct RecordingLauncher : NotchShortcutLauncher {
    QStringList calls;
    QList<QPointF> points;
    void prepareDesktopSwitchMonitor() override { calls.append(QStringLiteral("prepare")); }
    void showClipboardLauncher(QPointF point) override
    {
        calls.append(QStringLiteral("show"));
        points.append(point);
    }
};

constexpr Qt::KeyboardModifiers superShift = Qt::MetaModifier | Qt::ShiftModifier;

TEST(NotchShortcutService, PressShowsTheLauncherUnderThePointerLater)
{
    SimPlatform sim;
    RecordingLauncher launcher;
    NotchShortcutService service(launcher, sim.screens);
    ASSERT_TRUE(service.registerClipboardHotKey(sim.hotKeys, sim.clock));
    ASSERT_EQ(sim.hotKeys.registrations().size(), 1);
    EXPECT_EQ(sim.hotKeys.registrations().first().id, 1u);
    EXPECT_EQ(sim.hotKeys.registrations().first().keysym, 0x31u);
    EXPECT_EQ(sim.hotKeys.registrations().first().modifiers, superShift);

    sim.screens.setPointerLocation(QPointF(2000, 981));
    sim.hotKeys.press(0x31, superShift);
    EXPECT_TRUE(launcher.calls.isEmpty()) << "not inside the key handler";
    QCoreApplication::processEvents();
    EXPECT_EQ(launcher.calls, (QStringList{QStringLiteral("prepare"), QStringLiteral("show")}));
    EXPECT_EQ(launcher.points, QList<QPointF>{QPointF(2000, 981)});

    // A second press shows again (the launcher keeps an open panel open).
    sim.hotKeys.press(0x31, superShift);
    QCoreApplication::processEvents();
    EXPECT_EQ(launcher.calls.size(), 4);
}

TEST(NotchShortcutService, RefusedKeyIsKeptButDoesNothing)
{
    SimPlatform sim;
    RecordingLauncher launcher;
    NotchShortcutService service(launcher, sim.screens);
    sim.hotKeys.holdElsewhere(0x31, superShift);
    EXPECT_FALSE(service.registerClipboardHotKey(sim.hotKeys, sim.clock));
    ASSERT_NE(service.clipboardHotKey(), nullptr);
    EXPECT_EQ(service.clipboardHotKey()->hotKeyRef(), 0u);
    EXPECT_DOUBLE_EQ(sim.clock.totalBlocked(), 0.1);
}

TEST(NotchShortcutService, StopUnregistersAndPendingPressesDieWithTheService)
{
    SimPlatform sim;
    RecordingLauncher launcher;
    {
        NotchShortcutService service(launcher, sim.screens);
        ASSERT_TRUE(service.registerClipboardHotKey(sim.hotKeys, sim.clock));
        service.stop();
        EXPECT_EQ(service.clipboardHotKey(), nullptr);
        EXPECT_TRUE(sim.hotKeys.registrations().isEmpty());
        EXPECT_EQ(HotkeyHelper::helper(1), nullptr);
        service.stop(); // twice is harmless
    }
    {
        auto service = std::make_unique<NotchShortcutService>(launcher, sim.screens);
        service->handleHotKey();
        service.reset();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(launcher.calls.isEmpty());
}

} // namespace
