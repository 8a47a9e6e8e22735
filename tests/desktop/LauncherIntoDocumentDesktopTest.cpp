// An item chosen in the launcher over a document of several lines (a GTK text view, a Qt plain-text
// editor), with "Clear the field before typing a value" on as it is by default: every earlier line is still
// there afterwards and the item arrives once, at the caret.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "model/ClipboardItem.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

struct DocumentApp {
    const char *helper;
    // What the helper answers with "text <its text, line breaks as \n>".
    const char *textCommand;
};

class LauncherIntoDocument : public ::testing::TestWithParam<DocumentApp> {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }
};

} // namespace

TEST_P(LauncherIntoDocument, TheDocumentKeepsEveryLineAndGetsTheItemOnce)
{
    const DocumentApp &app = GetParam();
    const QString lines = QStringLiteral("first line\\nsecond line\\nthird line");
    DesktopTest::ChildProcess editor(DesktopTest::helperPath(QString::fromLatin1(app.helper)),
                                     {QStringLiteral("--multi-line"), lines});
    ASSERT_TRUE(editor.waitForLine("ready")) << editor.output().constData();
    const auto documentText = [&] {
        editor.writeLine(app.textCommand);
        const std::optional<QByteArray> line = editor.waitForLine("text ");
        return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
    };
    ASSERT_EQ(documentText(), lines);

    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == editor.pid(), 5000);
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("600")}));
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.start();
    ClipboardHistoryManager &history = delegate.history();
    ASSERT_TRUE(DesktopTest::copyWithXclip(" and the chosen item"));
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == QStringLiteral(" and the chosen item"),
                      5000);
    const ClipboardItem item = history.items().first();

    // The pointer enters the left monitor's notch.
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("756"), QStringLiteral("6")}));
    NotchLauncherWindow *launcher = nullptr;
    TAVLEN_WAIT_UNTIL((launcher = expandedLauncher(delegate)) != nullptr, 3000);
    launcher->selectClipboardItem(item);
    const QString expected = lines + QStringLiteral(" and the chosen item");
    QString text;
    TAVLEN_WAIT_UNTIL((text = documentText()) == expected, 8000) << " the document holds: " << text.toStdString();
    // Nothing arrives later either: no paste follows the typing.
    TAVLEN_WAIT_UNTIL(!launcher->isPerformingSelection(), 5000);
    EXPECT_EQ(documentText(), expected);
    delegate.stop();
}

INSTANTIATE_TEST_SUITE_P(Toolkits, LauncherIntoDocument,
                         ::testing::Values(DocumentApp{"gtk_login_app", "text"}, DocumentApp{"line_edit_app", "dump"}),
                         [](const auto &info) { return std::string(info.param.helper); });
