// Local monitors of the X11 backend see our own windows' input before any widget, with the positional key
// codes and the panel the event belongs to (run on the offscreen platform: no display needed).
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/LinuxPanel.h"
#include "platform/linux/VirtualKeyCodes.h"

#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

TEST(LinuxLocalMonitorsTest, KeysReachMonitorsFirstWithVirtualCodesAndCanBeConsumed)
{
    LinuxPanel panel(PanelKind::Floating);
    auto *content = new QLineEdit;
    panel.setContentWidget(content);
    panel.setFrame(QRectF(0, 0, 200, 40));
    panel.showWithoutActivating();
    QWindow *window = panel.window()->windowHandle();
    ASSERT_NE(window, nullptr);
    panel.setFocusedWidget(content);

    LinuxEventMonitors monitors;
    QList<KeyDownEvent> seen;
    ASSERT_TRUE(monitors.addLocalKeyDownMonitor([&](const KeyDownEvent &e) {
        seen << e;
        return e.keyCode == KeyCode::Escape ? EventDisposition::Consume : EventDisposition::Pass;
    }));
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
    // The Shift key itself is no key-down.
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0].keyCode, KeyCode::Escape);
    EXPECT_EQ(seen[0].window, &panel);
    EXPECT_EQ(seen[1].keyCode, KeyCode::A);
    EXPECT_EQ(seen[1].characters.toLower(), "a");
    EXPECT_EQ(seen[1].charactersIgnoringModifiers, "a");
    EXPECT_TRUE(seen[1].modifierFlags & ModifierFlag::Shift);
    EXPECT_EQ(seen[2].keyCode, KeyCode::KeypadEnter);
    // The consumed Escape never reached the field; the letter did.
    EXPECT_EQ(content->text().toLower(), "a");
}

TEST(LinuxLocalMonitorsTest, ClicksCountAndLandInTheirPanelInGlobalPoints)
{
    LinuxPanel panel(PanelKind::Launcher);
    panel.setContentWidget(new QWidget);
    panel.setFrame(QRectF(100, 500, 300, 100));
    panel.showWithoutActivating();
    QWindow *window = panel.window()->windowHandle();
    ASSERT_NE(window, nullptr);

    LinuxEventMonitors monitors;
    QList<MouseDownEvent> seen;
    ASSERT_TRUE(monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &e) {
        seen << e;
        return EventDisposition::Pass;
    }));
    // A double click: press, release and press at one instant (QTest spaces separate clicks apart).
    QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(10, 20));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].window, &panel);
    EXPECT_EQ(seen[1].clickCount, 2);
    // The panel's top-left pixel row in the y-up space is 600 - 1; 20 rows below it, x 10 to the right.
    EXPECT_EQ(seen[0].location, QPointF(110, 600 - 20 - 1));
}

TEST(LinuxLocalMonitorsTest, X11KeycodesMapToPositionalCodes)
{
    const struct {
        unsigned x11;
        int code;
    } rows[] = {{9, KeyCode::Escape}, {36, KeyCode::Return}, {104, KeyCode::KeypadEnter}, {65, KeyCode::Space},
                {111, KeyCode::UpArrow}, {116, KeyCode::DownArrow}, {10, KeyCode::One}, {38, KeyCode::A},
                {55, KeyCode::V}, {200, KeyCode::Unknown}};
    for (const auto &row : rows)
        EXPECT_EQ(virtualKeyCodeFromX11(row.x11), row.code) << row.x11;
}

TEST(LinuxLocalMonitorsTest, PanelFrameRoundTripsThroughTheDesktopsPixels)
{
    LinuxPanel panel(PanelKind::Launcher);
    panel.setFrame(QRectF(100, 500, 300, 100));
    const QRect topDown = panel.window()->geometry();
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(topDown, QRect(100, primary.height() - 600, 300, 100));
    EXPECT_EQ(panel.frame(), QRectF(100, 500, 300, 100));
}

} // namespace
