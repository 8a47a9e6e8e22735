// A program that rewrites the clipboard 500 times a second on the real desktop: the copies made
// before it all stay, and its own copies replace each other instead of filling the history.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "clipboard/ClipboardStormDetector.h"
#include "model/ClipboardItem.h"
#include "platform/linux/LinuxPlatform.h"

TEST(ClipboardStorm, AnOwnerLoopingForTenSecondsAddsNothingOnceRecognisedAndLeavesEveryEarlierCopy)
{
    TAVLEN_REQUIRE_DESKTOP();
    constexpr int earlier = 20;
    constexpr int churn = 5000; // 2 ms apart

    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true; // the history only
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    const ClipboardHistoryManager &history = delegate.history();
    const auto textsStartingWith = [&history](const QString &prefix) {
        QStringList texts;
        for (const ClipboardItem &item : history.items())
            if (item.text().startsWith(prefix))
                texts.append(item.text());
        return texts;
    };

    {
        DesktopTest::ChildProcess copier(DesktopTest::helperPath(QStringLiteral("clipboard_copier")),
                                         {QStringLiteral("--count"), QString::number(earlier), QStringLiteral("--interval-ms"),
                                          QStringLiteral("200"), QStringLiteral("--prefix"), QStringLiteral("earlier ")});
        ASSERT_TRUE(copier.waitForLine("done", 30000)) << copier.output().constData();
        TAVLEN_WAIT_UNTIL(textsStartingWith(QStringLiteral("earlier ")).size() == earlier, 5000);
    }

    DesktopTest::ChildProcess looper(DesktopTest::helperPath(QStringLiteral("clipboard_copier")),
                                     {QStringLiteral("--count"), QString::number(churn), QStringLiteral("--interval-ms"),
                                      QStringLiteral("2"), QStringLiteral("--prefix"), QStringLiteral("churn "),
                                      QStringLiteral("--one-window"), QStringLiteral("1")});
    ASSERT_TRUE(looper.waitForLine("done", 120000)) << looper.output().right(2000).constData();
    // Its last copy arrives once it has been quiet for a moment.
    TAVLEN_WAIT_UNTIL(!history.items().isEmpty()
                          && history.items().first().text() == QStringLiteral("churn %1").arg(churn),
                      5000);

    QStringList missing;
    const QStringList kept = textsStartingWith(QStringLiteral("earlier "));
    for (int i = 1; i <= earlier; ++i)
        if (!kept.contains(QStringLiteral("earlier %1").arg(i)))
            missing.append(QString::number(i));
    EXPECT_TRUE(missing.isEmpty()) << "earlier copies lost: " << missing.join(QStringLiteral(", ")).toStdString();
    // Recognised by its 200th change at the latest (a few more may be read meanwhile), it adds nothing after:
    // its newest copy replaces the one before.
    const QStringList churned = textsStartingWith(QStringLiteral("churn "));
    QStringList late;
    for (const QString &text : churned.mid(1))
        if (text.section(QLatin1Char(' '), 1).toInt() > ClipboardStormDetector::stormChangeCount + 20)
            late.append(text);
    EXPECT_TRUE(late.isEmpty()) << "added after it was recognised: " << late.join(QStringLiteral(", ")).toStdString();
    const qsizetype churnItems = churned.size();
    std::printf("%d changes in a storm left %d items; %d of %d earlier copies kept\n", churn, int(churnItems),
                int(kept.size()), earlier);
    delegate.stop();
}
