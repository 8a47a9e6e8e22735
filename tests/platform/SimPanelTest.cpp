// The simulated panel is what every window test asserts against, so its bookkeeping must be right:
// animations on the simulated clock, completions, stacking and key status.
#include "platform/sim/SimClock.h"
#include "platform/sim/SimPanelFactory.h"

#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SimPanelTest : ::testing::Test {
    SimClock clock;
    SimPanelFactory factory{clock};
};

TEST_F(SimPanelTest, NewPanelIsOrderedOutOpaqueAndEmpty)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->opacity(), 1.0);
    EXPECT_EQ(panel->level(), PanelLevel::Normal);
    EXPECT_TRUE(panel->acceptsKeyboardFocus());
    EXPECT_EQ(panel->frame(), QRectF());
    EXPECT_EQ(panel->contentWidget(), nullptr);
    EXPECT_EQ(panel->kind(), PanelKind::Launcher);
}

TEST_F(SimPanelTest, AnimationFollowsTheCurveAndCompletesAfterItsDuration)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->setFrame(QRectF(0, 0, 100, 30));
    int completions = 0;
    panel->animateFrame(QRectF(0, 0, 200, 30), 0.24, AnimationTiming::EaseInEaseOut, [&] { ++completions; });
    EXPECT_TRUE(panel->isAnimatingFrame());
    clock.advance(0.12);
    // Half the time of a symmetric curve is half the way.
    EXPECT_NEAR(panel->frame().width(), 150.0, 1e-6);
    EXPECT_EQ(completions, 0);
    clock.advance(0.119);
    EXPECT_EQ(completions, 0);
    clock.advance(0.001);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(panel->isAnimatingFrame());
    EXPECT_EQ(panel->frame(), QRectF(0, 0, 200, 30));
}

TEST_F(SimPanelTest, SupersededAnimationStopsWhereItIsAndCompletesLaterNotInsideTheCall)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->setFrame(QRectF(0, 0, 100, 100));
    QStringList events;
    panel->animateFrame(QRectF(0, 0, 200, 100), 0.2, AnimationTiming::Linear, [&] { events << "first"; });
    clock.advance(0.1);
    panel->animateFrame(QRectF(0, 0, 50, 100), 0.1, AnimationTiming::Linear, [&] { events << "second"; });
    EXPECT_TRUE(events.isEmpty());
    EXPECT_NEAR(panel->frame().width(), 150.0, 1e-6);
    clock.runDue();
    EXPECT_EQ(events, QStringList{"first"});
    clock.advance(0.1);
    EXPECT_EQ(events, (QStringList{"first", "second"}));
    EXPECT_EQ(panel->frame().width(), 50.0);
    // The first animation's own end passes without a second call.
    clock.advance(1);
    EXPECT_EQ(events.size(), 2);
}

TEST_F(SimPanelTest, SetFrameDuringAnimationWinsAndStillCompletesTheAnimation)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    int completions = 0;
    panel->animateFrame(QRectF(10, 10, 10, 10), 0.24, AnimationTiming::EaseOut, [&] { ++completions; });
    panel->setFrame(QRectF(1, 2, 3, 4));
    clock.advance(0.5);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(panel->frame(), QRectF(1, 2, 3, 4));
}

TEST_F(SimPanelTest, StackingHonoursLevelsAndOrderOut)
{
    auto low = factory.createPanel(PanelKind::Floating);
    auto high = factory.createPanel(PanelKind::Launcher);
    high->setLevel(PanelLevel::Launcher);
    high->showWithoutActivating();
    low->showWithoutActivating();
    auto *simHigh = static_cast<SimPanel *>(high.get());
    auto *simLow = static_cast<SimPanel *>(low.get());
    EXPECT_EQ(factory.orderedPanels(), (QList<SimPanel *>{simHigh, simLow}));
    high->hide();
    EXPECT_EQ(factory.orderedPanels(), QList<SimPanel *>{simLow});
    EXPECT_FALSE(high->isVisible());
}

TEST_F(SimPanelTest, KeyStatusNeedsFocusAcceptanceAndMovesBetweenPanels)
{
    auto a = factory.createPanel(PanelKind::Launcher);
    auto b = factory.createPanel(PanelKind::Launcher);
    a->setAcceptsKeyboardFocus(false);
    a->takeKeyboard();
    EXPECT_FALSE(a->hasKeyboard());
    a->setAcceptsKeyboardFocus(true);
    int lost = 0;
    QObject::connect(a.get(), &Panel::lostKeyboard, [&] { ++lost; });
    a->takeKeyboard();
    EXPECT_TRUE(a->hasKeyboard());
    b->takeKeyboard();
    EXPECT_FALSE(a->hasKeyboard());
    EXPECT_TRUE(b->hasKeyboard());
    EXPECT_EQ(lost, 1);
    // Hiding the panel with the keyboard gives the keyboard up.
    b->showWithoutActivating();
    b->hide();
    EXPECT_EQ(factory.panelWithKeyboard(), nullptr);
}

struct KeyboardReturnRow {
    const char *name;
    std::function<void(Panel &)> stop;
    bool returns; // the keyboard goes back to the other application
};

