// The X11 pasteboard against real clipboard owners: xclip copies read with the right kind and bytes, data
// of the wrong type is not taken for text, an owner that never answers costs one timeout without blocking
// the event loop, an owner that quits mid-read leaves what was read, and our own writes are served to
// others but not captured.

#include "DesktopTest.h"

#include "clipboard/PasteboardManager.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/SystemClock.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

namespace {

// xclip serves the selection in the background until another owner takes it.
bool xclipCopy(const QByteArray &data, const QString &target = {})
{
    QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")};
    if (!target.isEmpty())
        arguments << QStringLiteral("-t") << target;
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), arguments);
    if (!xclip.waitForStarted(3000))
        return false;
    xclip.write(data);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(3000) && xclip.exitCode() == 0;
}

// Reads the clipboard through xclip while our event loop keeps running (we may be the owner).
std::optional<QByteArray> xclipPaste(const QString &target)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-o"), QStringLiteral("-t"), target});
    if (!DesktopTest::waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 5000))
        return std::nullopt;
    if (xclip.exitCode() != 0)
        return std::nullopt;
    return xclip.readAllStandardOutput();
}

QByteArray pngBytes(int width, int height, bool noisy = false)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    if (noisy) {
        QRandomGenerator random(7);
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = random.generate() | 0xff000000u;
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

Task<> fetchTypes(Pasteboard *pasteboard, std::optional<PasteboardItemTypes> *out)
{
    *out = co_await pasteboard->itemTypes();
}

Task<> fetchRead(Pasteboard *pasteboard, QString type, qint64 maxBytes, std::optional<PasteboardRead> *out)
{
    *out = co_await pasteboard->read(0, type, maxBytes);
}

class PasteboardDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAVLEN_REQUIRE_DESKTOP();
        pasteboard = std::make_unique<LinuxPasteboard>();
        ASSERT_TRUE(pasteboard->isAvailable());
        manager = std::make_unique<PasteboardManager>(clock, *pasteboard, nullptr);
        QObject::connect(manager.get(), &PasteboardManager::captured, [this](const ClipboardCapture &c) {
            captures.append(c);
            captureMs.append(sinceCopy.elapsed());
        });
        QObject::connect(manager.get(), &PasteboardManager::captureReplaced,
                         [this](const ClipboardCapture &c) { replacements.append(c); });
    }

    // Starts the poll after the current content was taken, so that the next copy is the one under test.
    void startWatching()
    {
        manager->setApplicationActive(true);
        manager->start();
        DesktopTest::waitUntil([] { return false; }, 300);
        captures.clear();
        captureMs.clear();
        sinceCopy.start();
    }

    const PasteboardRepresentation *rep(const ClipboardCapture &capture, const QString &type)
    {
        return capture.payload.items.isEmpty() ? nullptr : capture.payload.items[0].representation(type);
    }

    SystemClock clock;
    std::unique_ptr<LinuxPasteboard> pasteboard;
    std::unique_ptr<PasteboardManager> manager;
    QList<ClipboardCapture> captures;
    QList<qint64> captureMs;
    QList<ClipboardCapture> replacements;
    QElapsedTimer sinceCopy;
};

} // namespace

TEST_F(PasteboardDesktopTest, TextCopiedByAnotherProcessIsCapturedAsText)
{
    startWatching();
    const QByteArray text = "Zażółć gęślą jaźń – \"quoted\"\nsecond line";
    const qint64 before = pasteboard->changeCount();
    sinceCopy.start();
    ASSERT_TRUE(xclipCopy(text));
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_GT(pasteboard->changeCount(), before);
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    EXPECT_EQ(captures[0].text, QString::fromUtf8(text));
    const PasteboardRepresentation *plain = rep(captures[0], PasteboardType::plainText);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->data, text);
    // One plain-text representation, not one per X11 text alias; no meta targets.
    EXPECT_EQ(captures[0].payload.types(), QStringList{PasteboardType::plainText});
    std::printf("text capture %lld ms after the copy\n", captureMs[0]);
}

