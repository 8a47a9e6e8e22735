// The launcher as a screen reader sees it on the real desktop: three copies, the hot key opens the panel,
// the arrow keys move the selection and the reader's focus goes with it, the second copy's row is found over AT-SPI by the title it shows and its "Delete" action deletes the item
// from the history and the store; with a query typed, the search bar's clear button is found as
// "Clear search" and pressing it empties the query; the header's painted filters toggle is found as
// "Show Filters", pressing it shows the filter bar, and it is then named "Hide Filters". What the reader hears
// of the search field, the list, a row, and a filter pill that is on is read over AT-SPI from a table; the
// collapsed launcher opens on Press.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/ClipboardItem.h"
#include "platform/Panel.h"
#include "platform/linux/LinuxPlatform.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "state/AppState.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>

namespace {

// Qt's bridge serves this process on the accessibility bus only when asked to before it starts.
const bool accessibilityOn = qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");

LaunchOptions storesOnly()
{
    LaunchOptions options;
    options.testMode = true;
    return options;
}

// What a reader hears of an element found by its name: each line must be in the helper's output.
struct Heard {
    const char *name;
    QList<QByteArray> lines;
};

void expectHeard(const QString &pid, const Heard &heard)
{
    SCOPED_TRACE(heard.name);
    DesktopTest::ChildProcess reader(DesktopTest::helperPath(QStringLiteral("atspi_action")), {pid, QString::fromUtf8(heard.name)});
    ASSERT_TRUE(reader.waitForLine("found", 15000)) << reader.output().constData();
    reader.waitForExit(5000);
    for (const QByteArray &line : heard.lines)
        EXPECT_TRUE(reader.output().contains(line)) << reader.output().constData();
}

// Each element of this process as a reader finds it, a line each: "showing focused | role | name".
QList<QByteArray> readerTree(const QString &pid)
{
    DesktopTest::ChildProcess tree(DesktopTest::helperPath(QStringLiteral("atspi_tree")), {pid});
    if (!tree.waitForLine("end", 15000))
        return {};
    return tree.output().split('\n');
}

QList<QByteArray> focusedElements(const QList<QByteArray> &tree)
{
    QList<QByteArray> focused;
    for (const QByteArray &line : tree) {
        if (line.left(line.indexOf('|')).contains("focused"))
            focused.append(line);
    }
    return focused;
}

bool historyHolds(const ClipboardHistoryManager &history, const QString &text)
{
    const QList<ClipboardItem> items = history.items();
    return std::any_of(items.begin(), items.end(), [&](const ClipboardItem &item) { return item.text() == text; });
}

} // namespace

