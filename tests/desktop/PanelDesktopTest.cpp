// The launcher panel on the real desktop: copies made with xclip, Super+Shift+1, typing part of the
// second copy's text into the panel's search field and Return paste it into the application in front;
// a horizontal scroll on a row deletes that item from the history and the store.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchClipboardList.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "platform/Panel.h"
#include "state/AppState.h"

#include <QCursor>
#include "launcher/panel/NotchLauncherView.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

#include "model/ClipboardItem.h"

#include <QDateTime>
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

namespace {

// A line edit application holding "document", the keyboard with it, and Tavlen started beside it.
struct DocumentAndTavlen {
    QTemporaryDir folder;
    QString fieldFile = folder.filePath(QStringLiteral("field.txt"));
    DesktopTest::ChildProcess app{DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                  {QStringLiteral("--output"), fieldFile}};
    LinuxPlatform platform;
    std::unique_ptr<AppDelegate> delegate;

    bool start()
    {
        if (!app.waitForLine("ready"))
            return false;
        Workspace &workspace = *platform.platform().workspace;
        if (!DesktopTest::waitUntil([&] { return workspace.frontmostApplication()
                                                && workspace.frontmostApplication()->pid == app.pid(); }, 5000))
            return false;
        DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("document")});
        if (!DesktopTest::waitUntil([&] { return field() == QLatin1String("document"); }, 5000))
            return false;
        delegate = std::make_unique<AppDelegate>(platform.platform(), LaunchOptions{});
        delegate->start();
        return true;
    }
    QString field() const { return DesktopTest::readTextFile(fieldFile); }
    ~DocumentAndTavlen()
    {
        if (delegate)
            delegate->stop();
    }
};

} // namespace

TEST(PanelDesktop, AClickOnTheSearchFieldOfAHoveredLauncherTypesIntoIt)
{
    TAVLEN_REQUIRE_DESKTOP();
    DocumentAndTavlen desk;
    ASSERT_TRUE(desk.start()) << desk.app.output().constData();
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("756"), QStringLiteral("6")}));
    NotchLauncherWindow *launcher = nullptr;
    TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(*desk.delegate)) != nullptr, 3000);
    TAVLEN_WAIT_UNTIL(!launcher->panel()->isAnimatingFrame(), 3000);
    NotchLauncherView *view = launcher->view();
    TAVLEN_WAIT_UNTIL(view->searchField()->isVisible(), 3000);
    const QPoint onField = view->searchField()->mapToGlobal(view->searchField()->rect().center());
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(onField.x()),
                                      QString::number(onField.y())}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    TAVLEN_WAIT_UNTIL(launcher->panel()->hasKeyboard() && view->searchField()->hasFocus(), 3000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
                                      QStringLiteral("found")}));
    TAVLEN_WAIT_UNTIL(view->clipboardSearchQuery() == QLatin1String("found"), 5000);
    EXPECT_EQ(desk.field(), QLatin1String("document"));
}

// Down twelve times, Escape, two copies, the hot key again: the list shows its top with nothing marked, and
// Return pastes the newest copy.
TEST(PanelDesktop, TheListOpensAtItsTopAndReturnPastesTheTopRow)
{
    TAVLEN_REQUIRE_DESKTOP();
    DocumentAndTavlen desk;
    ASSERT_TRUE(desk.start()) << desk.app.output().constData();
    ClipboardHistoryManager &history = desk.delegate->history();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 30; ++i) {
        ClipboardItem item(QUuid::createUuid());
        item.setTypeRawValue(QStringLiteral("text"));
        item.setText(QStringLiteral("older copy %1").arg(i));
        item.setDate(now.addSecs(i - 60));
        history.handleItemInserted(item);
    }
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("900")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    NotchLauncherWindow *launcher = nullptr;
    TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(*desk.delegate)) != nullptr, 3000);
    NotchLauncherView *view = launcher->view();
    NotchClipboardList *list = view->clipboardList();
    TAVLEN_WAIT_UNTIL(view->isClipboardSearchFocused() && view->displayedClipboardItems().size() >= 30, 5000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"),
                                      QStringLiteral("--repeat"), QStringLiteral("12"), QStringLiteral("Down")}));
    TAVLEN_WAIT_UNTIL(list->scrollOffset() > 0, 5000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    TAVLEN_WAIT_UNTIL(!launcher->isExpanded(), 3000);

    for (const QByteArray &text : {QByteArrayLiteral("new copy one"), QByteArrayLiteral("new copy two")}) {
        ASSERT_TRUE(DesktopTest::copyWithXclip(text));
        TAVLEN_WAIT_UNTIL(history.items().first().text() == QString::fromUtf8(text), 5000);
    }
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    TAVLEN_WAIT_UNTIL(launcher->isExpanded() && view->isClipboardSearchFocused(), 3000);
    TAVLEN_WAIT_UNTIL(!view->displayedClipboardItems().isEmpty()
                          && view->displayedClipboardItems().first().text() == QLatin1String("new copy two"),
                      5000);
    EXPECT_EQ(list->activeItemID(), std::nullopt);
    EXPECT_EQ(list->scrollOffset(), 0);
    EXPECT_EQ(list->visibleRange().first, 0);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    // Pasted at the caret, or over the field's text where the field is cleared first.
    TAVLEN_WAIT_UNTIL(desk.field().endsWith(QLatin1String("new copy two")), 8000);
    EXPECT_FALSE(desk.field().contains(QLatin1String("older")));
    TAVLEN_WAIT_UNTIL(!launcher->isPerformingSelection(), 5000);
}
