// The typing-effect overlay on a real X server, over a Qt application's window: it takes neither the
// focus nor the clicks, and it never hides the field's text, with a compositor (translucent) and without
// one (only the lit outline, through the window's shape). The effect's time is frozen on a simulated
// clock so that screenshots catch a known frame.
#include "DesktopTest.h"
#include "fields/views/FocusedFieldTypingEffect.h"
#include "fields/views/FocusedFieldTypingEffectWindow.h"
#include "platform/linux/LinuxPanel.h"
#include "platform/linux/LinuxAppearance.h"
#include "platform/linux/LinuxPanelFactory.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/sim/SimClock.h"

#include <QRegularExpression>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

QString xdotool(const QStringList &arguments)
{
    return QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"), arguments).standardOutput).trimmed();
}

void settle(int ms)
{
    DesktopTest::waitUntil([] { return false; }, ms);
}

struct TypingOverlayDesktopTest : ::testing::Test {
    SimClock clock;
    LinuxPanelFactory panels;
    LinuxScreens screens;
    LinuxAppearance appearance;
    std::unique_ptr<DesktopTest::ChildProcess> app;
    QString appWindow;
    QRect appRect; // y down, as the accessibility space has it

    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        app = std::make_unique<DesktopTest::ChildProcess>(DesktopTest::helperPath(QStringLiteral("line_edit_app")));
        ASSERT_TRUE(app->waitForLine("ready")) << app->output().constData();
        TAVLEN_WAIT_UNTIL(!(appWindow = xdotool({"search", "--onlyvisible", "--pid", QString::number(app->pid())})
                                           .section(QLatin1Char('\n'), 0, 0))
                               .isEmpty(),
                          5000);
        TAVLEN_WAIT_UNTIL(xdotool({"getwindowfocus"}) == appWindow, 5000);
        // xwininfo's absolute position is the client area's (xdotool's counts the frame in).
        const QString geometry = QString::fromUtf8(
            DesktopTest::run(QStringLiteral("xwininfo"), {"-id", appWindow}).standardOutput);
        auto value = [&](const char *label) {
            const auto match = QRegularExpression(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(label))).match(geometry);
            return match.hasMatch() ? match.captured(1).toInt() : -1;
        };
        appRect = QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"));
        ASSERT_GT(appRect.width(), 100) << geometry.toStdString();
        ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {"type", "--delay", "20", "hello world"}).succeeded());
        TAVLEN_WAIT_UNTIL(fieldText() == QStringLiteral("hello world"), 5000);
    }

    Platform platform()
    {
        Platform p;
        p.clock = &clock;
        p.panels = &panels;
        p.screens = &screens;
        p.appearance = &appearance;
        return p;
    }

    QString fieldText()
    {
        app->writeLine("dump");
        const std::optional<QByteArray> line = app->waitForLine("text ", 3000);
        return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
    }

    // Shows the overlay over the application's window and freezes its highlight half-way.
    void showHalfWay(FocusedFieldTypingEffectWindow &overlay)
    {
        ASSERT_TRUE(overlay.update(QRectF(appRect)));
        overlay.model().showPasteHighlight();
        clock.advance(0.26);
        auto *window = static_cast<LinuxPanel *>(overlay.panel())->window();
        TAVLEN_WAIT_UNTIL(window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed(), 3000);
        settle(300);
    }

    // Pixels of the window's middle band, where the field's text is, except where its caret blinks (just
    // after "hello world").
    static int largestDifferenceInTextBand(const QImage &a, const QImage &b, const QRect &rect)
    {
        int largest = 0;
        for (int y = rect.center().y() - 6; y <= rect.center().y() + 6; ++y) {
            for (int x = rect.left() + 12; x < rect.right() - 12; ++x) {
                if (x > rect.left() + 60 && x < rect.left() + 110)
                    continue;
                const QColor p = a.pixelColor(x, y);
                const QColor q = b.pixelColor(x, y);
                largest = std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                    std::abs(p.blue() - q.blue())});
            }
        }
        return largest;
    }
};

TEST_F(TypingOverlayDesktopTest, WithoutACompositorOnlyTheOutlineShowsAndTheTextStaysUncovered)
{
    ASSERT_FALSE(appearance.supportsTranslucency());
    const QImage before = DesktopTest::screenshot(QStringLiteral("typing-overlay-before"));
    ASSERT_FALSE(before.isNull());

    FocusedFieldTypingEffectWindow overlay(platform());
    showHalfWay(overlay);
    const QImage during = DesktopTest::screenshot(QStringLiteral("typing-overlay-outline"));
    ASSERT_FALSE(during.isNull());

    // The text band looks exactly as before; the lit stretch of the edge, at the sweep, changed.
    EXPECT_EQ(largestDifferenceInTextBand(before, during, appRect), 0);
    const QPoint edge(appRect.center().x(), appRect.top() + 1);
    EXPECT_NE(during.pixelColor(edge), before.pixelColor(edge));
    // The window manager's focus stayed with the application.
    EXPECT_EQ(xdotool({"getwindowfocus"}), appWindow);

    // The pointer on the lit edge is over the application's window (its frame), not over the overlay.
    xdotool({"mousemove", QString::number(edge.x()), QString::number(edge.y())});
    const QString under = xdotool({"getmouselocation", "--shell"});
    const QString overlayWindow = QString::number(static_cast<LinuxPanel *>(overlay.panel())->window()->winId());
    const QString windowUnder = QRegularExpression(QStringLiteral("WINDOW=(\\d+)")).match(under).captured(1);
    EXPECT_FALSE(windowUnder.isEmpty()) << under.toStdString();
    EXPECT_NE(windowUnder, overlayWindow);

    // Once the highlight has run, nothing of the overlay is left on screen.
    clock.advance(0.3);
    settle(200);
    const QImage after = DesktopTest::screenshot(QStringLiteral("typing-overlay-after"));
    EXPECT_EQ(after.pixelColor(edge), before.pixelColor(edge));
}

TEST_F(TypingOverlayDesktopTest, WithACompositorTheTranslucentOverlayLetsClicksAndTextThrough)
{
    DesktopTest::ChildProcess compositor(QStringLiteral("xcompmgr"));
    TAVLEN_WAIT_UNTIL(appearance.supportsTranslucency(), 5000);
    settle(300);
    const QImage before = DesktopTest::screenshot(QStringLiteral("typing-overlay-composited-before"));

    FocusedFieldTypingEffectWindow overlay(platform());
    showHalfWay(overlay);
    EXPECT_TRUE(overlay.view()->drawsTranslucency());
    const QImage during = DesktopTest::screenshot(QStringLiteral("typing-overlay-composited"));
    ASSERT_FALSE(during.isNull());

    // The sweep tints the middle of the window, but only lightly: the text shows through.
    const int tint = largestDifferenceInTextBand(before, during, appRect);
    EXPECT_GT(tint, 0);
    EXPECT_LT(tint, 110);
    EXPECT_EQ(xdotool({"getwindowfocus"}), appWindow);

    // A click at the start of the field lands in the field: the caret moves before "hello".
    const QPoint start(appRect.left() + 14, appRect.center().y());
    xdotool({"mousemove", QString::number(start.x()), QString::number(start.y())});
    xdotool({"click", "1"});
    settle(150);
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {"type", "X"}).succeeded());
    QString text;
    EXPECT_TRUE(DesktopTest::waitUntil([&] { return (text = fieldText()) == QStringLiteral("Xhello world"); }, 5000))
        << text.toStdString();
    overlay.close();
}

} // namespace