TEST(ScreenReader, DeletesARowByItsNameAndFindsTheClearButton)
{
    TAVLEN_REQUIRE_DESKTOP();
    ASSERT_TRUE(accessibilityOn);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    LinuxPlatform platform;
    qsizetype kept = 0;
    {
        AppDelegate delegate(platform.platform(), LaunchOptions{});
        delegate.start();
        ClipboardHistoryManager &history = delegate.history();
        for (const char *text : {"first screen reader copy", "second screen reader copy", "third screen reader copy"}) {
            ASSERT_TRUE(DesktopTest::copyWithXclip(text));
            TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QLatin1String(text), 5000);
        }

        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
        NotchLauncherWindow *launcher = nullptr;
        TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(delegate)) != nullptr, 3000);

        // The reader follows the selection the arrow keys move: the row it goes to takes the reader's focus.
        // Up and Down in turn between the first rows (never up from the first, which leaves the list), as
        // the panel may learn a moment late that a reader listens.
        NotchLauncherView *view = launcher->view();
        auto activeTitle = [view]() -> QByteArray {
            for (const ClipboardItem &item : view->displayedClipboardItems()) {
                if (item.id() == view->activeClipboardItemID())
                    return item.text().toUtf8();
            }
            return {};
        };
        DesktopTest::ChildProcess events(DesktopTest::helperPath(QStringLiteral("atspi_events")), {pid});
        ASSERT_TRUE(events.waitForLine("listening", 15000)) << events.output().constData();
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down")}));
        TAVLEN_WAIT_UNTIL(!activeTitle().isEmpty() && activeTitle() != "third screen reader copy", 3000);
        bool followed = false;
        for (int attempt = 0; attempt < 6 && !followed; ++attempt) {
            const QByteArray before = activeTitle();
            ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), attempt % 2 == 0 ? QStringLiteral("Up") : QStringLiteral("Down")}));
            TAVLEN_WAIT_UNTIL(activeTitle() != before, 3000);
            followed = events.waitForLine("focused list item " + activeTitle(), 1000).has_value();
        }
        EXPECT_TRUE(followed) << events.output().constData();

        const Heard openPanel[] = {
            {"Search the clipboard history", {"found text"}},
            {"Clipboard history", {"found list"}},
            {"third screen reader copy", {"found list item", "described Text, copied "}},
        };
        for (const Heard &heard : openPanel)
            expectHeard(pid, heard);

        kept = history.items().size() - 1;
        DesktopTest::ChildProcess reader(DesktopTest::helperPath(QStringLiteral("atspi_action")),
                                         {pid, QStringLiteral("second screen reader copy"), QStringLiteral("Delete")});
        ASSERT_TRUE(reader.waitForLine("found", 15000)) << reader.output().constData();
        EXPECT_TRUE(reader.output().contains("found list item")) << reader.output().constData();
        ASSERT_TRUE(reader.waitForLine("done", 5000)) << reader.output().constData();
        TAVLEN_WAIT_UNTIL(!historyHolds(history, QStringLiteral("second screen reader copy")), 5000);
        EXPECT_EQ(history.items().size(), kept);

        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("third")}));
        NotchClipboardSearch &search = launcher->view()->search();
        TAVLEN_WAIT_UNTIL(search.clipboardSearchQuery() == QLatin1String("third"), 5000);
        DesktopTest::ChildProcess clear(DesktopTest::helperPath(QStringLiteral("atspi_action")),
                                        {pid, QStringLiteral("Clear search"), QStringLiteral("Press")});
        ASSERT_TRUE(clear.waitForLine("found", 15000)) << clear.output().constData();
        EXPECT_TRUE(clear.output().contains("found push button")) << clear.output().constData();
        ASSERT_TRUE(clear.waitForLine("done", 5000)) << clear.output().constData();
        TAVLEN_WAIT_UNTIL(search.clipboardSearchQuery().isEmpty(), 5000);

        ASSERT_FALSE(launcher->view()->model().areClipboardFiltersVisible());
        DesktopTest::ChildProcess toggle(DesktopTest::helperPath(QStringLiteral("atspi_action")),
                                         {pid, QStringLiteral("Show Filters"), QStringLiteral("Press")});
        ASSERT_TRUE(toggle.waitForLine("found", 15000)) << toggle.output().constData();
        EXPECT_TRUE(toggle.output().contains("found push button")) << toggle.output().constData();
        ASSERT_TRUE(toggle.waitForLine("done", 5000)) << toggle.output().constData();
        TAVLEN_WAIT_UNTIL(launcher->view()->filterBar() && launcher->view()->filterBar()->isVisible(), 5000);
        DesktopTest::ChildProcess toggled(DesktopTest::helperPath(QStringLiteral("atspi_action")),
                                          {pid, QStringLiteral("Hide Filters")});
        EXPECT_TRUE(toggled.waitForLine("found", 15000)) << toggled.output().constData();
        // No filter chosen: "All" is the pill that is on.
        expectHeard(pid, {"All", {"checked"}});

        // Collapsed, the launcher opens on Press.
        launcher->collapseImmediately();
        TAVLEN_WAIT_UNTIL(expandedLauncher(delegate) == nullptr, 3000);
        DesktopTest::ChildProcess press(DesktopTest::helperPath(QStringLiteral("atspi_action")),
                                        {pid, QStringLiteral("Tavlen launcher"), QStringLiteral("Press")});
        ASSERT_TRUE(press.waitForLine("done", 15000)) << press.output().constData();
        TAVLEN_WAIT_UNTIL(expandedLauncher(delegate) != nullptr, 3000);
        delegate.stop();
    }

    AppDelegate restarted(platform.platform(), storesOnly());
    restarted.start();
    TAVLEN_WAIT_UNTIL(restarted.history().items().size() == kept, 5000);
    EXPECT_FALSE(historyHolds(restarted.history(), QStringLiteral("second screen reader copy")));
    EXPECT_TRUE(historyHolds(restarted.history(), QStringLiteral("first screen reader copy")));
}

