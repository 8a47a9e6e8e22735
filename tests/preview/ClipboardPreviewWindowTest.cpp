// The preview window on a simulated desktop: where it opens, closing and pasting exactly once, and the
// keys of its own key monitor.
#include "PreviewTestItems.h"

#include "platform/sim/SimPlatform.h"
#include "preview/ClipboardPreviewModel.h"
#include "preview/ClipboardPreviewWindow.h"
#include "preview/ClipboardPreviewWindowView.h"

#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace PreviewTestItems;

namespace {

class ClipboardPreviewWindowTest : public ::testing::Test {
protected:
    ClipboardPreviewWindowTest()
    {
        sim.screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1512, 982), 37),
                                SimScreens::makeScreen(2, QRectF(1512, 0, 1920, 1080), 25)});
        items = {text(QStringLiteral("first")), text(QStringLiteral("second")), text(QStringLiteral("third"))};
    }

    // A preview over `items` with `selected` selected; selection changes are recorded.
    QPointer<ClipboardPreviewWindow> open(int selected = 0)
    {
        auto model = std::make_unique<ClipboardPreviewModel>(
            items, items.at(selected).id(), [this](const ClipboardItem &item) { followed.append(item.text()); });
        auto *window = new ClipboardPreviewWindow(sim.platform(), nullptr, std::move(model));
        window->onClose = [this] { ++closes; };
        window->onPaste = [this](const ClipboardItem &item) { pasted.append(item.text()); };
        return window;
    }

    EventDisposition press(ClipboardPreviewWindow &window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        return sim.eventMonitors.sendLocalKeyDown(
            sim.eventMonitors.keyDown(key, {}, modifiers, &window.window()->panel()));
    }

    SimPlatform sim;
    QList<ClipboardItem> items;
    QStringList followed;
    QStringList pasted;
    int closes = 0;
};

