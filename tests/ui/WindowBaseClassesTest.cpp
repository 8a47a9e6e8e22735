#include "ui/BaseWindow.h"
#include "ui/CustomWindow.h"
#include "ui/WindowCenteringView.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimPanelFactory.h"
#include "platform/sim/SimScreens.h"

#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

struct WindowBaseClassesTest : ::testing::Test {
    SimClock clock;
    SimPanelFactory panels{clock};
};

TEST_F(WindowBaseClassesTest, CustomWindowWithoutKeyboardFocusNeverTakesTheKeyboardButAcceptsFocus)
{
    CustomWindow window(panels, PanelKind::Launcher);
    EXPECT_TRUE(window.allowsKeyboardFocus());
    window.setAllowsKeyboardFocus(false);
    EXPECT_FALSE(window.canTakeKeyboard());
    EXPECT_TRUE(window.acceptsFocus());
    EXPECT_FALSE(window.panel().acceptsKeyboardFocus());
    window.panel().showWithoutActivating();
    window.takeKeyboard();
    EXPECT_FALSE(window.hasKeyboard());
}

TEST_F(WindowBaseClassesTest, TakeKeyboardFocusesThePanelOnlyWhenNothingHasFocus)
{
    CustomWindow window(panels, PanelKind::Floating);
    auto *content = new QWidget;
    auto *field = new QLineEdit(content);
    window.panel().setContentWidget(content);

    window.takeKeyboard();
    EXPECT_TRUE(window.hasKeyboard());
    EXPECT_TRUE(window.panel().hasFocusTarget());
    EXPECT_EQ(window.panel().focusedWidget(), nullptr);

    window.panel().setFocusedWidget(field);
    window.takeKeyboard();
    EXPECT_EQ(window.panel().focusedWidget(), field);
}

TEST_F(WindowBaseClassesTest, AllowsKeyboardFocusFollowsTheOwnerAtAnyMoment)
{
    CustomWindow window(panels, PanelKind::Launcher);
    window.setAllowsKeyboardFocus(false);
    window.setAllowsKeyboardFocus(true);
    window.takeKeyboard();
    EXPECT_TRUE(window.hasKeyboard());
}

class RecordingWindow : public BaseWindow {
public:
    using BaseWindow::BaseWindow;
    QStringList calls;

protected:
    void windowTookKeyboard() override { calls << "took"; }
    void windowLostKeyboard() override { calls << "lost"; }
    void windowWillClose() override { calls << "close"; }
};

TEST_F(WindowBaseClassesTest, BaseWindowStartsWithSpotlightStyleAndNoHost)
{
    BaseWindow controller(std::make_unique<CustomWindow>(panels, PanelKind::Floating));
    EXPECT_EQ(controller.host(), nullptr);
    EXPECT_EQ(controller.animationStyle(), WindowAnimationStyle::spotlight);
    EXPECT_NE(controller.window(), nullptr);
}

TEST_F(WindowBaseClassesTest, InstallingHostingContentReplacesTheHostAndBecomesTheDelegateOnce)
{
    RecordingWindow controller(std::make_unique<CustomWindow>(panels, PanelKind::Floating));
    QPointer<QWidget> first;
    controller.installHostingContent([&] { return first = new QWidget; });
    EXPECT_EQ(controller.host(), first.data());
    EXPECT_EQ(controller.window()->panel().contentWidget(), first.data());

    controller.installHostingContent([] { return new QWidget; });
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(controller.window()->panel().contentWidget(), controller.host());

    Panel &panel = controller.window()->panel();
    panel.showWithoutActivating();
    panel.takeKeyboard();
    panel.close();
    // Installed twice, yet each notification arrives once.
    EXPECT_EQ(controller.calls, (QStringList{"took", "close", "lost"}));
}

TEST_F(WindowBaseClassesTest, ControllerWithoutWindowKeepsAndFreesItsHost)
{
    QPointer<QWidget> host;
    {
        BaseWindow controller(nullptr);
        controller.installHostingContent([&] { return host = new QWidget; });
        EXPECT_EQ(controller.host(), host.data());
        QPointer<QWidget> previous = host;
        controller.installHostingContent([&] { return host = new QWidget; });
        EXPECT_TRUE(previous.isNull());
    }
    EXPECT_TRUE(host.isNull());
}

// Screens: 1512x982 at the origin (available geometry below a 33-point band) and 1920x1080 to its right.
struct CenteringTest : WindowBaseClassesTest {
    SimScreens screens;
    CenteringTest()
    {
        ScreenInfo left;
        left.number = 1;
        left.frame = QRectF(0, 0, 1512, 982);
        left.availableGeometry = QRectF(0, 0, 1512, 949);
        ScreenInfo right;
        right.number = 2;
        right.frame = QRectF(1512, -98, 1920, 1080);
        right.availableGeometry = QRectF(1512, -98, 1920, 1050);
        screens.setScreens({left, right});
    }
};

TEST_F(CenteringTest, CentresOnTheScreenUnderThePointerFirstTimeAndAfterEachClose)
{
    CustomWindow window(panels, PanelKind::Floating);
    Panel &panel = window.panel();
    panel.setFrame(QRectF(0, 0, 400, 300));
    WindowCenteringView centering(screens, clock);
    screens.setPointerLocation({2000, 100});
    centering.setWindow(&panel);
    EXPECT_TRUE(centering.needsCentering());
    clock.runDue(); // the initial yield
    EXPECT_EQ(panel.frame(), QRectF(1512 + 960 - 200, -98 + 525 - 150, 400, 300));
    EXPECT_FALSE(centering.needsCentering());

    // Becoming key again does not move it.
    screens.setPointerLocation({100, 100});
    panel.showWithoutActivating();
    panel.takeKeyboard();
    EXPECT_EQ(panel.frame().x(), 1512 + 960 - 200);

    panel.close();
    EXPECT_TRUE(centering.needsCentering());
    Q_EMIT panel.tookKeyboard();
    EXPECT_EQ(panel.frame(), QRectF(756 - 200, 474.5 - 150, 400, 300));
}

TEST_F(CenteringTest, PointerOffEveryScreenUsesTheWindowsOwnScreen)
{
    CustomWindow window(panels, PanelKind::Floating);
    Panel &panel = window.panel();
    panel.setFrame(QRectF(3000, 0, 200, 100));
    WindowCenteringView centering(screens, clock);
    screens.setPointerLocation({-500, -500});
    centering.setWindow(&panel);
    clock.runDue();
    EXPECT_EQ(panel.frame(), QRectF(2472 - 100, 427 - 50, 200, 100));
}

TEST_F(CenteringTest, MovingIntoTheSameWindowChangesNothingAndAGoneWindowIsLeftAlone)
{
    WindowCenteringView centering(screens, clock);
    {
        CustomWindow window(panels, PanelKind::Floating);
        centering.setWindow(&window.panel());
        centering.setWindow(&window.panel());
        EXPECT_EQ(centering.observedWindow(), &window.panel());
    }
    clock.runDue(); // the window died before the yield ended
    EXPECT_EQ(centering.observedWindow(), nullptr);
}

} // namespace
