// The road of a copy on the real desktop: another process copies with xclip, Tavlen (its real Linux
// platform) keeps the copy with the right kind and source, and a restart finds the history again.

#include "DesktopTest.h"

#include "app/AppDelegate.h"
#include "clipboard/ClipboardHistoryManager.h"
#include "model/ClipboardItem.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace {

LaunchOptions storesOnly()
{
    LaunchOptions options;
    options.testMode = true; // no hot key or launcher windows: this test is about the history
    return options;
}

// xclip keeps serving the selection in the background until another owner takes it.
bool xclipCopy(const QByteArray &data, const QString &target)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-t"), target, QStringLiteral("-i")});
    if (!xclip.waitForStarted(3000))
        return false;
    xclip.write(data);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(3000) && xclip.exitCode() == 0;
}

QByteArray pngBytes()
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

TEST(CopyRoad, CopiesFromAnotherProcessReachTheHistoryAndSurviveARestart)
{
    TAVLEN_REQUIRE_DESKTOP();

    // An application in front, so each copy has a source.
    DesktopTest::ChildProcess front(DesktopTest::helperPath(QStringLiteral("line_edit_app")),
                                    {QStringLiteral("--name"), QStringLiteral("copy-source")});
    ASSERT_TRUE(front.waitForLine("ready")) << front.output().constData();

    LinuxPlatform platform;
    TAVLEN_WAIT_UNTIL(platform.platform().workspace->frontmostApplication().has_value()
                          && platform.platform().workspace->frontmostApplication()->pid == front.pid(),
                      5000);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString filePath = folder.filePath(QStringLiteral("report.txt"));
    {
        QFile file(filePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("contents");
    }

    {
        AppDelegate delegate(platform.platform(), storesOnly());
        delegate.start();
        ClipboardHistoryManager &history = delegate.history();
        const auto newest = [&] { return history.items().isEmpty() ? ClipboardItem() : history.items().first(); };

        ASSERT_TRUE(xclipCopy("copied from xclip", QStringLiteral("UTF8_STRING")));
        TAVLEN_WAIT_UNTIL(newest().text() == QStringLiteral("copied from xclip"), 5000);
        EXPECT_EQ(newest().type(), ClipboardItemType::text);
        EXPECT_FALSE(newest().sourceApplicationId().isEmpty());

        const QByteArray png = pngBytes();
        ASSERT_TRUE(xclipCopy(png, QStringLiteral("image/png")));
        TAVLEN_WAIT_UNTIL(newest().type() == ClipboardItemType::image, 5000);
        EXPECT_EQ(QImage::fromData(newest().imageData()).size(), QSize(24, 16));

        const QByteArray uriList = QUrl::fromLocalFile(filePath).toEncoded() + "\r\n";
        ASSERT_TRUE(xclipCopy(uriList, QStringLiteral("text/uri-list")));
        TAVLEN_WAIT_UNTIL(newest().type() == ClipboardItemType::file, 5000);
        EXPECT_EQ(newest().filePaths(), QStringList{filePath});
        EXPECT_EQ(history.items().size(), 3);
        delegate.stop();
    }

    AppDelegate restarted(platform.platform(), storesOnly());
    restarted.start();
    TAVLEN_WAIT_UNTIL(restarted.history().items().size() == 3, 5000);
    const QList<ClipboardItem> items = restarted.history().items();
    EXPECT_EQ(items.at(0).type(), ClipboardItemType::file);
    EXPECT_EQ(items.at(1).type(), ClipboardItemType::image);
    EXPECT_FALSE(items.at(1).imageData().isEmpty());
    EXPECT_EQ(items.at(2).text(), QStringLiteral("copied from xclip"));
}
