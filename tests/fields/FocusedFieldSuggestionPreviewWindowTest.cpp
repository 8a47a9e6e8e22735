// The details window of a remembered value: its size and place on a screen, closing once, the keys it
// takes (only its own), what it shows; and placing a window beside an anchor inside bounds.
#include "SuggestionTestData.h"

#include "fields/views/FocusedFieldSuggestionPreviewView.h"
#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"
#include "platform/sim/SimPanel.h"
#include "platform/sim/SimPlatform.h"

#include <QCoreApplication>
#include <QPointer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace SuggestionTestData;

TEST(FrameBesideAnchor, PlacesAndClamps)
{
    struct Case {
        const char *name;
        QSizeF size;
        QRectF anchor;
        QRectF frame;
    };
    // Bounds 0..1000 x 0..800, so the inset area is 8..992 x 8..792.
    const QRectF bounds(0, 0, 1000, 800);
    const Case cases[] = {
        {"left, top edges aligned", QSizeF(300, 200), QRectF(500, 400, 100, 30), QRectF(190, 230, 300, 200)},
        {"a point: ends 10 left of it", QSizeF(300, 200), QRectF(600, 500, 0, 0), QRectF(290, 300, 300, 200)},
        {"left exactly on the inset", QSizeF(300, 200), QRectF(318, 400, 10, 30), QRectF(8, 230, 300, 200)},
        {"right when the left has no room", QSizeF(300, 200), QRectF(100, 400, 100, 30),
         QRectF(210, 230, 300, 200)},
        {"below when neither side fits", QSizeF(600, 200), QRectF(300, 400, 200, 30), QRectF(300, 190, 600, 200)},
        {"above when below does not fit", QSizeF(600, 200), QRectF(300, 100, 200, 30), QRectF(300, 140, 600, 200)},
        {"below, clamped at the right", QSizeF(600, 200), QRectF(450, 400, 100, 30), QRectF(392, 190, 600, 200)},
        {"top clamped inside", QSizeF(300, 200), QRectF(500, 700, 100, 95), QRectF(190, 592, 300, 200)},
        {"bottom clamped inside", QSizeF(300, 200), QRectF(500, 0, 100, 50), QRectF(190, 8, 300, 200)},
        {"above, clamped at the top", QSizeF(600, 200), QRectF(300, 150, 200, 630), QRectF(300, 592, 600, 200)},
        {"too large: cut to the inset", QSizeF(2000, 1000), QRectF(500, 400, 10, 10), QRectF(8, 8, 984, 784)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QRectF frame = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(c.size, c.anchor, bounds);
        EXPECT_DOUBLE_EQ(frame.x(), c.frame.x());
        EXPECT_DOUBLE_EQ(frame.y(), c.frame.y());
        EXPECT_DOUBLE_EQ(frame.width(), c.frame.width());
        EXPECT_DOUBLE_EQ(frame.height(), c.frame.height());
    }
}

TEST(FrameBesideAnchor, BoundsOffTheOriginAndTooSmall)
{
    // A secondary screen's available geometry left of and below the origin.
    const QRectF frame = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(
        QSizeF(200, 100), QRectF(-1500, -50, 40, 20), QRectF(-1920, -98, 1920, 1050));
    EXPECT_EQ(frame, QRectF(-1710, -90, 200, 100)) << "kept above the inset bottom";
    // Bounds narrower than the margins: an empty frame, never a negative size.
    const QRectF tiny = FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(QSizeF(200, 100), QRectF(0, 0, 1, 1),
                                                                               QRectF(0, 0, 10, 10));
    EXPECT_EQ(tiny.width(), 0);
    EXPECT_EQ(tiny.height(), 0);
}

TEST(FocusedFieldSuggestionPreviewWindow, SizeFollowsTheVisibleFrameWithinItsBounds)
{
    struct Row {
        const char *name;
        QSizeF visible;
        QSizeF size;
    };
    const Row rows[] = {
        {"a laptop screen: the maximum", QSizeF(1440, 875), QSizeF(620, 720)},
        {"a small screen: the minimum wins", QSizeF(500, 500), QSizeF(480, 460)},
        {"in between: 96 points less", QSizeF(700, 600), QSizeF(604, 504)},
        {"no screen at all", QSizeF(0, 0), QSizeF(480, 460)},
        {"a frame smaller than the inset", QSizeF(40, 30), QSizeF(480, 460)},
    };
    for (const Row &row : rows) {
        const QRectF visible(QPointF(100, 50), row.visible);
        EXPECT_EQ(FocusedFieldSuggestionPreviewWindow::sizeFor(visible), row.size) << row.name;
        const QRectF frame = FocusedFieldSuggestionPreviewWindow::frameOn(visible);
        EXPECT_EQ(frame.center(), visible.center()) << row.name;
    }
}

struct DetailsWindowTest : ::testing::Test {
    SimPlatform sim;
    int closes = 0;

    DetailsWindowTest()
    {
        sim.screens.setScreens({SimScreens::makeScreen(1, QRectF(0, 0, 1440, 900), 25),
                                SimScreens::makeScreen(2, QRectF(1440, 0, 800, 600), 0)});
        sim.screens.setPointerLocation(QPointF(1600, 300));
    }

    std::unique_ptr<FocusedFieldSuggestionPreviewWindow> make(const FocusedFieldSuggestion &s)
    {
        return std::make_unique<FocusedFieldSuggestionPreviewWindow>(sim.platform(), s, [this] { ++closes; });
    }

    EventDisposition key(Qt::Key code, Panel *window)
    {
        KeyDownEvent event;
        event.key = code;
        event.window = window;
        return sim.eventMonitors.sendLocalKeyDown(event);
    }
};

TEST_F(DetailsWindowTest, ShowsOnTheGivenScreenElseUnderThePointerElseTheMainScreen)
{
    struct Row {
        const char *name;
        std::optional<ScreenInfo> given;
        QPointF pointer;
        QRectF frame;
    };
    const ScreenInfo left = sim.screens.screens().at(0);
    const QRectF leftVisible = left.availableGeometry;
    const Row rows[] = {
        {"the given screen", left, QPointF(1600, 300),
         QRectF(leftVisible.center() - QPointF(310, 360), QSizeF(620, 720))},
        {"the pointer's screen", std::nullopt, QPointF(1600, 300), QRectF(1530, 48, 620, 504)},
        {"off every screen: the main one", std::nullopt, QPointF(-50, -50),
         QRectF(leftVisible.center() - QPointF(310, 360), QSizeF(620, 720))},
    };
    for (const Row &row : rows) {
        sim.screens.setPointerLocation(row.pointer);
        auto window = make(nameContext().historySuggestions[0]);
        window->show(row.given);
        const SimPanel &panel = static_cast<SimPanel &>(window->window()->panel());
        EXPECT_EQ(panel.frame(), row.frame) << row.name;
        EXPECT_TRUE(panel.isVisible()) << row.name;
        EXPECT_TRUE(panel.hasKeyboard()) << row.name;
        EXPECT_EQ(panel.level(), PanelLevel::Launcher) << row.name;
        EXPECT_TRUE(panel.hasShadow()) << row.name;
    }
    // No screens at all: the minimum size around the origin.
    sim.screens.setScreens({});
    auto window = make(nameContext().historySuggestions[0]);
    window->show(std::nullopt);
    EXPECT_EQ(window->window()->panel().frame(), QRectF(-240, -230, 480, 460));
}

TEST_F(DetailsWindowTest, ClosesOnceFromEveryPath)
{
    auto window = make(nameContext().historySuggestions[0]);
    QPointer<FocusedFieldSuggestionPreviewWindow> watch = window.release(); // a closed window frees itself
    watch->show(std::nullopt);
    Panel &panel = watch->window()->panel();
    ASSERT_TRUE(watch->view()->hasKeyMonitor());
    watch->view()->closeButton()->click();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(watch->isClosing());
    EXPECT_TRUE(panel.isClosed());
    EXPECT_FALSE(watch->view()->hasKeyMonitor());
    watch->close();
    EXPECT_EQ(key(Qt::Key_Escape, &panel), EventDisposition::Pass); // the monitor is gone
    EXPECT_EQ(closes, 1);
    // Closed windows are not shown again.
    watch->show(std::nullopt);
    EXPECT_FALSE(panel.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(DetailsWindowTest, TakesSpaceAndEscapeOfItsOwnWindowOnly)
{
    auto other = sim.panels.createPanel(PanelKind::Launcher);
    struct Row {
        const char *name;
        Qt::Key key;
        bool own;
        EventDisposition disposition;
        int closes;
    };
    const Row rows[] = {
        {"Space in another window", Qt::Key_Space, false, EventDisposition::Pass, 0},
        {"Escape in another window", Qt::Key_Escape, false, EventDisposition::Pass, 0},
        {"Return in its own window", Qt::Key_Return, true, EventDisposition::Pass, 0},
        {"Space in its own window", Qt::Key_Space, true, EventDisposition::Consume, 1},
        {"Escape in its own window", Qt::Key_Escape, true, EventDisposition::Consume, 1},
    };
    for (const Row &row : rows) {
        closes = 0;
        auto window = make(nameContext().historySuggestions[0]);
        window->show(std::nullopt);
        Panel *target = row.own ? &window->window()->panel() : other.get();
        EXPECT_EQ(key(row.key, target), row.disposition) << row.name;
        EXPECT_EQ(closes, row.closes) << row.name;
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.release(); // freed by its close
    }
}

TEST(FocusedFieldSuggestionPreviewView, DetailRowsLeaveOutWhatIsMissing)
{
    const QLocale locale(QLocale::English, QLocale::UnitedKingdom);
    FocusedFieldSuggestion s = remembered(QStringLiteral("v"), QStringLiteral("Latest"), 4, 1);
    auto labels = [&] {
        QStringList out;
        for (const auto &row : FocusedFieldSuggestionPreviewView::detailRows(s, locale))
            out << row.first;
        return out;
    };
    EXPECT_EQ(labels(), (QStringList{"Uses", "Application", "Environment", "Field", "Type", "DOM identifier",
                                     "Created", "Updated", "Last used"}));
    s.details->webOrigin = QString(); // empty counts as missing
    s.details->fieldName.reset();
    s.details->accessibilityIdentifier = QStringLiteral("name-field");
    s.details->createdAt.reset();
    s.details->lastUsedAt.reset();
    EXPECT_EQ(labels(), (QStringList{"Uses", "Application", "Type", "DOM identifier", "Accessibility identifier",
                                     "Updated"}));
    s.usageCount = 0;
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::detailRows(s, locale).first().second, QStringLiteral("0"));
    s.details.reset();
    EXPECT_TRUE(FocusedFieldSuggestionPreviewView::detailRows(s, locale).isEmpty());
}

TEST(FocusedFieldSuggestionPreviewView, UsageDatesNewestFirstAndTheirText)
{
    FocusedFieldSuggestion s = remembered(QStringLiteral("v"), QStringLiteral("Latest"), 1, 1);
    const QDateTime a = moment(9, 8, 0), b = moment(1, 23, 59), c = moment(4, 12, 30);
    s.details->recentUsageDates = {a, b, c};
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::usageDates(s), (QList<QDateTime>{b, c, a}));
    s.details.reset();
    EXPECT_TRUE(FocusedFieldSuggestionPreviewView::usageDates(s).isEmpty());
    const QDateTime when(QDate(2026, 3, 5), QTime(14, 3, 9));
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::dateText(when, QLocale(QLocale::English, QLocale::UnitedKingdom)),
              QStringLiteral("5 March 2026, 14:03:09"));
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::dateText(when, QLocale(QLocale::Polish, QLocale::Poland)),
              QStringLiteral("5 marca 2026, 14:03:09"));
    const QString us = FocusedFieldSuggestionPreviewView::dateText(when, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(us.contains(QStringLiteral("March 5, 2026"))) << us.toStdString();
    EXPECT_TRUE(us.contains(QStringLiteral("2:03:09"))) << us.toStdString();
}

TEST(FocusedFieldSuggestionPreviewView, TheValueBoxPrefersTheDisplayValueEvenEmpty)
{
    FocusedFieldSuggestion s;
    s.value = QStringLiteral("hunter2");
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::shownValue(s), QStringLiteral("hunter2"));
    s.displayValue = QString();
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::shownValue(s), QString());
    // A password without a display value is still not shown in clear.
    s.displayValue.reset();
    s.details = FocusedFieldSuggestionDetails{};
    s.details->fieldType = QStringLiteral("Password");
    EXPECT_EQ(FocusedFieldSuggestionPreviewView::shownValue(s), QStringLiteral("••••••••"));
}

} // namespace
