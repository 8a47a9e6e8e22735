// The preview's content view: what it shows for each kind of item, that heavy items never stall it, and
// snapshots of an image and a text preview (build/snapshots/).
#include "PreviewTestItems.h"

#include "DesktopTest.h"
#include "platform/sim/SimPlatform.h"
#include "preview/ClipboardPreviewImageView.h"
#include "preview/ClipboardPreviewModel.h"
#include "preview/ClipboardPreviewRowList.h"
#include "preview/ClipboardPreviewWindowView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>


using namespace PreviewTestItems;
using DesktopTest::contrast;

namespace {

QImage render(QWidget &view, const QString &name)
{
    view.show();
    QCoreApplication::processEvents();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    image.save(QDir(DesktopTest::snapshotDirectory()).filePath(name + QStringLiteral(".png")));
    return image;
}

// A translucent text colour as it lands on an opaque ground.
QColor over(const QColor &ink, const QColor &ground)
{
    const double a = ink.alphaF();
    return QColor::fromRgbF(float(ink.redF() * a + ground.redF() * (1 - a)), float(ink.greenF() * a + ground.greenF() * (1 - a)),
                            float(ink.blueF() * a + ground.blueF() * (1 - a)));
}

struct Preview {
    SimPlatform sim;
    explicit Preview(QList<ClipboardItem> items, int selected = 0)
        : model(items, items.value(selected).id(), nullptr)
        , view(model, sim.platform(), nullptr, [] {}, [] {}, 20)
    {
        view.resize(1100, 760);
    }
    // Waits for content prepared off the main thread (real time, bounded; nothing here is a timing rule).
    bool settle()
    {
        if (!view.isContentPending())
            return true;
        QSignalSpy shown(&view, &ClipboardPreviewWindowView::contentShown);
        return shown.wait(10000);
    }
    ClipboardPreviewModel model;
    ClipboardPreviewWindowView view;
};

TEST(ClipboardPreviewWindowViewTest, ImagesFitTheirAreaAndAreNeverEnlargedPastTwice)
{
    struct Row {
        QSize pixels;
        QSizeF available;
        QSizeF shown;
    };
    const Row rows[] = {
        {QSize(100, 50), QSizeF(1000, 600), QSizeF(200, 100)},   // small: twice its size, no more
        {QSize(400, 300), QSizeF(600, 600), QSizeF(600, 450)},   // 1.5 times fits
        {QSize(4000, 3000), QSizeF(800, 600), QSizeF(800, 600)}, // large: scaled down
        {QSize(1, 4000), QSizeF(800, 600), QSizeF(0.15, 600)},   // a sliver stays in bounds
        {QSize(0, 0), QSizeF(800, 600), QSizeF()},
        {QSize(10, 10), QSizeF(0, 0), QSizeF()},
    };
    for (const Row &row : rows) {
        const QSizeF shown = ClipboardPreviewImageView::displaySize(row.pixels, row.available);
        EXPECT_NEAR(shown.width(), row.shown.width(), 0.01) << row.pixels.width() << "x" << row.pixels.height();
        EXPECT_NEAR(shown.height(), row.shown.height(), 0.01);
    }
}

TEST(ClipboardPreviewWindowViewTest, HeavyItemsArePreparedOffTheMainThreadBehindAPlaceholder)
{
    ClipboardItem huge = item(QStringLiteral("text"));
    huge.setText(QString(20 * 1024 * 1024, QLatin1Char('y')));
    const struct {
        const char *what;
        ClipboardItem item;
        const char *placeholder; // once prepared; empty: the content itself shows
        const char *note;
    } rows[] = {
        {"20 MB of text on one line", huge, "", "Showing the first 200,000 of 20,971,520 characters."},
        {"bytes that are no image", image(QByteArray(4096, '\x7f')), "This image cannot be shown: its data could not be decoded.", ""},
        {"an image of 20,000 x 20,000 pixels", image(pngHeaderClaiming(20000, 20000)),
         "This image is too large to preview (20,000 × 20,000 pixels).", ""},
        {"files that are gone", files({QStringLiteral("/nowhere/a.txt"), QStringLiteral("/nowhere/b.txt")}), "",
         "2 files are no longer there."},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        QElapsedTimer clock;
        clock.start();
        Preview preview({text(QStringLiteral("before")), row.item});
        preview.model.moveSelection(1);
        ASSERT_TRUE(preview.settle());
        EXPECT_EQ(preview.view.placeholderText(), QString::fromUtf8(row.placeholder));
        EXPECT_EQ(preview.view.noteText(), QString::fromUtf8(row.note));
    }
    // Selecting the huge text hands its preparation away instead of laying 20 MB out at once.
    Preview preview({text(QStringLiteral("before")), huge});
    preview.model.moveSelection(1);
    EXPECT_TRUE(preview.view.isContentPending());
    EXPECT_EQ(preview.view.placeholderText(), "Loading…");
    ASSERT_TRUE(preview.settle());
    EXPECT_EQ(preview.view.textView()->toPlainText().size(), 200'000);
    EXPECT_EQ(preview.view.textView()->wordWrapMode(), QTextOption::WrapAnywhere);
}

TEST(ClipboardPreviewWindowViewTest, PagingAwayFromAnImageInPreparationShowsTheNewItemOnly)
{
    Preview preview({image(png(2400, 1600)), text(QStringLiteral("plain words"))});
    EXPECT_TRUE(preview.view.isContentPending());
    preview.model.moveSelection(1);
    EXPECT_FALSE(preview.view.isContentPending());
    EXPECT_EQ(preview.view.textView()->toPlainText(), "plain words");
    // The image's late result must not replace the text.
    QSignalSpy shown(&preview.view, &ClipboardPreviewWindowView::contentShown);
    EXPECT_FALSE(shown.wait(300));
    EXPECT_EQ(preview.view.content()->kind, ClipboardPreviewContent::Kind::text);
}

TEST(ClipboardPreviewWindowViewTest, HeaderNamesTheItemItsKindDateAndSource)
{
    ClipboardItem note = text(QStringLiteral("\n\n  Shopping list\nmilk\neggs"));
    note.setSourceApplicationName(QStringLiteral("Mousepad"));
    Preview preview({text(QStringLiteral("other")), note}, 1);
    EXPECT_EQ(preview.view.titleText(), "Shopping list");
    EXPECT_TRUE(preview.view.subtitleText().startsWith(QStringLiteral("Text  ·  ")));
    EXPECT_TRUE(preview.view.subtitleText().endsWith(QStringLiteral("from Mousepad")));
    EXPECT_EQ(preview.view.positionText(), "2 of 2");
    // A title is cut before any layout, whatever the text's size.
    ClipboardItem huge = item(QStringLiteral("text"));
    huge.setText(QString(5'000'000, QLatin1Char('z')));
    EXPECT_LE(ClipboardPreviewWindowView::titleOf(huge).size(), 300);
}

TEST(ClipboardPreviewWindowViewTest, FormatsAreListedWithTheirSizes)
{
    ClipboardItem rich = text(QStringLiteral("Hello"));
    rich.setPayload(payloadOf({{QStringLiteral("text/plain;charset=utf-8"), QByteArray("Hello"), 5, std::nullopt},
                               {QStringLiteral("text/html"), QByteArray(1500, 'h'), 1500, std::nullopt},
                               {QStringLiteral("image/tiff"), QByteArray(), 70'000'000, OmissionReason::sizeLimit}}));
    Preview preview({rich});
    ASSERT_TRUE(preview.settle());
    const QList<ClipboardPreviewRowList::Row> rows = preview.view.formatList()->rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].title, "text/plain;charset=utf-8");
    EXPECT_EQ(rows[0].detail, ClipboardPreviewWindowView::sizeText(5));
    EXPECT_EQ(rows[1].detail, ClipboardPreviewWindowView::sizeText(1500));
    EXPECT_EQ(rows[2].detail, QStringLiteral("Over the size limit (%1)").arg(ClipboardPreviewWindowView::sizeText(70'000'000)));
    EXPECT_TRUE(rows[2].isDimmed);
}