TEST_F(PasteboardDesktopTest, PngCopiedByAnotherProcessIsCapturedAsImageWithItsBytes)
{
    startWatching();
    const QByteArray png = pngBytes(64, 48);
    ASSERT_TRUE(xclipCopy(png, QStringLiteral("image/png")));
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].type, ClipboardItemType::image);
    EXPECT_EQ(captures[0].imageData, png);
    EXPECT_EQ(captures[0].payload.types(), QStringList{PasteboardType::png});
}

TEST_F(PasteboardDesktopTest, LargeDataArrivesIncrementally)
{
    startWatching();
    const QByteArray png = pngBytes(1400, 1000, true); // about 5.6 MB: xclip sends it in INCR chunks
    ASSERT_GT(png.size(), 4'000'000);
    sinceCopy.start();
    ASSERT_TRUE(xclipCopy(png, QStringLiteral("image/png")));
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 10000);
    EXPECT_EQ(captures[0].imageData.size(), png.size());
    EXPECT_TRUE(captures[0].imageData == png);
    std::printf("%lld-byte PNG captured %lld ms after the copy\n", qint64(png.size()), captureMs[0]);
}

TEST_F(PasteboardDesktopTest, DataOverTheLimitIsNotTransferred)
{
    const QByteArray png = pngBytes(1400, 1000, true);
    ASSERT_TRUE(xclipCopy(png, QStringLiteral("image/png")));
    TAVLEN_WAIT_UNTIL(pasteboard->changeCount() > 0, 2000);
    std::optional<PasteboardItemTypes> types;
    fetchTypes(pasteboard.get(), &types);
    TAVLEN_WAIT_UNTIL(types.has_value(), 3000);
    std::optional<PasteboardRead> read;
    fetchRead(pasteboard.get(), PasteboardType::png, 1'000'000, &read);
    TAVLEN_WAIT_UNTIL(read.has_value(), 3000);
    EXPECT_EQ(read->status, PasteboardRead::Status::overLimit);
    EXPECT_TRUE(read->data.isEmpty());
    EXPECT_GE(read->byteCount, 1'000'000);
}

// As pcmanfm writes it: CR LF between the URIs, a NUL after the last one.
TEST_F(PasteboardDesktopTest, AFileListIsCapturedAsFiles)
{
    startWatching();
    const QByteArray list = QByteArrayLiteral("file:///tmp/one%20file.txt\r\nfile:///tmp/two.png") + '\0';
    ASSERT_TRUE(xclipCopy(list, QStringLiteral("text/uri-list")));
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].type, ClipboardItemType::file);
    EXPECT_EQ(captures[0].filePaths, (QStringList{QStringLiteral("/tmp/one file.txt"), QStringLiteral("/tmp/two.png")}));
}

TEST_F(PasteboardDesktopTest, AnOwnerThatNeverAnswersCostsOneTimeoutWithoutBlocking)
{
    startWatching();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("stalled_clipboard_owner")),
                                    {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=still here"),
                                     QStringLiteral("--stall"), QStringLiteral("text/html"),
                                     QStringLiteral("--stall"), QStringLiteral("application/x-slow")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    sinceCopy.start();
    const int ticksAtCopy = ticks;
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    const int ticksDuringCapture = ticks - ticksAtCopy;
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    EXPECT_EQ(captures[0].text, QStringLiteral("still here"));
    const PasteboardRepresentation *html = rep(captures[0], PasteboardType::html);
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->omissionReason, OmissionReason::unavailable);
    const PasteboardRepresentation *slow = rep(captures[0], QStringLiteral("application/x-slow"));
    ASSERT_NE(slow, nullptr);
    EXPECT_EQ(slow->omissionReason, OmissionReason::unavailable);
    // About one timeout (0.5 s) after the copy, not one per stalled format; the event loop kept turning.
    EXPECT_GE(captureMs[0], 450);
    EXPECT_LT(captureMs[0], 1000);
    EXPECT_GT(ticksDuringCapture, 25);
    std::printf("stalled owner: capture after %lld ms, %d timer ticks of 10 ms meanwhile\n", captureMs[0],
                ticksDuringCapture);
    // The re-reads try again and give up the same way; nothing richer appears.
    DesktopTest::waitUntil([] { return false; }, 2000);
    EXPECT_TRUE(replacements.isEmpty());
}

