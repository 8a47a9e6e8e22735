// The clipboard outlives the application that copied: as the session's clipboard manager Tavlen takes
// over what a quitting application hands over, offers the newest copy again when its owner vanishes
// without a word, and leaves alone a copy marked secret or a clipboard cleared on purpose. With "Paste as
// plain text" on, a copy that brings an image stays whole on the clipboard.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "model/SettingsStore.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxPlatform.h"
#include "state/AppState.h"

#include <QImage>
#include <QProcess>

#include <csignal>

namespace {

// Reads the clipboard through xclip while our event loop keeps running (we may be the owner); none when
// nobody owns it or the owner refuses the target.
std::optional<QByteArray> paste(const QString &target)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-o"), QStringLiteral("-t"), target});
    if (!DesktopTest::waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 10000))
        return std::nullopt;
    if (xclip.exitStatus() != QProcess::NormalExit || xclip.exitCode() != 0)
        return std::nullopt;
    return xclip.readAllStandardOutput();
}

// What another application can paste of a Qt owner's copy.
struct Pasted {
    std::optional<QByteArray> text, html, png;
    static Pasted now()
    {
        return {paste(QStringLiteral("UTF8_STRING")), paste(QStringLiteral("text/html")),
                paste(QStringLiteral("image/png"))};
    }
};

QString helper(const char *name)
{
    return DesktopTest::helperPath(QString::fromLatin1(name));
}

struct HandOverCase {
    const char *name;
    QStringList ownerArguments;
};

class HandOverTest : public ::testing::TestWithParam<HandOverCase> {};

// Tavlen in full, its history included, on the real desktop.
class KeptContentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        platform = std::make_unique<LinuxPlatform>();
        LaunchOptions options;
        options.testMode = true; // stores and clipboard only
        delegate = std::make_unique<AppDelegate>(platform->platform(), options);
        delegate->start();
        ASSERT_TRUE(static_cast<LinuxPasteboard *>(platform->platform().pasteboard)->isClipboardManager());
    }
    void TearDown() override
    {
        if (delegate)
            delegate->stop();
    }
    qsizetype historySize() const { return delegate->history().items().size(); }
    QString newestText() const
    {
        return delegate->history().items().isEmpty() ? QString() : delegate->history().items().first().text();
    }
    qint64 changeCount() const { return platform->platform().pasteboard->changeCount(); }

    std::unique_ptr<LinuxPlatform> platform;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

// Only the hand-over can keep the content here: nothing was captured, so nothing else could offer it again.
TEST_P(HandOverTest, AQtApplicationThatQuitsLeavesItsCopyByteForByte)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPasteboard pasteboard;
    ASSERT_TRUE(pasteboard.isClipboardManager());
    DesktopTest::ChildProcess owner(helper("qt_clipboard_owner"), GetParam().ownerArguments);
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    const Pasted before = Pasted::now();
    ASSERT_TRUE(before.text && before.html && before.png);
    ASSERT_GT(before.png->size(), 0);
    const qint64 count = pasteboard.changeCount();

    owner.writeLine("quit");
    EXPECT_EQ(owner.waitForExit(10000), 0);
    const Pasted after = Pasted::now();
    EXPECT_EQ(after.text, before.text);
    EXPECT_EQ(after.html, before.html);
    ASSERT_TRUE(after.png.has_value());
    EXPECT_EQ(after.png->size(), before.png->size());
    EXPECT_TRUE(*after.png == *before.png);
    // Taking over is not a new copy.
    EXPECT_EQ(pasteboard.changeCount(), count);
}

