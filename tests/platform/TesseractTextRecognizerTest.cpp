// Tesseract on images rendered here with the project's fonts: exact text in English and Polish, dark on
// light and light on dark; unreadable, oversized and empty images give nothing; work stays off the main thread.

#include "intelligence/ClipboardOCRService.h"
#include "platform/linux/TesseractTextRecognizer.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString projectFont()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return family;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Lines of text as a screenshot would show them.
QByteArray renderLines(const QStringList &lines, QColor ink, QColor paper, QSize size = {900, 0})
{
    QFont font(projectFont());
    font.setPixelSize(22);
    const int lineHeight = 40;
    QImage image(size.width(), size.height() > 0 ? size.height() : 40 + lineHeight * int(lines.size()), QImage::Format_RGB32);
    image.fill(paper);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ink);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPoint(24, 44 + i * lineHeight), lines[i]);
    painter.end();
    return png(image);
}

std::optional<ClipboardOCRResult> recognize(ClipboardOCRService &service, const QByteArray &bytes)
{
    const Task<std::optional<ClipboardOCRResult>> task = service.recognize(bytes);
    EXPECT_TRUE(QTest::qWaitFor([&] { return task.isFinished(); }, 60000));
    return task.result().value_or(std::nullopt);
}

class TesseractTextRecognizerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(projectFont().isEmpty()) << "fonts-dejavu-core is missing"; }
    TesseractTextRecognizer recognizer;
    ClipboardOCRService service{recognizer};
};

TEST_F(TesseractTextRecognizerTest, RecognisesRenderedTextExactly)
{
    struct Row {
        const char *name;
        QStringList lines;
        QColor ink;
        QColor paper;
    };
    const QList<Row> rows{
        {"English, dark on light",
         {QStringLiteral("Meeting moved to Thursday at 10:30"), QStringLiteral("Room 4B, second floor"),
          QStringLiteral("Bring the quarterly report")},
         Qt::black, Qt::white},
        {"English, light on dark", {QStringLiteral("Build failed: missing semicolon"), QStringLiteral("Exit code 2")},
         QColor(235, 235, 235), QColor(30, 30, 36)},
        {"Polish, dark on light", {QStringLiteral("Zażółć gęślą jaźń"), QStringLiteral("Spotkanie w środę o dziewiątej")},
         Qt::black, Qt::white},
        {"Polish, light on dark", {QStringLiteral("Łódź, ulica Piotrkowska")}, Qt::white, QColor(20, 40, 80)},
        // Single Polish words are where English read first drops the marks ("Gdansk", "Krakow").
        {"Polish names beside English",
         {QStringLiteral("Gdańsk"), QStringLiteral("Kraków"), QStringLiteral("Łódź"), QStringLiteral("Tickets for Friday, platform 4")},
         Qt::black, Qt::white},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ClipboardOCRResult> result = recognize(service, renderLines(row.lines, row.ink, row.paper));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->text.value_or(QString()).toStdString(), row.lines.join(QLatin1Char('\n')).toStdString());
        EXPECT_TRUE(result->labels.isEmpty());
    }
}

TEST_F(TesseractTextRecognizerTest, ImagesWithoutReadableTextGiveNothing)
{
    QImage blank(640, 360, QImage::Format_RGB32);
    blank.fill(QColor(240, 240, 240));
    QImage transparent(200, 100, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    // A PPM header that promises 20,000 × 20,000 pixels: refused before anything is decoded.
    const QByteArray huge = QByteArray("P6\n20000 20000\n255\n") + QByteArray(64, '\0');
    struct Row {
        const char *name;
        QByteArray bytes;
    };
    const QList<Row> rows{
        {"not an image", QByteArray("definitely not a picture")},
        {"empty bytes", QByteArray()},
        {"a truncated PNG", png(blank).left(60)},
        {"20,000 × 20,000 pixels", huge},
        {"no text", png(blank)},
        {"fully transparent", png(transparent)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(recognize(service, row.bytes), std::nullopt);
    }
}

TEST_F(TesseractTextRecognizerTest, TransparentImagesAreReadOverWhite)
{
    QImage image(700, 80, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QFont font(projectFont());
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(20, 48), QStringLiteral("Copied from a transparent canvas"));
    painter.end();
    EXPECT_EQ(recognize(service, png(image))->text, QStringLiteral("Copied from a transparent canvas"));
}

TEST_F(TesseractTextRecognizerTest, WorkRunsOffTheMainThread)
{
    const QByteArray bytes = renderLines({QStringLiteral("The main thread keeps running")}, Qt::black, Qt::white, {1920, 1080});
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    const Task<std::optional<ClipboardOCRResult>> task = service.recognize(bytes);
    EXPECT_FALSE(task.isFinished());
    ASSERT_TRUE(QTest::qWaitFor([&] { return task.isFinished(); }, 60000));
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(task.result()->value().text, QStringLiteral("The main thread keeps running"));
}

TEST_F(TesseractTextRecognizerTest, CancellingStopsWaitingAndTheNextImageStillWorks)
{
    const QByteArray bytes = renderLines({QStringLiteral("First image")}, Qt::black, Qt::white, {1920, 1080});
    const Task<std::optional<ClipboardOCRResult>> first = service.recognize(bytes);
    first.cancel();
    EXPECT_TRUE(first.isFinished());
    EXPECT_EQ(recognize(service, renderLines({QStringLiteral("Second image")}, Qt::black, Qt::white))->text,
              QStringLiteral("Second image"));
}

} // namespace