TEST_F(PasteboardDesktopTest, DataOfTheWrongTypeIsUnreadable)
{
    startWatching();
    // UTF8_STRING answered as INTEGER/32 is no text; the next text target is read instead.
    DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("stalled_clipboard_owner")),
                                    {QStringLiteral("--integer"), QStringLiteral("UTF8_STRING"),
                                     QStringLiteral("--answer"), QStringLiteral("text/plain=plain words")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    EXPECT_EQ(captures[0].text, QStringLiteral("plain words"));
}

TEST_F(PasteboardDesktopTest, AnAnswerThatComesJustAfterTheNextCopyIsKept)
{
    startWatching();
    // Replaced by the next copy while it answers, the owner still hands over its own copy's text.
    DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("stalled_clipboard_owner")),
                                    {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=answered as it was replaced"),
                                     QStringLiteral("--hand-over-before"), QStringLiteral("UTF8_STRING")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].text, QStringLiteral("answered as it was replaced"));
}

TEST_F(PasteboardDesktopTest, AnOwnerThatQuitsMidReadLeavesWhatWasRead)
{
    startWatching();
    DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("stalled_clipboard_owner")),
                                    {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=read in time"),
                                     QStringLiteral("--exit-on"), QStringLiteral("text/html")});
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    sinceCopy.start();
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].text, QStringLiteral("read in time"));
    const PasteboardRepresentation *html = rep(captures[0], PasteboardType::html);
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(html->omissionReason, OmissionReason::unavailable);
    // The owner's disappearance ends the wait before the timeout.
    EXPECT_LT(captureMs[0], 450);
    std::printf("owner quit mid-read: capture after %lld ms\n", captureMs[0]);
    EXPECT_EQ(owner.waitForExit(2000), 0);
}

TEST_F(PasteboardDesktopTest, OurWritesReachOtherApplicationsButAreNotCaptured)
{
    startWatching();
    const qint64 count = manager->writePlainText(QStringLiteral("written by us ✓"));
    EXPECT_EQ(pasteboard->changeCount(), count);
    EXPECT_EQ(xclipPaste(QStringLiteral("UTF8_STRING")), QByteArray("written by us ✓"));
    // Every reader finds a text target it knows.
    const QList<QByteArray> offered = xclipPaste(QStringLiteral("TARGETS")).value_or(QByteArray()).split('\n');
    for (const QByteArray target : {"UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT", "TIMESTAMP", "TARGETS"})
        EXPECT_TRUE(offered.contains(target)) << target.constData();
    EXPECT_EQ(xclipPaste(QStringLiteral("text/plain;charset=utf-8")), QByteArray("written by us ✓"));

    PasteboardPayload payload;
    payload.items.append({{{PasteboardType::plainText, "plain", 5, std::nullopt},
                           {PasteboardType::html, "<b>rich</b>", 11, std::nullopt},
                           {PasteboardType::png, {}, 0, OmissionReason::unavailable}}});
    const qint64 second = manager->writeItems(payload);
    EXPECT_GT(second, count);
    EXPECT_EQ(xclipPaste(QStringLiteral("text/html")), QByteArray("<b>rich</b>"));
    EXPECT_EQ(xclipPaste(QStringLiteral("UTF8_STRING")), QByteArray("plain"));
    DesktopTest::waitUntil([] { return false; }, 500);
    EXPECT_EQ(pasteboard->changeCount(), second);
    EXPECT_TRUE(captures.isEmpty());

    // The next copy by someone else is captured again.
    ASSERT_TRUE(xclipCopy("theirs"));
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    EXPECT_EQ(captures[0].text, QStringLiteral("theirs"));
}