// The settings window as a reader finds it: one element has the focus while it is open (a closed popup's
// items neither have it nor show), and closed from its title bar (the window manager's close request) it
// leaves nothing behind, so an open launcher's search field is the one focus again.
TEST(ScreenReader, TheSettingsWindowHasOneFocusAndLeavesNothingWhenClosed)
{
    TAVLEN_REQUIRE_DESKTOP();
    ASSERT_TRUE(accessibilityOn);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    LinuxPlatform platform;
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.start();
    auto openLauncher = [&]() -> NotchLauncherWindow * {
        NotchLauncherWindow *launcher = nullptr;
        const bool opened = DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")})
            && DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")})
            && DesktopTest::waitUntil([&] {
                   launcher = expandedLauncher(delegate);
                   return launcher && !launcher->panel()->isAnimatingFrame() && launcher->view()->isClipboardSearchFocused();
               }, 5000);
        return opened ? launcher : nullptr;
    };
    auto click = [](QPoint global) {
        return DesktopTest::xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
                                     QStringLiteral("click"), QStringLiteral("1")});
    };
    // The reader's tree once `focus` ("| role | name") is its one focused element.
    auto treeFocusedOn = [&](const QByteArray &focus) {
        QList<QByteArray> tree;
        const bool one = DesktopTest::waitUntil([&] {
            const QList<QByteArray> focused = focusedElements(tree = readerTree(pid));
            return focused.size() == 1 && focused.first().endsWith(focus);
        }, 5000);
        EXPECT_TRUE(one) << "one focus on " << focus.constData() << " in:\n" << tree.join('\n').constData();
        return tree;
    };

    NotchLauncherWindow *launcher = openLauncher();
    ASSERT_NE(launcher, nullptr);
    ASSERT_TRUE(click(launcher->view()->mapToGlobal(launcher->view()->headerLayout().settingsButton.center().toPoint())));
    SettingsWindow &settings = delegate.settingsWindow();
    TAVLEN_WAIT_UNTIL(settings.isOpen() && settings.view()->isActiveWindow(), 5000);
    treeFocusedOn("| list item | General");
    auto *retention = settings.view()->findChild<QComboBox *>();
    ASSERT_NE(retention, nullptr);
    ASSERT_TRUE(click(retention->mapToGlobal(retention->rect().center())));
    TAVLEN_WAIT_UNTIL(retention->view()->isVisible(), 5000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    TAVLEN_WAIT_UNTIL(!retention->view()->isVisible(), 5000);
    for (const QByteArray &line : treeFocusedOn("| combo box | " + retention->currentText().toUtf8()))
        EXPECT_FALSE(line.startsWith("showing") && line.endsWith("| 1 day")) << line.constData();

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")}));
    TAVLEN_WAIT_UNTIL(!settings.isOpen(), 5000);
    ASSERT_NE(openLauncher(), nullptr);
    for (const QByteArray &line : treeFocusedOn("| text | Search the clipboard history")) {
        for (const char *name : {"| Tavlen Settings", "| Settings pages", "| General", "| 1 day"})
            EXPECT_FALSE(line.endsWith(name)) << line.constData();
    }
    delegate.stop();
}
