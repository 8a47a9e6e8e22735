// An item chosen in the launcher over a document of several lines (a GTK text view, a Qt plain-text
// editor), with "Clear the field before typing a value" on as it is by default: every earlier line is still
// there afterwards and the item arrives once, at the caret.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/ClipboardItem.h"
#include "model/SettingsStore.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

#include <QRegularExpression>

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

// Super + double-click in a GTK document held in a notebook page, as editors (mousepad, gedit) hold it: the
// launcher opens with that field's values, as it does for Qt's text areas.
TEST(LauncherIntoGtkDocument, SuperDoubleClickOpensTheDocumentsFieldValues)
{
    TAVLEN_REQUIRE_DESKTOP();
    DesktopTest::ChildProcess editor(DesktopTest::helperPath(QStringLiteral("gtk_login_app")),
                                     {QStringLiteral("--multi-line"), QStringLiteral("first line\\nsecond line"),
                                      QStringLiteral("--at"), QStringLiteral("300,300")});
    ASSERT_TRUE(editor.waitForLine("ready")) << editor.output().constData();
    LinuxPlatform platform;
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.appState().settings()->update([](UserSettingsData &s) {
        s.aiEnabled = true;
        s.fieldSuggestionsEnabled = true;
    });
    delegate.start();
    // The middle of the window, in the document, once the window has been placed and Tavlen reads the field
    // there.
    QPointF centre;
    const auto documentFound = [&] {
        const QString window = QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
             QString::number(editor.pid())}).standardOutput).trimmed().section(QLatin1Char('\n'), 0, 0);
        const QString geometry = QString::fromUtf8(DesktopTest::run(QStringLiteral("xdotool"),
            {QStringLiteral("getwindowgeometry"), window}).standardOutput);
        static const QRegularExpression pattern(QStringLiteral("Position: (\\d+),(\\d+).*Geometry: (\\d+)x(\\d+)"),
                                                QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = pattern.match(geometry);
        if (window.isEmpty() || !m.hasMatch())
            return false;
        centre = QPointF(m.captured(1).toInt() + m.captured(3).toInt() / 2, m.captured(2).toInt() + m.captured(4).toInt() / 2);
        const std::optional<ClipboardPasteTarget> target
            = delegate.appState().focusedFieldSuggestions()->pasteTarget(centre);
        return target && target->field;
    };
    TAVLEN_WAIT_UNTIL(documentFound(), 10000);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                      QString::number(int(centre.x())), QString::number(int(centre.y()))}));
    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("keydown"), QStringLiteral("super"), QStringLiteral("click"),
                                      QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                                      QStringLiteral("80"), QStringLiteral("1"), QStringLiteral("keyup"),
                                      QStringLiteral("super")}));
    const auto withFieldContext = [&] {
        NotchLauncherService *launchers = delegate.launcherService();
        for (NotchLauncherWindow *window : launchers->windows().values() + launchers->fieldWindows().values()) {
            if (window->isExpanded() && window->viewModel()->aiContext())
                return true;
        }
        return false;
    };
    TAVLEN_WAIT_UNTIL(withFieldContext(), 10000);
    delegate.stop();
}