TEST_F(PasteboardDesktopTest, AnIdenticalRecopyAndTheOwnerQuittingMoveTheCount)
{
    ASSERT_TRUE(xclipCopy("same"));
    TAVLEN_WAIT_UNTIL(pasteboard->changeCount() > 0, 2000);
    qint64 count = pasteboard->changeCount();
    ASSERT_TRUE(xclipCopy("same"));
    TAVLEN_WAIT_UNTIL(pasteboard->changeCount() > count, 2000);
    count = pasteboard->changeCount();
    {
        DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("stalled_clipboard_owner")),
                                        {QStringLiteral("--answer"), QStringLiteral("UTF8_STRING=x")});
        ASSERT_TRUE(owner.waitForLine("ready"));
        TAVLEN_WAIT_UNTIL(pasteboard->changeCount() > count, 2000);
        count = pasteboard->changeCount();
    }
    // The owner is gone, and the content with it.
    TAVLEN_WAIT_UNTIL(pasteboard->changeCount() > count, 3000);
    std::optional<PasteboardItemTypes> types;
    fetchTypes(pasteboard.get(), &types);
    TAVLEN_WAIT_UNTIL(types.has_value(), 3000);
    EXPECT_TRUE(types->answered);
    EXPECT_TRUE(types->items.isEmpty());
}

TEST_F(PasteboardDesktopTest, AQtOwnerIsReadOncePerMeaning)
{
    startWatching();
    DesktopTest::ChildProcess owner(DesktopTest::helperPath(QStringLiteral("qt_clipboard_owner")));
    ASSERT_TRUE(owner.waitForLine("ready")) << owner.output().constData();
    TAVLEN_WAIT_UNTIL(!captures.isEmpty(), 3000);
    // Of its twenty-odd targets: one text, the HTML and one image, not every format Qt can convert to.
    EXPECT_EQ(captures[0].payload.types(),
              (QStringList{PasteboardType::plainText, PasteboardType::html, PasteboardType::png}));
    EXPECT_EQ(captures[0].type, ClipboardItemType::text);
    EXPECT_EQ(captures[0].text, QStringLiteral("caption"));
    const PasteboardRepresentation *png = rep(captures[0], PasteboardType::png);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(QImage::fromData(png->data, "PNG").size(), QSize(320, 200));
    EXPECT_FALSE(PasteboardManager::looksIncomplete(captures[0].payload));
    std::printf("Qt owner: capture %lld ms after its start\n", captureMs[0]);
}

TEST_F(PasteboardDesktopTest, WithoutSelectionEventsANewOwnerIsFoundByThePoll)
{
    EXPECT_TRUE(pasteboard->notifiesChanges());
    LinuxPasteboard polled(nullptr, LinuxPasteboard::ChangeSource::ownerWindow);
    ASSERT_TRUE(polled.isAvailable());
    EXPECT_FALSE(polled.notifiesChanges());
    PasteboardManager pollingManager(clock, polled, nullptr);
    QList<ClipboardCapture> polledCaptures;
    QObject::connect(&pollingManager, &PasteboardManager::captured,
                     [&](const ClipboardCapture &c) { polledCaptures.append(c); });
    pollingManager.start();
    const qint64 before = polled.changeCount();
    ASSERT_TRUE(xclipCopy("found by the poll"));
    TAVLEN_WAIT_UNTIL(!polledCaptures.isEmpty(), 3000);
    EXPECT_EQ(polledCaptures.last().text, QStringLiteral("found by the poll"));
    EXPECT_GT(polled.changeCount(), before);
    // Our own write moves the count once and is not captured.
    const qint64 written = pollingManager.writePlainText(QStringLiteral("ours"));
    DesktopTest::waitUntil([] { return false; }, 400);
    EXPECT_EQ(polled.changeCount(), written);
    EXPECT_EQ(polledCaptures.size(), 1);
}
