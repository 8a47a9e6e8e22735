// Programs rewriting the clipboard in a loop on the real desktop: their copies replace each other instead
// of filling the history, and never take copies of another window or copies made at a person's pace.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardStormDetector.h"
#include "model/ClipboardItem.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

QStringList textsStartingWith(const ClipboardHistoryManager &history, const QString &prefix)
{
    QStringList texts;
    for (const ClipboardItem &item : history.items())
        if (item.text().startsWith(prefix))
            texts.append(item.text());
    return texts;
}

// Which of "<prefix><first>" to "<prefix><last>" the history lacks.
QStringList missingOf(const ClipboardHistoryManager &history, const QString &prefix, int first, int last)
{
    const QStringList kept = textsStartingWith(history, prefix);
    QStringList missing;
    for (int i = first; i <= last; ++i)
        if (!kept.contains(prefix + QString::number(i)))
            missing.append(QString::number(i));
    return missing;
}

std::unique_ptr<DesktopTest::ChildProcess> copier(const QString &prefix, int count, int intervalMs,
                                                  const QStringList &more = {})
{
    return std::make_unique<DesktopTest::ChildProcess>(
        DesktopTest::helperPath(QStringLiteral("clipboard_copier")),
        QStringList{QStringLiteral("--count"), QString::number(count), QStringLiteral("--interval-ms"),
                    QString::number(intervalMs), QStringLiteral("--prefix"), prefix}
            + more);
}

// One window copies `churn` times `intervalMs` apart on a steady beat after 20 copies of other windows:
// every earlier copy stays, and the loop leaves a few dozen items at most.
void loopAfterEarlierCopies(int churn, int intervalMs)
{
    constexpr int earlier = 20;
    const QString earlierPrefix = QStringLiteral("earlier %1 ").arg(intervalMs);
    const QString churnPrefix = QStringLiteral("churn %1 ").arg(intervalMs);

    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true; // the history only
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    const ClipboardHistoryManager &history = delegate.history();

    {
        const auto earlierCopier = copier(earlierPrefix, earlier, 200);
        ASSERT_TRUE(earlierCopier->waitForLine("done", 30000)) << earlierCopier->output().constData();
        TAVLEN_WAIT_UNTIL(missingOf(history, earlierPrefix, 1, earlier).isEmpty(), 5000);
    }

    const auto looper = copier(churnPrefix, churn, intervalMs,
                               {QStringLiteral("--one-window"), QStringLiteral("1"), QStringLiteral("--steady"),
                                QStringLiteral("1")});
    ASSERT_TRUE(looper->waitForLine("done", 120000)) << looper->output().right(2000).constData();
    // Its last copy arrives once it has been quiet for a moment.
    const QString last = churnPrefix + QString::number(churn);
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == last, 5000);

    const QStringList missing = missingOf(history, earlierPrefix, 1, earlier);
    EXPECT_TRUE(missing.isEmpty()) << "earlier copies lost: " << missing.join(QStringLiteral(", ")).toStdString();
    // Recognised within half a second of reaching a storm's rate, it adds nothing after, also where its pace
    // wavers around that rate: its newest copy replaces the one before.
    const QStringList churned = textsStartingWith(history, churnPrefix);
    EXPECT_LE(churned.size(), ClipboardStormDetector::beginChangeCount)
        << churned.join(QStringLiteral(", ")).toStdString();
    std::printf("%d changes %d ms apart left %d items\n", churn, intervalMs, int(churned.size()));
    delegate.stop();
}

} // namespace

TEST(ClipboardStorm, AnOwnerLoopingForTenSecondsLeavesAFewItemsAndEveryEarlierCopy)
{
    TAVLEN_REQUIRE_DESKTOP();
    loopAfterEarlierCopies(5000, 2);
}

TEST(ClipboardStorm, AnOwnerCopyingEveryTenMillisecondsForTwentySecondsLeavesAFewItems)
{
    TAVLEN_REQUIRE_DESKTOP();
    loopAfterEarlierCopies(2000, 10);
}

