// What the preview makes of each kind of item, and of bad ones: huge text, bytes that are no image, an
// image too large to decode, files that are gone, payloads that do not decode.
#include "PreviewTestItems.h"

#include "clipboard/ClipboardImageDecoder.h"
#include "preview/ClipboardPreviewContent.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>

#include <gtest/gtest.h>

using namespace PreviewTestItems;
using Kind = ClipboardPreviewContent::Kind;

// The sanitizers' allocation hook, present in the sanitized test build only.
extern "C" __attribute__((weak)) int __sanitizer_install_malloc_and_free_hooks(
    void (*onAllocate)(const volatile void *, size_t), void (*onFree)(const volatile void *));

namespace {

// The largest single block allocated while `measuring` is set; nothing without the hook.
std::atomic_bool measuring = false;
std::atomic<size_t> largestAllocation = 0;

bool watchAllocations()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks
        && __sanitizer_install_malloc_and_free_hooks(
               [](const volatile void *, size_t size) {
                   if (!measuring)
                       return;
                   size_t largest = largestAllocation;
                   while (size > largest && !largestAllocation.compare_exchange_weak(largest, size)) {
                   }
               },
               [](const volatile void *) {})
            != 0;
    return installed;
}

TEST(ClipboardPreviewContentTest, HugeOneLineTextIsCutAndWrappedAnywhere)
{
    const QString huge(20 * 1024 * 1024, QLatin1Char('x'));
    ClipboardItem item = ClipboardItem(QUuid::createUuid());
    item.setTypeRawValue(QStringLiteral("text"));
    item.setText(huge);
    const ClipboardPreviewContent content = ClipboardPreviewContent::make(item, 512);
    EXPECT_EQ(content.kind, Kind::text);
    EXPECT_EQ(content.text.size(), ClipboardPreviewContent::maximumTextLength);
    EXPECT_EQ(content.fullTextLength, huge.size());
    EXPECT_TRUE(content.isTextCut());
    // One unbroken run: breaking it at word boundaries would take seconds.
    EXPECT_TRUE(content.wrapsAnywhere);
}

