// Local monitors of the X11 backend see our own windows' input before any widget, with Qt keys and
// modifiers and the panel the event belongs to (run on the offscreen platform: no display needed).
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/LinuxPanel.h"
#include "platform/linux/QtKeysyms.h"

#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

TEST(LinuxLocalMonitorsTest, KeysReachMonitorsFirstAsQtKeysAndCanBeConsumed)
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
        return e.key == Qt::Key_Escape ? EventDisposition::Consume : EventDisposition::Pass;
    }));
    QTest::keyClick(window, Qt::Key_Escape);
    QTest::keyClick(window, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    // The Shift key itself is no key-down.
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0].key, Qt::Key_Escape);
    EXPECT_EQ(seen[0].window, &panel);
    EXPECT_EQ(seen[1].key, Qt::Key_A);
    EXPECT_EQ(seen[1].text.toLower(), "a");
    EXPECT_EQ(seen[1].unmodifiedText, "a");
    EXPECT_TRUE(seen[1].modifiers & Qt::ShiftModifier);
    EXPECT_EQ(seen[2].key, Qt::Key_Enter);
    EXPECT_EQ(seen[3].key, Qt::Key_Tab) << "Shift+Tab is the Tab key with Shift";
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

TEST(LinuxLocalMonitorsTest, KeysymsMapToQtKeysAndBack)
{
    const struct {
        quint32 keysym;
        Qt::Key key;
    } rows[] = {{0xff1b, Qt::Key_Escape}, {0xff0d, Qt::Key_Return}, {0xff8d, Qt::Key_Enter},
                {0x20, Qt::Key_Space},    {0xff52, Qt::Key_Up},     {0xff54, Qt::Key_Down},
                {0x31, Qt::Key_1},        {0x61, Qt::Key_A},        {0x76, Qt::Key_V},
                {0xff63, Qt::Key_Insert}, {0xffb1, Qt::Key_1},      {0x12345678, Qt::Key_unknown}};
    for (const auto &row : rows)
        EXPECT_EQ(qtKeyFromKeysym(row.keysym), row.key) << Qt::hex << row.keysym;
    // Posted chords press the unshifted symbol of their key.
    for (const Qt::Key key : {Qt::Key_V, Qt::Key_A, Qt::Key_Insert, Qt::Key_Return})
        EXPECT_EQ(qtKeyFromKeysym(keysymFromQtKey(key)), key) << key;
    EXPECT_EQ(keysymFromQtKey(Qt::Key_V), 0x76u);
    EXPECT_EQ(keysymFromQtKey(Qt::Key_unknown), 0u);
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