TEST_F(ClipboardPreviewWindowTest, OpensCentredOnTheGivenScreenElseThePointersElseTheMainOne)
{
    const ScreenInfo left = sim.screens.screens().at(0);
    const ScreenInfo right = sim.screens.screens().at(1);
    struct Row {
        const char *what;
        std::optional<ScreenInfo> given;
        QPointF pointer;
        QRectF frame;
    };
    const Row rows[] = {
        // Visible frames: left 0,0 1512x945; right 1512,0 1920x1055.
        {"the given screen, wherever the pointer is", right, QPointF(100, 100), QRectF(1922, 148, 1100, 760)},
        {"no screen given: the pointer's", std::nullopt, QPointF(2000, 500), QRectF(1922, 148, 1100, 760)},
        {"the pointer on the left screen", std::nullopt, QPointF(10, 10), QRectF(206, 93, 1100, 760)},
        {"the pointer off every screen: the main one", std::nullopt, QPointF(-500, -500), QRectF(206, 93, 1100, 760)},
        {"the left screen given", left, QPointF(2000, 500), QRectF(206, 93, 1100, 760)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        sim.screens.setPointerLocation(row.pointer);
        QPointer<ClipboardPreviewWindow> window = open();
        window->show(row.given);
        Panel &panel = window->window()->panel();
        EXPECT_EQ(panel.frame(), row.frame);
        EXPECT_EQ(panel.level(), PanelLevel::Launcher);
        EXPECT_TRUE(panel.isVisible());
        EXPECT_TRUE(panel.hasKeyboard());
        delete window.data();
    }
}

TEST_F(ClipboardPreviewWindowTest, ASmallScreenGetsASmallerWindowThatStillFits)
{
    const ScreenInfo small = SimScreens::makeScreen(3, QRectF(0, 0, 1024, 600), 24);
    EXPECT_EQ(ClipboardPreviewWindow::frameOn(small), QRectF(24, 24, 976, 528));
    const ScreenInfo tiny = SimScreens::makeScreen(4, QRectF(0, 0, 40, 30), 0);
    const QRectF frame = ClipboardPreviewWindow::frameOn(tiny);
    EXPECT_GE(frame.width(), 1);
    EXPECT_GE(frame.height(), 1);
    EXPECT_TRUE(QRectF(tiny.frame).adjusted(-1, -1, 1, 1).contains(frame.center()));
}

TEST_F(ClipboardPreviewWindowTest, AnEndlessOneLineTitleStaysInsideTheScreen)
{
    items = {text(QString(5'000'000, QLatin1Char('w')))};
    QPointer<ClipboardPreviewWindow> window = open();
    window->show(sim.screens.screens().at(0));
    QWidget *content = window->view();
    ASSERT_NE(content, nullptr);
    content->adjustSize();
    EXPECT_LE(content->minimumSizeHint().width(), 1100);
    EXPECT_LE(content->sizeHint().width(), 1100);
    EXPECT_TRUE(sim.screens.screens().at(0).availableGeometry.contains(window->window()->panel().frame()));
    delete window.data();
}

TEST_F(ClipboardPreviewWindowTest, ClosingHappensOnceHoweverOftenItIsAsked)
{
    QPointer<ClipboardPreviewWindow> window = open();
    window->show(std::nullopt);
    Panel *panel = &window->window()->panel();
    QSignalSpy willClose(panel, &Panel::willClose);
    window->close();
    EXPECT_TRUE(window->isClosing());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(panel->isClosed());
    window->close();
    window->pasteSelection();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(willClose.count(), 1);
    EXPECT_TRUE(pasted.isEmpty()) << "nothing is pasted from a preview that is going away";
    // The closed window frees itself on the main loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ClipboardPreviewWindowTest, PastingClosesFirstThenHandsOverTheSelectedItemOnce)
{
    QPointer<ClipboardPreviewWindow> window = open(1);
    window->show(std::nullopt);
    QStringList order;
    window->onClose = [&] { order << QStringLiteral("close"); };
    window->onPaste = [&](const ClipboardItem &item) { order << QStringLiteral("paste ") + item.text(); };
    window->pasteSelection();
    window->pasteSelection();
    window->close();
    EXPECT_EQ(order, QStringList({"close", "paste second"}));
}

TEST_F(ClipboardPreviewWindowTest, TheKeysOfThePreview)
{
    struct Row {
        const char *what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        EventDisposition disposition;
        const char *selected; // after the key
        int closes;
        const char *pasted;
    };
    const Row rows[] = {
        {"Down pages forward", Qt::Key_Down, {}, EventDisposition::Consume, "third", 0, ""},
        {"Up pages back", Qt::Key_Up, {}, EventDisposition::Consume, "first", 0, ""},
        {"Return pastes the selected item", Qt::Key_Return, {}, EventDisposition::Consume, "second", 1, "second"},
        {"keypad Enter pastes too", Qt::Key_Enter, {}, EventDisposition::Consume, "second", 1, "second"},
        {"Return in another layout group still pastes", Qt::Key_Return, Qt::GroupSwitchModifier,
         EventDisposition::Consume, "second", 1, "second"},
        {"Escape closes", Qt::Key_Escape, {}, EventDisposition::Consume, "second", 1, ""},
        {"Space is left to the window", Qt::Key_Space, {}, EventDisposition::Pass, "second", 0, ""},
        {"Control+Down is a shortcut, not paging", Qt::Key_Down, Qt::ControlModifier, EventDisposition::Pass,
         "second", 0, ""},
        {"Shift+Return is not a paste", Qt::Key_Return, Qt::ShiftModifier, EventDisposition::Pass, "second", 0, ""},
        {"Control+A selects text in the view", Qt::Key_A, Qt::ControlModifier, EventDisposition::Pass, "second", 0,
         ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        closes = 0;
        pasted.clear();
        QPointer<ClipboardPreviewWindow> window = open(1);
        window->show(std::nullopt);
        EXPECT_EQ(press(*window, row.key, row.modifiers), row.disposition);
        if (window && !window->isClosing()) {
            EXPECT_EQ(window->model().selectedItem()->text(), QString::fromLatin1(row.selected));
        }
        EXPECT_EQ(closes, row.closes);
        EXPECT_EQ(pasted.join(','), QString::fromLatin1(row.pasted));
        delete window.data();
        EXPECT_EQ(sim.eventMonitors.localMonitorCount(SimEventMonitors::Kind::KeyDown), 0);
    }
}

TEST_F(ClipboardPreviewWindowTest, PagingStopsAtBothEndsAndTellsTheLauncherEachMove)
{
    QPointer<ClipboardPreviewWindow> window = open(0);
    window->show(std::nullopt);
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
        press(*window, key);
    EXPECT_EQ(followed, QStringList({"second", "third", "second"}));
    EXPECT_EQ(window->view()->positionText(), "2 of 3");
    EXPECT_EQ(window->view()->titleText(), "second");
    delete window.data();
}

TEST_F(ClipboardPreviewWindowTest, KeysOfOtherWindowsAndOfAClosedPreviewPass)
{
    QPointer<ClipboardPreviewWindow> window = open(1);
    window->show(std::nullopt);
    SimPanel *other = static_cast<SimPanel *>(sim.panels.createPanel(PanelKind::Launcher).release());
    EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(sim.eventMonitors.keyDown(Qt::Key_Escape, {}, {}, other)),
              EventDisposition::Pass);
    EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(sim.eventMonitors.keyDown(Qt::Key_Escape)), EventDisposition::Pass);
    EXPECT_EQ(closes, 0);
    Panel *panel = &window->window()->panel();
    window->close();
    EXPECT_EQ(sim.eventMonitors.localMonitorCount(SimEventMonitors::Kind::KeyDown), 0);
    EXPECT_EQ(sim.eventMonitors.sendLocalKeyDown(sim.eventMonitors.keyDown(Qt::Key_Return, {}, {}, panel)),
              EventDisposition::Pass);
    EXPECT_TRUE(pasted.isEmpty());
    delete other;
}

TEST_F(ClipboardPreviewWindowTest, AnEmptyListShowsAPlaceholderAndPastesNothing)
{
    items.clear();
    auto model = std::make_unique<ClipboardPreviewModel>(QList<ClipboardItem>{}, QUuid(), nullptr);
    QPointer<ClipboardPreviewWindow> window = new ClipboardPreviewWindow(sim.platform(), nullptr, std::move(model));
    window->onPaste = [this](const ClipboardItem &item) { pasted.append(item.text()); };
    window->show(std::nullopt);
    EXPECT_EQ(window->view()->placeholderText(), "There is no item to show.");
    press(*window, Qt::Key_Down);
    press(*window, Qt::Key_Return);
    EXPECT_TRUE(pasted.isEmpty());
    EXPECT_TRUE(window->isClosing());
}

} // namespace