// xclip forks away from its connection after each copy: a shell loop of it is a new owner that cannot be
// named at every copy. Those owners count as one storm, which never takes another window's copies. (Two
// loops keep the rate a storm's on a loaded machine. A copy the loop overwrites before it can be read is
// gone from the clipboard for any reader: what matters is each copy of the other window that was read.)
TEST(ClipboardStorm, AnXclipLoopIsFoldedAndTheCopiesOfAnotherWindowMeanwhileAreAllKept)
{
    TAVLEN_REQUIRE_DESKTOP();
    constexpr int personCopies = 20;

    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true;
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    const ClipboardHistoryManager &history = delegate.history();

    DesktopTest::ChildProcess loops(
        QStringLiteral("bash"),
        {QStringLiteral("-c"),
         QStringLiteral("loop() { end=$((SECONDS + 8)); i=0; while [ $SECONDS -lt $end ]; do i=$((i + 1)); "
                        "echo \"loop $1 $i\" | xclip -i -selection clipboard; done; echo \"done $i\"; }; "
                        "loop a & loop b & wait")});
    TAVLEN_WAIT_UNTIL(!textsStartingWith(history, QStringLiteral("loop ")).isEmpty(), 5000);
    const auto person = copier(QStringLiteral("person "), personCopies, 300, {QStringLiteral("--linger-ms"), QStringLiteral("0")});
    ASSERT_TRUE(person->waitForLine("done", 30000)) << person->output().constData();
    int loopCopies = 0;
    for (int loop = 0; loop < 2; ++loop) {
        const std::optional<QByteArray> done = loops.waitForLine("done", 30000);
        ASSERT_TRUE(done) << loops.output().right(2000).constData();
        loopCopies += done->split(' ').value(1).toInt();
    }
    QStringList read;
    for (const QByteArray &line : person->output().split('\n'))
        if (line.startsWith("read ") && line.contains(" UTF8_STRING "))
            read.append(QStringLiteral("person ") + QString::fromLatin1(line.split(' ').value(1)));
    read.removeDuplicates();
    const auto missing = [&] {
        QStringList lost = read;
        for (const QString &text : textsStartingWith(history, QStringLiteral("person ")))
            lost.removeAll(text);
        return lost;
    };
    DesktopTest::waitUntil([&] { return missing().isEmpty(); }, 5000);

    EXPECT_TRUE(missing().isEmpty()) << "copies of the other window read and lost: "
                                     << missing().join(QStringLiteral(", ")).toStdString();
    const qsizetype loopItems = textsStartingWith(history, QStringLiteral("loop ")).size();
    EXPECT_LT(loopItems, loopCopies / 4) << loopCopies << " copies";
    std::printf("xclip loops of %d copies left %d items; %d copies of another window read, %d kept\n", loopCopies,
                int(loopItems), int(read.size()), int(read.size() - missing().size()));
    delegate.stop();
}

// Once a storm's rate falls, the same window's copies at a person's pace are copies of their own again.
TEST(ClipboardStorm, CopiesAtAPersonsPaceAfterAStormFromTheSameWindowAreAllKept)
{
    TAVLEN_REQUIRE_DESKTOP();
    constexpr int burst = 300;
    constexpr int paced = 10;

    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true;
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    const ClipboardHistoryManager &history = delegate.history();

    const auto window = copier(QStringLiteral("copy "), burst, 5,
                               {QStringLiteral("--then-count"), QString::number(paced),
                                QStringLiteral("--then-interval-ms"), QStringLiteral("800"),
                                QStringLiteral("--one-window"), QStringLiteral("1")});
    ASSERT_TRUE(window->waitForLine("done", 60000)) << window->output().right(2000).constData();
    const QString last = QStringLiteral("copy %1").arg(burst + paced);
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty() && history.items().first().text() == last, 5000);

    const QStringList missing = missingOf(history, QStringLiteral("copy "), burst + 1, burst + paced);
    const QStringList kept = textsStartingWith(history, QStringLiteral("copy "));
    EXPECT_TRUE(missing.isEmpty()) << "copies at a person's pace lost: " << missing.join(QStringLiteral(", ")).toStdString();
    std::printf("%d copies 5 ms apart, then %d 0.8 s apart: %d items, %d of the %d kept\n", burst, paced,
                int(kept.size()), paced - int(missing.size()), paced);
    delegate.stop();
}
