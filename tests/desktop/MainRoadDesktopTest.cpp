// The main road through the whole program on the real desktop: another application is in front, two
// copies enter the history, Super+Shift+1 opens the launcher over that application, choosing the older
// item collapses the launcher and pastes it into the application's field.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "model/ClipboardItem.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

} // namespace

TEST(MainRoad, ACopyChosenInTheLauncherIsPastedIntoTheApplicationInFront)
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

    ASSERT_TRUE(DesktopTest::copyWithXclip("the older copy"));
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QStringLiteral("the older copy"), 5000);
    ASSERT_TRUE(DesktopTest::copyWithXclip("the newer copy"));
    TAVLEN_WAIT_UNTIL(history.items().first().text() == QStringLiteral("the newer copy"), 5000);
    const ClipboardItem older = history.items().at(1);

    // The pointer rests over the application, away from the launchers' hover zones.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("key"), QStringLiteral("super+shift+1")}));
    NotchLauncherWindow *launcher = nullptr;
    TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(delegate)) != nullptr, 3000);

    // What the panel does on Return or a click.
    launcher->selectClipboardItem(older);
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(fieldFile) == QStringLiteral("the older copy"), 5000);
    EXPECT_FALSE(launcher->isExpanded());
    TAVLEN_WAIT_UNTIL(history.items().first().id() == older.id(), 3000);
    delegate.stop();
}
