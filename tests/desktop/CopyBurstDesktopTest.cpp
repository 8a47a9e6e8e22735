// Copies in quick succession on the real desktop: every one of them reaches the history, in order.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "model/ClipboardItem.h"
#include "platform/linux/LinuxPlatform.h"

#include <algorithm>

TEST(CopyBurst, ThreeHundredCopiesATenthOfASecondApartAreAllKeptInOrder)
{
    TAVLEN_REQUIRE_DESKTOP();
    constexpr int copies = 300;

    LinuxPlatform platform;
    LaunchOptions options;
    options.testMode = true; // the history only
    AppDelegate delegate(platform.platform(), options);
    delegate.start();
    const ClipboardHistoryManager &history = delegate.history();

    DesktopTest::ChildProcess copier(DesktopTest::helperPath(QStringLiteral("clipboard_copier")),
                                     {QStringLiteral("--count"), QString::number(copies), QStringLiteral("--interval-ms"),
                                      QStringLiteral("100")});
    ASSERT_TRUE(copier.waitForLine("done", 3 * copies * 100)) << copier.output().constData();
    DesktopTest::waitUntil([&] { return history.items().size() >= copies; }, 5000);

    QStringList kept;
    for (const ClipboardItem &item : history.items())
        kept.prepend(item.text());
    QStringList expected;
    for (int i = 1; i <= copies; ++i)
        expected.append(QStringLiteral("copy %1").arg(i));
    QStringList missing;
    for (const QString &text : std::as_const(expected))
        if (!kept.contains(text))
            missing.append(text);
    EXPECT_EQ(kept.size(), copies) << "missing: " << missing.join(QStringLiteral(", ")).toStdString();
    const auto firstOutOfOrder = std::mismatch(kept.begin(), kept.end(), expected.begin(), expected.end());
    EXPECT_TRUE(missing.isEmpty() && firstOutOfOrder.first == kept.end())
        << "order differs at \"" << (firstOutOfOrder.first == kept.end() ? "" : firstOutOfOrder.first->toStdString())
        << "\"";

    // How soon each copy was read, as the copier saw it.
    QList<double> readMs;
    int lastSeen = 0;
    for (const QByteArray &line : copier.output().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4 && fields[0] == "read" && fields[2] == "UTF8_STRING" && fields[1].toInt() > lastSeen) {
            lastSeen = fields[1].toInt();
            readMs.append(fields[3].toDouble() / 1000.0);
        }
    }
    std::sort(readMs.begin(), readMs.end());
    if (!readMs.isEmpty())
        std::printf("%d of %d copies kept; text read after %.1f ms median, %.1f ms p90\n", int(kept.size()), copies,
                    readMs[readMs.size() / 2], readMs[readMs.size() * 9 / 10]);
    delegate.stop();
}