TEST(ClipboardPreviewContentTest, TextIsShownAsItIsWithItsHardCharacters)
{
    struct Row {
        const char *what;
        QString text;
        bool wrapsAnywhere;
    };
    const Row rows[] = {
        {"ordinary prose", QStringLiteral("Zażółć gęślą jaźń 👋🏽 — done"), false},
        {"right-to-left runs", QStringLiteral("abc שלום עולם مرحبا def"), false},
        {"zero-width and control characters", QStringLiteral("a\u200Bb\u200Dc\u0001d\u0007e\tf"), false},
        {"a long token among words", QStringLiteral("see ") + QString(1200, QLatin1Char('q')) + QStringLiteral(" end"),
         true},
        {"only whitespace", QStringLiteral(" \n\t "), false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const ClipboardPreviewContent content = ClipboardPreviewContent::make(text(row.text), 512);
        EXPECT_EQ(content.kind, Kind::text);
        EXPECT_EQ(content.text, row.text);
        EXPECT_FALSE(content.isTextCut());
        EXPECT_EQ(content.wrapsAnywhere, row.wrapsAnywhere);
    }
}

TEST(ClipboardPreviewContentTest, CuttingNeverSplitsASurrogatePair)
{
    const QString emoji = QStringLiteral("ab😀");  // a, b, high surrogate, low surrogate
    EXPECT_EQ(ClipboardPreviewContent::cutText(emoji, 3), QStringLiteral("ab"));
    EXPECT_EQ(ClipboardPreviewContent::cutText(emoji, 4), emoji);
    EXPECT_EQ(ClipboardPreviewContent::cutText(emoji, 2), QStringLiteral("ab"));
    EXPECT_EQ(ClipboardPreviewContent::cutText(QString(), 5), QString());
}

TEST(ClipboardPreviewContentTest, ImagesDecodeToFitOrSayWhyNot)
{
    struct Row {
        const char *what;
        QByteArray bytes;
        QSize decoded;     // empty: no image
        QSize pixelSize;   // the image's own size, when known
        const char *problem; // part of the placeholder text
    };
    const Row rows[] = {
        {"small picture at its own size", png(300, 200), QSize(300, 200), QSize(300, 200), ""},
        {"large picture scaled down to fit", png(3000, 1000), QSize(512, 170), QSize(3000, 1000), ""},
        {"bytes that are no image", QByteArray("GIF89a but not really an image at all"), QSize(), QSize(),
         "could not be decoded"},
        {"a truncated PNG", png(300, 200).left(60), QSize(), QSize(), "could not be decoded"},
        {"no bytes at all", QByteArray(), QSize(), QSize(), "no image data"},
        {"20,000 x 20,000 pixels", pngHeaderClaiming(20000, 20000), QSize(), QSize(20000, 20000),
         "too large to preview (20,000 × 20,000 pixels)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const ClipboardPreviewContent content = ClipboardPreviewContent::make(image(row.bytes), 512);
        EXPECT_EQ(content.kind, Kind::image);
        if (row.decoded.isValid()) {
            EXPECT_EQ(content.image.size(), row.decoded);
        } else {
            EXPECT_TRUE(content.image.isNull());
        }
        if (row.pixelSize.isValid()) {
            EXPECT_EQ(content.imagePixelSize, row.pixelSize);
        }
        if (*row.problem) {
            EXPECT_TRUE(content.imageProblem.contains(QString::fromUtf8(row.problem))) << content.imageProblem.toStdString();
        } else {
            EXPECT_TRUE(content.imageProblem.isEmpty());
        }
    }
}

TEST(ClipboardPreviewContentTest, ThumbnailsShareTheBoundedDecoder)
{
    // A header claiming more pixels than may be decoded gives no thumbnail instead of a huge allocation.
    const ClipboardImageDecoder::Result huge = ClipboardImageDecoder::decode(pngHeaderClaiming(20000, 20000), 80);
    EXPECT_EQ(huge.problem, ClipboardImageDecoder::Problem::tooLarge);
    EXPECT_TRUE(huge.image.isNull());
    EXPECT_EQ(ClipboardImageDecoder::decode(png(160, 40), 80).image.size(), QSize(80, 20));

    // A two-colour picture stored with one bit a pixel keeps its colours when scaled down.
    QImage twoColours(200, 40, QImage::Format_Mono);
    twoColours.setColorTable({qRgb(0, 0, 255), qRgb(255, 255, 0)});
    twoColours.fill(1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    twoColours.save(&buffer, "PNG");
    const QImage thumbnail = ClipboardImageDecoder::decode(bytes, 80).image;
    EXPECT_EQ(thumbnail.size(), QSize(80, 16));
    EXPECT_EQ(thumbnail.pixelColor(40, 8), QColor(255, 255, 0));

    // A page scanned at one bit a pixel is never widened to full colour at its full size (112 MB here).
    // Measured where the tests run, in the sanitized build.
    if (!watchAllocations())
        return;
    QImage page(4000, 7000, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    QByteArray pageBytes;
    QBuffer pageBuffer(&pageBytes);
    pageBuffer.open(QIODevice::WriteOnly);
    page.save(&pageBuffer, "PNG");
    page = QImage();
    largestAllocation = 0;
    measuring = true;
    const QImage pageThumbnail = ClipboardImageDecoder::decode(pageBytes, 80).image;
    measuring = false;
    EXPECT_EQ(pageThumbnail.height(), 80);
    EXPECT_LT(largestAllocation, size_t(4000) * 7000) << "the decode held a block of " << largestAllocation << " bytes";
}

TEST(ClipboardPreviewContentTest, FilesShowNameFolderAndWhetherTheyAreStillThere)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString present = folder.filePath(QStringLiteral("report.pdf"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString subfolder = folder.filePath(QStringLiteral("photos"));
    ASSERT_TRUE(QDir().mkdir(subfolder));
    const QString gone = folder.filePath(QStringLiteral("deleted.txt"));
    const QString controls = folder.filePath(QStringLiteral("report\n.pdf\x1b[31m"));

    const ClipboardPreviewContent content = ClipboardPreviewContent::make(
        files({present, subfolder, gone, QStringLiteral("file://") + present, controls}), 512);
    EXPECT_EQ(content.kind, Kind::files);
    ASSERT_EQ(content.files.size(), 5);
    EXPECT_EQ(content.fileCount, 5);
    const struct {
        const char *name;
        bool exists;
        bool isFolder;
    } expected[] = {{"report.pdf", true, false}, {"photos", true, true}, {"deleted.txt", false, false},
                    {"report.pdf", true, false}, {"report␊.pdf␛[31m", false, false}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(content.files[i].name, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(content.files[i].exists, expected[i].exists);
        EXPECT_EQ(content.files[i].isFolder, expected[i].isFolder);
        EXPECT_EQ(content.files[i].folder, ClipboardPreviewContent::displayFolder(folder.path(), QDir::homePath()));
    }
}

TEST(ClipboardPreviewContentTest, LongFileListsAreCut)
{
    QStringList paths;
    for (int i = 0; i < 1500; ++i)
        paths.append(QStringLiteral("/nowhere/file-%1.txt").arg(i));
    const ClipboardPreviewContent content = ClipboardPreviewContent::make(files(paths), 512);
    EXPECT_EQ(content.files.size(), ClipboardPreviewContent::maximumListedFiles);
    EXPECT_EQ(content.fileCount, 1500);
}

TEST(ClipboardPreviewContentTest, HomeFoldersAreShortened)
{
    const struct {
        const char *folder;
        const char *home;
        const char *shown;
    } rows[] = {
        {"/home/ada/Documents", "/home/ada", "~/Documents"},
        {"/home/ada", "/home/ada", "~"},
        {"/home/adam/Documents", "/home/ada", "/home/adam/Documents"},
        {"/srv/share", "/home/ada", "/srv/share"},
        {"/etc", "/", "/etc"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ClipboardPreviewContent::displayFolder(QString::fromLatin1(row.folder), QString::fromLatin1(row.home)),
                  QString::fromLatin1(row.shown));
}

TEST(ClipboardPreviewContentTest, FormatsListEveryRepresentationWithItsSize)
{
    ClipboardItem item = text(QStringLiteral("hello"));
    PasteboardPayload payload;
    payload.items.append(PasteboardPayloadItem{
        {{QStringLiteral("text/plain"), QByteArray("hello"), 5, std::nullopt},
         {QStringLiteral("text/html"), QByteArray(), 0, OmissionReason::unavailable}}});
    payload.items.append(PasteboardPayloadItem{
        {{QStringLiteral("image/tiff"), QByteArray(), 70'000'000, OmissionReason::sizeLimit}}});
    item.setPayload(payload);
    const ClipboardPreviewContent content = ClipboardPreviewContent::make(item, 512);
    EXPECT_EQ(content.captureItemCount, 2);
    ASSERT_EQ(content.formats.size(), 3);
    EXPECT_EQ(content.formats[0].type, "text/plain");
    EXPECT_EQ(content.formats[0].byteCount, 5);
    EXPECT_FALSE(content.formats[0].omissionReason);
    EXPECT_EQ(content.formats[1].omissionReason, OmissionReason::unavailable);
    EXPECT_EQ(content.formats[2].itemIndex, 1);
    EXPECT_EQ(content.formats[2].byteCount, 70'000'000);
    EXPECT_EQ(content.formats[2].omissionReason, OmissionReason::sizeLimit);
    EXPECT_TRUE(content.formatsProblem.isEmpty());
}

TEST(ClipboardPreviewContentTest, APayloadThatDoesNotDecodeIsNamedNotHidden)
{
    ClipboardItem item = text(QStringLiteral("hello"));
    item.setPayloadData("TVPL garbage");
    const ClipboardPreviewContent content = ClipboardPreviewContent::make(item, 512);
    EXPECT_EQ(content.text, "hello");
    EXPECT_TRUE(content.formats.isEmpty());
    EXPECT_EQ(content.formatsProblem, "The captured formats could not be read.");
}

TEST(ClipboardPreviewContentTest, EachKindShowsItsOwnContent)
{
    EXPECT_EQ(ClipboardPreviewContent::make(link(QStringLiteral("  https://example.org/a?b=1 \n")), 512).link,
              "https://example.org/a?b=1");
    ClipboardItem other = item(QStringLiteral("generic"));
    EXPECT_EQ(ClipboardPreviewContent::make(other, 512).kind, Kind::formatsOnly);
    other.setText(QStringLiteral("readable"));
    EXPECT_EQ(ClipboardPreviewContent::make(other, 512).kind, Kind::text);
    // A stored kind the program does not know reads as text.
    ClipboardItem unknown = item(QStringLiteral("hologram"));
    unknown.setText(QStringLiteral("x"));
    EXPECT_EQ(ClipboardPreviewContent::make(unknown, 512).kind, Kind::text);
}

} // namespace