TEST_F(SimPanelTest, AKeyPanelThatStopsTakingTheKeyboardGivesItBack)
{
    const KeyboardReturnRow rows[] = {
        {"stops accepting focus", [](Panel &p) { p.setAcceptsKeyboardFocus(false); }, true},
        {"hidden", [](Panel &p) { p.hide(); }, true},
        {"made transparent", [](Panel &p) { p.setOpacity(0); }, true},
        {"closed", [](Panel &p) { p.close(); }, true},
        {"dimmed but shown", [](Panel &p) { p.setOpacity(0.5); }, false},
        {"accepting focus again", [](Panel &p) { p.setAcceptsKeyboardFocus(true); }, false},
        {"shown again", [](Panel &p) { p.showWithoutActivating(); }, false},
    };
    for (const KeyboardReturnRow &row : rows) {
        SCOPED_TRACE(row.name);
        SimPanelFactory desktop(clock);
        auto panel = desktop.createPanel(PanelKind::Launcher);
        panel->showWithoutActivating();
        panel->takeKeyboard();
        ASSERT_TRUE(panel->hasKeyboard());
        row.stop(*panel);
        EXPECT_EQ(desktop.keyboardReturnCount(), row.returns ? 1 : 0);
        EXPECT_EQ(panel->hasKeyboard(), !row.returns);
    }
}

TEST_F(SimPanelTest, TheKeyboardGoesBackAlongTheChainOfPanelsThatTookIt)
{
    auto launcher = factory.createPanel(PanelKind::Launcher);
    auto preview = factory.createPanel(PanelKind::Floating);
    launcher->showWithoutActivating();
    preview->showWithoutActivating();
    launcher->takeKeyboard();
    preview->takeKeyboard();
    // The preview closes: the launcher it took the keyboard from gets it back.
    preview->close();
    EXPECT_TRUE(launcher->hasKeyboard());
    EXPECT_EQ(factory.keyboardReturnCount(), 0);
    launcher->setAcceptsKeyboardFocus(false);
    EXPECT_EQ(factory.panelWithKeyboard(), nullptr);
    EXPECT_EQ(factory.keyboardReturnCount(), 1);

    // A panel that can no longer take it is skipped: the other application gets it.
    launcher->setAcceptsKeyboardFocus(true);
    auto details = factory.createPanel(PanelKind::Floating);
    details->showWithoutActivating();
    launcher->takeKeyboard();
    details->takeKeyboard();
    launcher->hide();
    details->hide();
    EXPECT_EQ(factory.panelWithKeyboard(), nullptr);
    EXPECT_EQ(factory.keyboardReturnCount(), 2);

    // The desktop taking the keyboard away is no return of ours.
    details->showWithoutActivating();
    details->takeKeyboard();
    factory.activateOtherApplication();
    details->hide();
    EXPECT_EQ(factory.keyboardReturnCount(), 2);
}

TEST_F(SimPanelTest, FocusTargetIsAContentWidgetThePanelOrNothing)
{
    auto panel = factory.createPanel(PanelKind::Floating);
    auto *content = new QWidget;
    auto *field = new QLineEdit(content);
    panel->setContentWidget(content);
    EXPECT_FALSE(panel->hasFocusTarget());
    EXPECT_TRUE(panel->setFocusedWidget(field));
    EXPECT_EQ(panel->focusedWidget(), field);
    EXPECT_TRUE(panel->setFocusedWidget(nullptr));
    EXPECT_TRUE(panel->hasFocusTarget());
    EXPECT_EQ(panel->focusedWidget(), nullptr);
    QLineEdit stranger;
    EXPECT_FALSE(panel->setFocusedWidget(&stranger));
}

TEST_F(SimPanelTest, ReplacingContentFreesThePreviousWidget)
{
    auto panel = factory.createPanel(PanelKind::Floating);
    QPointer<QWidget> first = new QWidget;
    panel->setContentWidget(first);
    panel->setFrame(QRectF(0, 0, 120, 40));
    EXPECT_EQ(first->size(), QSize(120, 40));
    panel->setContentWidget(new QWidget);
    EXPECT_TRUE(first.isNull());
}

TEST_F(SimPanelTest, CloseIsFinalAndAnnouncedOnce)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    int willClose = 0;
    QObject::connect(panel.get(), &Panel::willClose, [&] { ++willClose; });
    panel->showWithoutActivating();
    panel->close();
    panel->close();
    EXPECT_EQ(willClose, 1);
    EXPECT_TRUE(panel->isClosed());
    panel->showWithoutActivating();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(SimPanelTest, DestroyedPanelsLeaveTheFactoryLists)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    panel->showWithoutActivating();
    panel.reset();
    EXPECT_TRUE(factory.panels().isEmpty());
    EXPECT_TRUE(factory.orderedPanels().isEmpty());
    EXPECT_EQ(factory.createdCount(), 1);
}

TEST_F(SimPanelTest, AnimationOfADestroyedPanelNeverCompletes)
{
    auto panel = factory.createPanel(PanelKind::Launcher);
    int completions = 0;
    panel->animateFrame(QRectF(0, 0, 5, 5), 0.1, AnimationTiming::Linear, [&] { ++completions; });
    panel.reset();
    clock.advance(1);
    EXPECT_EQ(completions, 0);
}

} // namespace
