// A clipboard row and the search field as a person sees them: a hovered row keeps its columns, the
// placeholder stands beside the caret.
#include "launcher/panel/NotchClipboardRow.h"
#include "launcher/panel/NotchClipboardSearchTextField.h"
#include "platform/sim/SimClock.h"
#include "ui/NotchListRowLabel.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The leftmost and rightmost columns (in points) holding ink between two x bounds, over a row's middle.
struct Ink {
    double left = -1;
    double right = -1;
    double centre() const { return (left + right) / 2; }
};
Ink inkBetween(const QImage &image, double from, double to, int alpha = 90)
{
    const double dpr = image.devicePixelRatio();
    Ink ink;
    for (int x = int(from * dpr); x < int(to * dpr) && x < image.width(); ++x) {
        for (int y = int(6 * dpr); y < image.height() - int(6 * dpr); ++y) {
            if (image.pixelColor(x, y).alpha() >= alpha) {
                if (ink.left < 0)
                    ink.left = x / dpr;
                ink.right = x / dpr;
                break;
            }
        }
    }
    return ink;
}

TEST(NotchClipboardRow, AHoveredRowGrowsInItsOwnColumnsForEveryKind)
{
    // Each kind of row, hovered and at rest: the dot, the timestamp, the thumbnail or title and the badges
    // stand where they stand in every other row; only their size changes. Unsearched, a row shows its kind
    // capitalised and at most 240 characters of the item's title, searched as many as a row measures.
    struct Row {
        const char *type;
        QString text;
        QString label;
        QString kind;
        qsizetype titleLength = -1; // -1: the whole text
    };
    const Row rows[] = {{"text", "Quarterly report", "", "Text"},   {"url", "https://example.org", "", "Url"},
                        {"image", "", "", "Image"},                  {"file", "", "", "File"},
                        {"generic", "", "", "Generic"},              {"text", "ssh deploy@build", "Server", "Text"},
                        {"text", QString(401, QLatin1Char('w')), "", "Text", 240}};
    SimClock clock;
    for (const Row &row : rows) {
        ClipboardItem item(QUuid::createUuid());
        item.setTypeRawValue(QString::fromLatin1(row.type));
        item.setText(row.text);
        item.setLabel(row.label);
        if (QString::fromLatin1(row.type) == "file")
            item.setFilePaths({"/home/ada/plan.pdf", "/home/ada/budget.ods"});
        EXPECT_EQ(NotchClipboardRow::kindLabel(item, nullptr), row.kind);
        if (!row.text.isEmpty()) {
            EXPECT_EQ(NotchClipboardRow::title(item, nullptr), row.text.left(row.titleLength));
        }
        // Searched, a row titled by its text reads as much of it as a row measures.
        const ClipboardSearchPresentation searched{QString(), row.kind, QImage()};
        EXPECT_EQ(NotchClipboardRow::title(item, &searched),
                  item.displayTitle().left(NotchListRowLabel::maximumMeasuredCharacters));
        item.setDate(QDateTime(QDate(2024, 3, 7), QTime(9, 5)));
        NotchRowPaintContext context;
        context.palette.scheme = ColorScheme::dark;
        context.accent = QColor(10, 132, 255);
        context.locale = QLocale(QStringLiteral("en_GB"));
        auto render = [&](bool hovered) {
            NotchClipboardRow clipboardRow(clock, item, {}, {});
            clipboardRow.showsBottomSeparator = false;
            clipboardRow.setPointerHovering(hovered, clock.uptime(), false);
            clock.advance(2); // the hover spring settles
            context.now = clock.uptime();
            QImage image(800, 128, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            clipboardRow.paint(painter, QRectF(0, 0, 400, 64), context);
            return image;
        };
        const QImage rest = render(false);
        const QImage hovered = render(true);
        // The dot's slot, the timestamp's column, what follows it, and the trailing badges.
        const Ink restDot = inkBetween(rest, 12, 34), hoveredDot = inkBetween(hovered, 12, 34);
        const Ink restStamp = inkBetween(rest, 42, 88), hoveredStamp = inkBetween(hovered, 42, 88);
        const Ink restNext = inkBetween(rest, 92, 260), hoveredNext = inkBetween(hovered, 92, 260);
        const Ink restBadges = inkBetween(rest, 260, 400), hoveredBadges = inkBetween(hovered, 260, 400);
        ASSERT_GE(restStamp.left, 0) << row.type;
        ASSERT_GE(restBadges.right, 0) << row.type;
        EXPECT_NEAR(hoveredDot.centre(), restDot.centre(), 0.5) << row.type;
        EXPECT_NEAR(hoveredStamp.left, restStamp.left, 0.5) << row.type;
        EXPECT_NEAR(hoveredNext.left, restNext.left, 0.5) << row.type;
        EXPECT_NEAR(hoveredBadges.right, restBadges.right, 0.5) << row.type;
        // And the hover still shows: the content is larger.
        EXPECT_GT(hoveredStamp.right - hoveredStamp.left, restStamp.right - restStamp.left) << row.type;
        // The layout says the same.
        const NotchListRowLabel::Layout layout = NotchListRowLabel{}.layout(QRectF(0, 0, 400, 64));
        const NotchListRowLabel::Layout grown = NotchListRowLabel::scaled(layout, NotchListRowLabel::hoverScale);
        EXPECT_DOUBLE_EQ(grown.title.left(), layout.title.left());
        EXPECT_DOUBLE_EQ(grown.trailing.right(), layout.trailing.right());
    }
}

TEST(NotchClipboardSearchTextField, ThePlaceholderStandsBesideTheCaretNotUnderIt)
{
    NotchClipboardSearchTextField field;
    field.resize(160, 28);
    auto leftmostInk = [&](const QString &text) {
        field.setText(text);
        QImage image(field.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        field.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return inkBetween(image, 0, 160, 60).left;
    };
    // Typed text starts where the caret stands; the placeholder (also "S...") starts past the caret.
    const double typed = leftmostInk(QStringLiteral("S"));
    const double placeholder = leftmostInk(QString());
    ASSERT_GE(typed, 0);
    EXPECT_GE(placeholder, typed + 3);
    EXPECT_GE(field.placeholderRect().left(), field.caretX() + 1 + NotchClipboardSearchTextField::placeholderGap);
    // Qt's own placeholder, which stands under the caret, is never drawn, whatever the platform's palette.
    EXPECT_TRUE(field.placeholderText().isEmpty());
    EXPECT_EQ(field.accessibleDescription(), QStringLiteral("Search…"));
}

} // namespace
