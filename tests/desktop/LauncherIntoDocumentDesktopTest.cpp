// An item chosen in the launcher over a document of several lines (a GTK text view, a Qt plain-text
// editor), with "Clear the field before typing a value" on as it is by default: every earlier line is still
// there afterwards and the item arrives once, at the caret. A Super + double-click on a word of such a document
// leaves the word as it was.

#include "DesktopTest.h"
#include "ExpandedLauncher.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "fields/views/NotchAIContext.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"
#include "launcher/panel/NotchLauncherView.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/ClipboardItem.h"
#include "model/SettingsStore.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

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

// Super + double-click on a word of a document, in a GTK text view held in a notebook page as editors
// (mousepad, gedit) hold it and in a Qt plain-text editor: the window that opens offers the document's
// field values (field suggestions on) or the clipboard history, the word stays as it was, and the chosen
// value goes in at the caret the first click placed. Keys typed while the window opens land in the
// document, or in the window's search field once it has the keyboard; none is lost.
namespace {

struct WordClick {
    const char *name;
    const char *helper;
    const char *textCommand;
    bool fieldSuggestions;
    const char *typedWhileOpening;
};

void PrintTo(const WordClick &row, std::ostream *out)
{
    *out << row.name;
}

class SuperDoubleClickOnAWord : public ::testing::TestWithParam<WordClick> {
protected:
    void SetUp() override { TAVLEN_REQUIRE_DESKTOP(); }
};

} // namespace

