#include "platform/EventMonitorRegistry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = EventMonitorRegistry::Kind;

MouseDownEvent mouseDown(MouseButton button)
{
    MouseDownEvent event;
    event.button = button;
    return event;
}

// Backends keep their own state (the X11 event selection) in step with the global monitors.
TEST(EventMonitorRegistryTest, RefusedMonitorsAreNotKeptAndOnlyGlobalChangesAreReported)
{
    bool admitGlobal = true;
    QStringList asked;
    int globalChanges = 0;
    EventMonitorRegistry registry(
        [&](bool global) {
            asked << (global ? "global" : "local");
            return !global || admitGlobal;
        },
        [&] { ++globalChanges; });

    const auto local = registry.addLocalKeyDown([](const KeyDownEvent &) { return EventDisposition::Pass; });
    ASSERT_TRUE(local);
    EXPECT_EQ(globalChanges, 0);
    const auto global = registry.addGlobalScroll([](const ScrollEvent &) {});
    ASSERT_TRUE(global);
    EXPECT_EQ(globalChanges, 1);

    admitGlobal = false;
    EXPECT_FALSE(registry.addGlobalMouseDown(MouseButtonMask::Any, [](const MouseDownEvent &) {}));
    EXPECT_EQ(globalChanges, 1);
    EXPECT_EQ(asked, (QStringList{"local", "global", "global"}));
    EXPECT_EQ(registry.count(), 2);

    registry.remove(*local);
    EXPECT_EQ(globalChanges, 1);
    registry.remove(*global);
    EXPECT_EQ(globalChanges, 2);
    registry.remove(*global); // already gone: nothing changed
    registry.remove(999);
    EXPECT_EQ(globalChanges, 2);
    EXPECT_EQ(registry.count(), 0);
}

TEST(EventMonitorRegistryTest, EachMonitorSeesOnlyItsKindAndScope)
{
    EventMonitorRegistry registry;
    QStringList seen;
    registry.addLocalMouseDown(MouseButtonMask::Any, [&](const MouseDownEvent &) {
        seen << "local mouse";
        return EventDisposition::Pass;
    });
    registry.addGlobalMouseDown(MouseButtonMask::Any, [&](const MouseDownEvent &) { seen << "global mouse"; });
    registry.addLocalKeyDown([&](const KeyDownEvent &) {
        seen << "local key";
        return EventDisposition::Pass;
    });
    registry.addGlobalKeyDown([&](const KeyDownEvent &) { seen << "global key"; });
    registry.addLocalScroll([&](const ScrollEvent &) {
        seen << "local scroll";
        return EventDisposition::Pass;
    });
    registry.addGlobalScroll([&](const ScrollEvent &) { seen << "global scroll"; });

    registry.dispatchLocal(mouseDown(MouseButton::Left));
    registry.dispatchGlobal(mouseDown(MouseButton::Left));
    registry.dispatchLocal(KeyDownEvent{});
    registry.dispatchGlobal(KeyDownEvent{});
    registry.dispatchLocal(ScrollEvent{});
    registry.dispatchGlobal(ScrollEvent{});
    EXPECT_EQ(seen, (QStringList{"local mouse", "global mouse", "local key", "global key", "local scroll",
                                 "global scroll"}));

    for (Kind kind : {Kind::MouseDown, Kind::KeyDown, Kind::Scroll}) {
        EXPECT_EQ(registry.count(kind, false), 1);
        EXPECT_EQ(registry.count(kind, true), 1);
    }
}

TEST(EventMonitorRegistryTest, ConsumingStopsLaterLocalMonitorsOnly)
{
    EventMonitorRegistry registry;
    QStringList seen;
    registry.addLocalScroll([&](const ScrollEvent &) {
        seen << "first";
        return EventDisposition::Consume;
    });
    registry.addLocalScroll([&](const ScrollEvent &) {
        seen << "second";
        return EventDisposition::Pass;
    });
    registry.addGlobalScroll([&](const ScrollEvent &) { seen << "global one"; });
    registry.addGlobalScroll([&](const ScrollEvent &) { seen << "global two"; });

    EXPECT_EQ(registry.dispatchLocal(ScrollEvent{}), EventDisposition::Consume);
    EXPECT_EQ(seen, QStringList{"first"});
    seen.clear();
    registry.dispatchGlobal(ScrollEvent{});
    EXPECT_EQ(seen, (QStringList{"global one", "global two"}));
}

TEST(EventMonitorRegistryTest, MouseMonitorsMissButtonsTheyDidNotAskFor)
{
    EventMonitorRegistry registry;
    int right = 0;
    registry.addLocalMouseDown(MouseButtonMask::Right, [&](const MouseDownEvent &) {
        ++right;
        return EventDisposition::Consume;
    });
    EXPECT_EQ(registry.dispatchLocal(mouseDown(MouseButton::Left)), EventDisposition::Pass);
    EXPECT_EQ(registry.dispatchLocal(mouseDown(MouseButton::Other)), EventDisposition::Pass);
    EXPECT_EQ(registry.dispatchLocal(mouseDown(MouseButton::Right)), EventDisposition::Consume);
    EXPECT_EQ(right, 1);
}

// A handler that removes its own monitor keeps running on what it captured.
TEST(EventMonitorRegistryTest, AHandlerOutlivesTheRemovalOfItsOwnMonitor)
{
    EventMonitorRegistry registry;
    std::optional<MonitorToken> token;
    std::string seen;
    const std::string name(64, 'x'); // on the heap, so a freed handler shows under the sanitizer
    token = registry.addGlobalKeyDown([&registry, &token, &seen, name](const KeyDownEvent &) {
        registry.remove(*token);
        seen = name;
    });
    registry.dispatchGlobal(KeyDownEvent{});
    EXPECT_EQ(seen, name);
    EXPECT_EQ(registry.count(), 0);
}

TEST(EventMonitorRegistryTest, MonitorsAddedDuringDispatchWaitForTheNextEvent)
{
    EventMonitorRegistry registry;
    int added = 0;
    registry.addLocalKeyDown([&](const KeyDownEvent &) {
        registry.addLocalKeyDown([&](const KeyDownEvent &) {
            ++added;
            return EventDisposition::Pass;
        });
        return EventDisposition::Pass;
    });
    registry.dispatchLocal(KeyDownEvent{});
    EXPECT_EQ(added, 0);
    registry.dispatchLocal(KeyDownEvent{});
    EXPECT_EQ(added, 1);
}

} // namespace
