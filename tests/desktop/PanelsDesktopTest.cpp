// Panels and event monitors on the two-monitor test desktop (1512x982 at 0,0 and 1920x1080 at 1512,0):
// exact placement of launcher panels, no focus taken from the focused application, and global clicks from
// another client (xdotool) reported with their place, click count and Super as the Meta modifier.
#include "DesktopTest.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/LinuxPanel.h"
#include "platform/linux/LinuxPanelFactory.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QWindow>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString xdotoolOutput(const QStringList &arguments)
{
    return QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"), arguments).standardOutput).trimmed();
}

QWidget *solidWidget(const QColor &color)
{
    auto *widget = new QWidget;
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    return widget;
}

// Counts the mouse releases a widget receives.
class ReleaseCounter : public QObject {
public:
    int releases = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease)
            ++releases;
        return QObject::eventFilter(watched, event);
    }
};

// A launcher panel hanging from the top edge of the second monitor, centred: in the y-up space that
// monitor spans y -98...982.
const QRectF secondMonitorNotch(1512 + 960 - 90, 982 - 32, 180, 32);

TEST(PanelsDesktopTest, LauncherPanelSitsExactlyAtItsFrameOnTheSecondMonitor)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPanelFactory factory;
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->setLevel(PanelLevel::Launcher);
    panel->setDesktopFlags(PanelDesktop::OnAllDesktops | PanelDesktop::SkipTaskbar);
    panel->setAcceptsKeyboardFocus(false);
    panel->setContentWidget(solidWidget(QColor(255, 0, 0)));
    panel->setFrame(secondMonitorNotch);
    panel->showWithoutActivating();
    auto *window = static_cast<LinuxPanel *>(panel.get())->window();
    TAVLEN_WAIT_UNTIL(window->isVisible() && window->windowHandle()->isExposed(), 3000);

    // Pixel (2382, 0) y-down is where the frame's top-left lies.
    const QColor red(255, 0, 0);
    const QImage shot = DesktopTest::screenshotWhen(QStringLiteral("launcher-panel-second-monitor"),
                                                    [&](const QImage &i) { return i.pixelColor(2382, 0) == red; });
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.pixelColor(2382, 0), red);
    EXPECT_EQ(shot.pixelColor(2382 + 179, 31), red);
    EXPECT_NE(shot.pixelColor(2381, 10), red);
    EXPECT_NE(shot.pixelColor(2382 + 180, 10), red);
    EXPECT_NE(shot.pixelColor(2400, 32), red);
    EXPECT_EQ(panel->frame(), secondMonitorNotch);

    // On every desktop.
    const QString desktop = QString::fromUtf8(
        DesktopTest::run(QStringLiteral("xprop"), {"-id", QString::number(window->winId()), "_NET_WM_DESKTOP"})
            .standardOutput);
    EXPECT_TRUE(desktop.contains(QStringLiteral("4294967295"))) << desktop.toStdString();

    // Hidden, it leaves the screen; at opacity 0 it is off the screen but still shown.
    panel->setOpacity(0);
    EXPECT_TRUE(panel->isVisible());
    TAVLEN_WAIT_UNTIL(!window->isVisible(), 2000);
    panel->setOpacity(1);
    TAVLEN_WAIT_UNTIL(window->isVisible(), 2000);
    panel->hide();
    EXPECT_FALSE(window->isVisible());
}

TEST(PanelsDesktopTest, ShowingNeverTakesTheFocusFromTheFocusedApplication)
{
    TAVLEN_REQUIRE_DESKTOP();
    DesktopTest::ChildProcess app(DesktopTest::helperPath(QStringLiteral("line_edit_app")));
    ASSERT_TRUE(app.waitForLine("ready", 10000)) << app.output().constData();
    QString active;
    TAVLEN_WAIT_UNTIL(!(active = xdotoolOutput({"getactivewindow"})).isEmpty(), 3000);
    const QString focused = xdotoolOutput({"getwindowfocus"});

    LinuxPanelFactory factory;
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->setAcceptsKeyboardFocus(false);
    panel->setContentWidget(solidWidget(Qt::black));
    panel->setFrame(secondMonitorNotch);
    panel->showWithoutActivating();
    auto *window = static_cast<LinuxPanel *>(panel.get())->window();
    TAVLEN_WAIT_UNTIL(window->isVisible() && window->windowHandle()->isExposed(), 3000);
    // A click on the panel does not take the keyboard either (checked once the panel has the click).
    ReleaseCounter clicks;
    window->installEventFilter(&clicks);
    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "2470", "10", "click", "1"}));
    TAVLEN_WAIT_UNTIL(clicks.releases == 1, 3000);
    EXPECT_EQ(xdotoolOutput({"getactivewindow"}), active);
    EXPECT_EQ(xdotoolOutput({"getwindowfocus"}), focused);
    EXPECT_FALSE(panel->hasKeyboard());
    EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);

    // Asked to, a panel that accepts focus does take the keyboard.
    panel->setAcceptsKeyboardFocus(true);
    panel->takeKeyboard();
    TAVLEN_WAIT_UNTIL(panel->hasKeyboard(), 3000);
    panel->hide();
}