TEST_P(SuperDoubleClickOnAWord, TheWordStaysAndTheChoiceGoesInAtTheCaret)
{
    const WordClick &row = GetParam();
    const QString original = QStringLiteral("alpha beta gamma");
    const qsizetype word = original.indexOf(QStringLiteral("beta"));
    DesktopTest::ChildProcess editor(DesktopTest::helperPath(QString::fromLatin1(row.helper)),
                                     {QStringLiteral("--multi-line"), original});
    ASSERT_TRUE(editor.waitForLine("ready")) << editor.output().constData();
    const auto documentText = [&] {
        editor.writeLine(row.textCommand);
        const std::optional<QByteArray> line = editor.waitForLine("text ");
        return line ? QString::fromUtf8(line->mid(5)) : QStringLiteral("<no answer>");
    };
    LinuxPlatform platform;
    Workspace &workspace = *platform.platform().workspace;
    TAVLEN_WAIT_UNTIL(workspace.frontmostApplication() && workspace.frontmostApplication()->pid == editor.pid(), 5000);
    AppDelegate delegate(platform.platform(), LaunchOptions{});
    delegate.appState().settings()->update([&](UserSettingsData &s) {
        s.aiEnabled = row.fieldSuggestions;
        s.fieldSuggestionsEnabled = row.fieldSuggestions;
    });
    delegate.start();
    ClipboardHistoryManager &history = delegate.history();
    const QString copied = QStringLiteral("PASTED");
    ASSERT_TRUE(DesktopTest::copyWithXclip(copied.toUtf8()));
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == copied, 5000);

    // The middle of the word's third letter, once the window has been placed and Tavlen reads the document
    // there.
    QPoint click;
    const auto wordFound = [&] {
        editor.writeLine("where " + QByteArray::number(word + 2));
        const std::optional<QByteArray> line = editor.waitForLine("at ");
        const QList<QByteArray> parts = line ? line->trimmed().split(' ') : QList<QByteArray>();
        if (parts.size() != 3)
            return false;
        click = QPoint(parts[1].toInt(), parts[2].toInt());
        const std::optional<ClipboardPasteTarget> target
            = delegate.appState().focusedFieldSuggestions()->pasteTarget(click);
        return target && target->field;
    };
    TAVLEN_WAIT_UNTIL(wordFound(), 10000);
    TAVLEN_WAIT_UNTIL(platform.platform().eventMonitors->holdsBackSuperDoubleClicks(), 5000);

    ASSERT_TRUE(DesktopTest::xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                      QString::number(click.x()), QString::number(click.y())}));
    QStringList gesture{QStringLiteral("keydown"), QStringLiteral("super"), QStringLiteral("click"),
                        QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
                        QStringLiteral("80"), QStringLiteral("1"), QStringLiteral("keyup"), QStringLiteral("super")};
    const QString typed = QString::fromLatin1(row.typedWhileOpening);
    if (!typed.isEmpty())
        gesture << QStringLiteral("type") << QStringLiteral("--delay") << QStringLiteral("40") << typed;
    // Tavlen goes on meanwhile, as it would while a person types.
    DesktopTest::ChildProcess person(QStringLiteral("xdotool"), gesture);
    TAVLEN_WAIT_UNTIL(!person.isRunning(), 10000);

    NotchLauncherWindow *window = nullptr;
    const auto opened = [&]() -> NotchLauncherWindow * {
        for (NotchLauncherWindow *w : delegate.launcherService()->fieldWindows()) {
            if (w->isExpanded() && (!row.fieldSuggestions || w->viewModel()->aiContext()))
                return w;
        }
        return nullptr;
    };
    TAVLEN_WAIT_UNTIL((window = opened()) != nullptr, 10000);
    // Whatever did not reach the document went to the window's search field.
    QString searched;
    const auto allTypedArrived = [&] {
        const QString text = documentText();
        searched = row.fieldSuggestions ? window->viewModel()->aiSearchQuery() : window->view()->clipboardSearchQuery();
        qsizetype inDocument = 0;
        while (inDocument < typed.size() && text.contains(typed.left(inDocument + 1)))
            ++inDocument;
        return typed.mid(inDocument) == searched;
    };
    TAVLEN_WAIT_UNTIL(allTypedArrived(), 5000) << " the document holds: " << documentText().toStdString()
                                               << ", the search field: " << searched.toStdString();
    const QString inDocument = typed.left(typed.size() - searched.size());
    // A field's values leave the keyboard with the document.
    if (row.fieldSuggestions) {
        EXPECT_EQ(inDocument.toStdString(), typed.toStdString());
    }

    QString value;
    if (row.fieldSuggestions) {
        const NotchAIContext &context = *window->viewModel()->aiContext();
        ASSERT_FALSE(context.randomSuggestions.isEmpty());
        value = context.randomSuggestions.first().value;
        window->selectAISuggestion(context.randomSuggestions.first());
    } else {
        value = copied;
        window->selectClipboardItem(history.items().first());
    }
    QString text;
    TAVLEN_WAIT_UNTIL((text = documentText()).contains(value), 8000) << " the document holds: " << text.toStdString();
    // The text as it was, with the keys typed into the document and then the value at one place inside the
    // word.
    const qsizetype at = text.indexOf(inDocument + value);
    ASSERT_GE(at, word) << text.toStdString();
    ASSERT_LE(at, word + 4) << text.toStdString();
    EXPECT_EQ(text.toStdString(), (original.left(at) + inDocument + value + original.mid(at)).toStdString());
    delegate.stop();
}

INSTANTIATE_TEST_SUITE_P(
    Toolkits, SuperDoubleClickOnAWord,
    ::testing::Values(WordClick{"GtkFieldValues", "gtk_login_app", "text", true, ""},
                      WordClick{"QtFieldValues", "line_edit_app", "dump", true, ""},
                      WordClick{"GtkClipboard", "gtk_login_app", "text", false, ""},
                      WordClick{"QtClipboard", "line_edit_app", "dump", false, ""},
                      WordClick{"GtkFieldValuesKeysWhileOpening", "gtk_login_app", "text", true, "q1w2e3r4t5"},
                      WordClick{"QtFieldValuesKeysWhileOpening", "line_edit_app", "dump", true, "q1w2e3r4t5"},
                      WordClick{"GtkClipboardKeysWhileOpening", "gtk_login_app", "text", false, "q1w2e3r4t5"},
                      WordClick{"QtClipboardKeysWhileOpening", "line_edit_app", "dump", false, "q1w2e3r4t5"}),
    [](const auto &info) { return std::string(info.param.name); });
