// The launcher panel on the real desktop: copies made with xclip, Super+Shift+1, typing part of the
// second copy's text into the panel's search field and Return paste it into the application in front;
// a horizontal scroll on a row deletes that item from the history and the store.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "platform/Panel.h"

#include <QCursor>
#include "launcher/panel/NotchLauncherView.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

TEST(PanelDesktop, TypingInTheSearchFieldAndReturnPasteTheMatchingCopy)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir folder;
    const QString fieldFile = folder.filePath(QStringLiteral("field.txt"));
    DesktopTest::ChildProcess app(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                  {QStringLiteral("--output"), fieldFile});
    ASSERT_TRUE(app.waitForLine("ready")) << app.output().constData();

    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == app.pid(), 5000);

    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.start();
    ClipboardHistoryManager &history = delegate.history();
    for (const QByteArray &text : {QByteArrayLiteral("alpha first copy"), QByteArrayLiteral("bravo second copy"),
                                  QByteArrayLiteral("charlie third copy")}) {
        ASSERT_TRUE(DesktopTest::copyWithXclip(text));
        TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QString::fromUtf8(text), 5000);
    }

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    NotchLauncherWindow *launcher = nullptr;
    TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(delegate)) != nullptr, 3000);
    NotchLauncherView *view = launcher->view();
    ASSERT_NE(view, nullptr);
    TAVLEN_WAIT_UNTIL(view->isClipboardSearchFocused() && view->searchField()->hasFocus(), 3000);
    TAVLEN_WAIT_UNTIL(view->displayedClipboardItems().size() == 3, 3000);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("bravo")}));
    TAVLEN_WAIT_UNTIL(view->displayedClipboardItems().size() == 1, 3000);
    EXPECT_EQ(view->clipboardSearchQuery(), QStringLiteral("bravo"));
    DesktopTest::screenshot(QStringLiteral("panel-desktop-search"));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(fieldFile) == QStringLiteral("bravo second copy"), 5000);
    TAVLEN_WAIT_UNTIL(!launcher->isPerformingSelection(), 5000);
    delegate.stop();
}

TEST(PanelDesktop, AHorizontalScrollOnARowDeletesItFromTheHistoryAndTheStore)
{
    TAVLEN_REQUIRE_DESKTOP();
    DesktopTest::ChildProcess app(DesktopTest::helperPath(QStringLiteral("line_edit_app")));
    ASSERT_TRUE(app.waitForLine("ready")) << app.output().constData();
    LinuxPlatform platform;
    QUuid deleted;
    {
        AppDelegate delegate(platform.platform(), LaunchOptions{});
        delegate.start();
        ClipboardHistoryManager &history = delegate.history();
        // What the clipboard held at start-up is captured asynchronously: count only once the copies are in.
        for (const QByteArray &text : {QByteArrayLiteral("keep me one"), QByteArrayLiteral("swipe me away"),
                                      QByteArrayLiteral("keep me two")}) {
            ASSERT_TRUE(DesktopTest::copyWithXclip(text));
            TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QString::fromUtf8(text), 5000);
        }
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
        NotchLauncherWindow *launcher = nullptr;
        TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(delegate)) != nullptr, 3000);
        NotchLauncherView *view = launcher->view();
        NotchClipboardList *list = view->clipboardList();
        TAVLEN_WAIT_UNTIL(list->isVisible() && view->displayedClipboardItems().size() >= 3
                              && view->displayedClipboardItems().at(1).text() == QStringLiteral("swipe me away"), 3000);
        TAVLEN_WAIT_UNTIL(launcher->panel()->frame().height() > 200 && !launcher->panel()->isAnimatingFrame(), 3000);

        // The second row holds the middle copy.
        deleted = view->displayedClipboardItems().at(1).id();
        ASSERT_EQ(view->displayedClipboardItems().at(1).text(), QStringLiteral("swipe me away"));
        const QPoint onRow = list->mapToGlobal(list->rowRect(1).center().toPoint());
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QString::number(onRow.x()), QString::number(onRow.y())}));
        TAVLEN_WAIT_UNTIL(list->indexAt(list->mapFromGlobal(QCursor::pos())) == 1, 3000);
        const int before = int(history.items().size());
        // Two notches of a horizontal wheel towards the left.
        ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                             QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("6")}));
        TAVLEN_WAIT_UNTIL(!history.item(deleted).has_value(), 5000);
        EXPECT_EQ(history.items().size(), before - 1);
        delegate.stop();
    }
    AppDelegate restarted(platform.platform(), LaunchOptions{});
    restarted.start();
    TAVLEN_WAIT_UNTIL(!restarted.history().items().isEmpty(), 5000);
    EXPECT_FALSE(restarted.history().item(deleted).has_value());
    restarted.stop();
}