TEST(PanelsDesktopTest, GlobalClicksCarryPlaceClickCountAndSuper)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxEventMonitors monitors;
    ASSERT_TRUE(monitors.isGlobalMonitoringAvailable()) << monitors.unavailableReason().toStdString();
    QList<MouseDownEvent> events;
    const auto token = monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left,
                                                          [&](const MouseDownEvent &e) { events << e; });
    ASSERT_TRUE(token);

    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "2000", "500"}));
    TAVLEN_WAIT_UNTIL(monitors.mouseLocation() == QPointF(2000, 481), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({"click", "1"}));
    TAVLEN_WAIT_UNTIL(events.size() == 1, 3000);
    // Pixel (2000, 500) y-down; its bottom-left corner in the y-up space.
    EXPECT_EQ(events[0].location, QPointF(2000, 982 - 500 - 1));
    EXPECT_EQ(events[0].clickCount, 1);
    EXPECT_EQ(events[0].button, MouseButton::Left);
    EXPECT_EQ(events[0].modifiers & Qt::MetaModifier, 0u);
    EXPECT_EQ(events[0].window, nullptr);
    EXPECT_EQ(monitors.mouseLocation(), QPointF(2000, 481));

    // A double click elsewhere (the move breaks any sequence), with Super held.
    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "300", "700"}));
    TAVLEN_WAIT_UNTIL(monitors.mouseLocation() == QPointF(300, 281), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({"keydown", "super", "click", "--repeat", "2", "--delay", "60", "1", "keyup", "super"}));
    TAVLEN_WAIT_UNTIL(events.size() == 3, 3000);
    EXPECT_EQ(events[1].clickCount, 1);
    EXPECT_EQ(events[2].clickCount, 2);
    EXPECT_EQ(events[2].location, QPointF(300, 982 - 700 - 1));
    EXPECT_TRUE(events[2].modifiers & Qt::MetaModifier);
    EXPECT_GT(events[2].timestamp, events[1].timestamp);
    EXPECT_LE(events[2].timestamp - events[1].timestamp, monitors.doubleClickInterval());

    // Removed, it hears nothing more; a monitor still installed hears the same click, so it has come.
    int heardByOther = 0;
    const auto other = monitors.addGlobalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &) {
        ++heardByOther;
    });
    ASSERT_TRUE(other);
    monitors.removeMonitor(*token);
    ASSERT_TRUE(DesktopTest::xdotool({"click", "1"}));
    TAVLEN_WAIT_UNTIL(heardByOther == 1, 3000);
    EXPECT_EQ(events.size(), 3);
    monitors.removeMonitor(*other);
}

TEST(PanelsDesktopTest, ClicksOnOurOwnPanelsAreLocalNotGlobal)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxEventMonitors monitors;
    QList<MouseDownEvent> global, local;
    ASSERT_TRUE(monitors.addGlobalMouseDownMonitor(MouseButtonMask::Any, [&](const MouseDownEvent &e) { global << e; }));
    ASSERT_TRUE(monitors.addLocalMouseDownMonitor(MouseButtonMask::Left, [&](const MouseDownEvent &e) {
        local << e;
        return EventDisposition::Pass;
    }));

    LinuxPanelFactory factory;
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->setAcceptsKeyboardFocus(false);
    panel->setContentWidget(solidWidget(Qt::black));
    panel->setFrame(QRectF(100, 982 - 200, 300, 200)); // y-down 0...200
    panel->showWithoutActivating();
    auto *window = static_cast<LinuxPanel *>(panel.get())->window();
    TAVLEN_WAIT_UNTIL(window->isVisible() && window->windowHandle()->isExposed(), 3000);
    // Drawn on the screen, so the pointer finds it there.
    ASSERT_FALSE(DesktopTest::screenshotWhen(QStringLiteral("panel-for-local-clicks"), [](const QImage &i) {
                     return i.pixelColor(250, 100) == QColor(Qt::black);
                 }).isNull());

    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "250", "100", "click", "1"}));
    TAVLEN_WAIT_UNTIL(local.size() == 1, 3000);
    EXPECT_EQ(local[0].window, panel.get());
    EXPECT_EQ(local[0].location, QPointF(250, 982 - 100 - 1));
    // A click outside it is global: once it has come, a global report of the first would have come before.
    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "700", "500", "click", "1"}));
    TAVLEN_WAIT_UNTIL(global.size() == 1, 3000);
    EXPECT_EQ(global[0].location, QPointF(700, 982 - 500 - 1));
    EXPECT_EQ(local.size(), 1);
    ASSERT_TRUE(DesktopTest::xdotool({"mousemove", "250", "100"}));
    TAVLEN_WAIT_UNTIL(monitors.mouseLocation() == QPointF(250, 982 - 100 - 1), 3000);

    // A panel that ignores the mouse lets the click through to whatever lies below: not ours any more.
    panel->setIgnoresMouseEvents(true);
    TAVLEN_WAIT_UNTIL(window->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({"click", "1"}));
    TAVLEN_WAIT_UNTIL(global.size() == 2, 3000);
    EXPECT_EQ(local.size(), 1);
    panel->hide();
}

} // namespace