TEST(ClipboardPreviewWindowViewTest, SnapshotOfAnImage)
{
    ClipboardItem picture = image(png(960, 640));
    picture.setSourceApplicationName(QStringLiteral("GIMP"));
    Preview preview({text(QStringLiteral("a")), picture, text(QStringLiteral("b"))}, 1);
    ASSERT_TRUE(preview.settle());
    const QImage shot = render(preview.view, QStringLiteral("preview-image"));
    const QRectF drawn = preview.view.imageView()->imageRect().translated(preview.view.imageView()->mapTo(&preview.view, QPoint()));
    // The picture is drawn where the view says (its blue ground inside the corner, not the window's grey),
    // at its own size since it fits, and the window's rounded corners stay clear.
    const QRectF area = QRectF(preview.view.imageView()->geometry()).translated(
        preview.view.imageView()->parentWidget()->mapTo(&preview.view, QPoint()));
    EXPECT_TRUE(area.contains(drawn));
    EXPECT_NEAR(drawn.width() / drawn.height(), 1.5, 0.01) << "the picture keeps its proportions";
    EXPECT_GT(drawn.width(), 600);
    const QColor ground = shot.pixelColor((drawn.topLeft() + QPointF(4, 4)).toPoint());
    EXPECT_GT(ground.blue(), 140);
    EXPECT_LT(ground.red(), 60);
    EXPECT_EQ(shot.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(shot.pixelColor(550, 380).alpha(), 255);
}

TEST(ClipboardPreviewWindowViewTest, SnapshotOfText)
{
    const QString body = QStringLiteral(
        "Release checklist for 2.4\n\n"
        "1. Freeze the translations (Polish: „Zażółć gęślą jaźń” must render) 👍\n"
        "2. Tag the build and push the signed archives.\n"
        "3. Update the download page and the changelog; mention the new preview window, the filter bar and "
        "the reordered pills, which users asked for in the last survey.\n"
        "4. Announce it.\n");
    ClipboardItem note = text(body);
    note.setSourceApplicationName(QStringLiteral("Text Editor"));
    for (const ColorScheme scheme : {ColorScheme::dark, ColorScheme::light}) {
        Preview preview({note, text(QStringLiteral("b"))});
        preview.sim.appearance.setColorScheme(scheme);
        ASSERT_TRUE(preview.settle());
        const bool dark = scheme == ColorScheme::dark;
        const QImage shot = render(preview.view, dark ? QStringLiteral("preview-text") : QStringLiteral("preview-text-light"));
        EXPECT_EQ(preview.view.textView()->toPlainText(), body);
        EXPECT_EQ(shot.pixelColor(1, 1).alpha(), 0);
        // Each line of the chrome reads against the window behind it: the title as primary text, the rest
        // (kind and date, position, the key hints) as secondary text.
        struct Row {
            const char *what;
            std::function<bool(const QLabel &)> isIt;
            double minimum;
        };
        const QList<Row> rows{
            {"title", [&](const QLabel &l) { return l.text() == preview.view.titleText(); }, 4.5},
            {"subtitle", [&](const QLabel &l) { return l.text() == preview.view.subtitleText(); }, 3},
            {"position", [&](const QLabel &l) { return l.text() == preview.view.positionText(); }, 3},
            {"key hints", [](const QLabel &l) { return l.text().contains(QStringLiteral("Browse")); }, 3},
        };
        for (const Row &row : rows) {
            const QList<QLabel *> labels = preview.view.findChildren<QLabel *>();
            const auto label = std::find_if(labels.begin(), labels.end(), [&](QLabel *l) { return row.isIt(*l); });
            ASSERT_NE(label, labels.end()) << row.what;
            const QColor ink = (*label)->palette().color(QPalette::WindowText);
            const QColor behind = shot.pixelColor((*label)->mapTo(&preview.view, QPoint(-4, 0)));
            EXPECT_GE(contrast(over(ink, behind), behind), row.minimum) << row.what << (dark ? " (dark)" : " (light)");
        }
    }
}

} // namespace