INSTANTIATE_TEST_SUITE_P(
    Owners, HandOverTest,
    ::testing::Values(HandOverCase{"text_html_and_image", {}},
                      // About 5.6 MB of PNG: read in INCR parts from the owner, served in INCR parts again.
                      HandOverCase{"large_image", {QStringLiteral("--text"), QStringLiteral("noise"),
                                                   QStringLiteral("--noise"), QStringLiteral("1400x1000")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HandOver, ASecretCopyIsNotTakenOver)
{
    TAVLEN_REQUIRE_DESKTOP();
    LinuxPasteboard pasteboard;
    DesktopTest::ChildProcess owner(helper("qt_clipboard_owner"),
                                    {QStringLiteral("--text"), QStringLiteral("hunter2"), QStringLiteral("--secret")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(paste(QStringLiteral("UTF8_STRING")) == QByteArray("hunter2"), 5000);
    const qint64 count = pasteboard.changeCount();
    owner.writeLine("quit");
    EXPECT_EQ(owner.waitForExit(10000), 0);
    TAVLEN_WAIT_UNTIL(pasteboard.changeCount() > count, 5000); // the content went with its owner
    EXPECT_EQ(paste(QStringLiteral("UTF8_STRING")), std::nullopt);
}

TEST_F(KeptContentTest, AKilledOwnersTextAndImageAreOfferedAgainFromTheHistory)
{
    DesktopTest::ChildProcess owner(helper("qt_clipboard_owner"), {QStringLiteral("--text"), QStringLiteral("kept")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(newestText() == QStringLiteral("kept"), 5000);
    const Pasted before = Pasted::now();
    ASSERT_TRUE(before.text && before.html && before.png);
    const qsizetype items = historySize();

    ::kill(pid_t(owner.pid()), SIGKILL); // no hand-over: its connection just closes
    EXPECT_EQ(owner.waitForExit(5000), -1);
    TAVLEN_WAIT_UNTIL(paste(QStringLiteral("UTF8_STRING")) == before.text, 5000);
    const Pasted after = Pasted::now();
    EXPECT_EQ(after.html, before.html);
    ASSERT_TRUE(after.png.has_value());
    EXPECT_TRUE(*after.png == *before.png);
    // Offering it again is not a new copy.
    DesktopTest::waitUntil([&] { return historySize() != items; }, 500);
    EXPECT_EQ(historySize(), items);
}

TEST_F(KeptContentTest, PlainTextModeLeavesACopyWithAnImageWhole)
{
    delegate->appState().settings()->update([](UserSettingsData &s) { s.pasteAsPlainText = true; });
    DesktopTest::ChildProcess owner(helper("qt_clipboard_owner"), {QStringLiteral("--text"), QStringLiteral("captioned")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    // Read whole, image included: a rewrite as plain text would have happened by now.
    TAVLEN_WAIT_UNTIL(newestText() == QStringLiteral("captioned") && [&] {
        const std::optional<PasteboardPayload> payload = delegate->history().items().first().payload();
        const PasteboardRepresentation *png =
            payload && !payload->isEmpty() ? payload->items.first().representation(QStringLiteral("image/png")) : nullptr;
        return png && !png->data.isEmpty();
    }(), 5000);
    const Pasted now = Pasted::now();
    EXPECT_EQ(now.text, QByteArray("captioned"));
    ASSERT_TRUE(now.html.has_value());
    EXPECT_FALSE(now.html->isEmpty());
    ASSERT_TRUE(now.png.has_value());
    EXPECT_FALSE(QImage::fromData(*now.png).isNull());
}

struct LeftAloneCase {
    const char *name;
    const char *program;
    QStringList arguments;
    bool kill;       // the owner is killed; otherwise it clears the clipboard itself
    qsizetype kept;  // items the copy added to the history
};

class LeftAloneTest : public KeptContentTest, public ::testing::WithParamInterface<LeftAloneCase> {};

TEST_P(LeftAloneTest, NothingIsBroughtBack)
{
    const LeftAloneCase c = GetParam();
    const qsizetype itemsBefore = historySize(); // the store outlives each test of this program
    DesktopTest::ChildProcess owner(helper(c.program), c.arguments);
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(paste(QStringLiteral("UTF8_STRING")).has_value(), 5000);
    const qint64 count = changeCount();
    if (c.kill)
        ::kill(pid_t(owner.pid()), SIGKILL);
    TAVLEN_WAIT_UNTIL(changeCount() > count, 5000);
    EXPECT_EQ(paste(QStringLiteral("UTF8_STRING")), std::nullopt);
    EXPECT_EQ(historySize() - itemsBefore, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Owners, LeftAloneTest,
    ::testing::Values(
        LeftAloneCase{"secret_copy_of_a_killed_owner", "stalled_clipboard_owner",
                      {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=hunter2"), QStringLiteral("--answer"),
                       QStringLiteral("x-kde-passwordManagerHint=secret")},
                      true, 0},
        LeftAloneCase{"cleared_on_purpose", "stalled_clipboard_owner",
                      {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=short-lived"),
                       QStringLiteral("--clear-after-ms"), QStringLiteral("1500")},
                      false, 1}),
    [](const auto &info) { return std::string(info.param.name); });
