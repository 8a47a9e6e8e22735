#include "ui/AIFlatListRowBackground.h"
#include "ui/ListSelectionDot.h"
#include "ui/ListSeparator.h"
#include "ui/NotchListBadge.h"
#include "ui/NotchListRowLabel.h"
#include "ui/NotchListSearchBar.h"
#include "ui/NotchListSectionHeader.h"
#include "ui/NotchListTimestamp.h"
#include "ui/TutorialOutline.h"
#include "ui/SymbolTable.h"

#include <QImage>
#include <QLineEdit>
#include <QTimeZone>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

Palette paletteOf(ColorScheme scheme)
{
    Palette palette;
    palette.scheme = scheme;
    return palette;
}

TEST(NotchListTimestamp, TwoLinesInTheLocalesOrderWithoutYearOrRelativeWords)
{
    struct Row {
        const char *locale;
        QDateTime date;
        QString dateLine;
        QString timeLine;
    };
    const QDateTime morning(QDate(2024, 3, 7), QTime(9, 5, 42));
    const QDateTime evening(QDate(2022, 11, 28), QTime(21, 40));
    const Row rows[] = {
        {"pl_PL", morning, "07.03", "09:05"},
        {"de_DE", evening, "28.11", "21:40"},
        {"en_GB", morning, "07/03", "09:05"},
        {"en_US", morning, "03/07", "9:05 AM"},
        {"en_US", evening, "11/28", "9:40 PM"},
        {"sv_SE", evening, "11-28", "21:40"},
        {"C", evening, "28/11", "21:40"},
    };
    for (const Row &row : rows) {
        QDateTime date = row.date;
        date.setTimeZone(QTimeZone::systemTimeZone());
        const NotchListTimestamp::Lines lines = NotchListTimestamp::lines(date, QLocale(QString::fromLatin1(row.locale)));
        EXPECT_EQ(lines.date, row.dateLine) << row.locale;
        EXPECT_EQ(lines.time, row.timeLine) << row.locale;
    }
    // Today and two years ago look alike: no "today", no year.
    const QDateTime now = QDateTime::currentDateTime();
    const NotchListTimestamp::Lines today = NotchListTimestamp::lines(now, QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(today.date.size(), 5);
    EXPECT_FALSE(today.date.contains(QString::number(now.date().year())));
}

TEST(ListSelectionDot, SolidDotOpacityAndSlotWidth)
{
    EXPECT_DOUBLE_EQ(ListSelectionDot::solidOpacity(1), 0.95);
    EXPECT_DOUBLE_EQ(ListSelectionDot::solidOpacity(0), 0.34);
    EXPECT_DOUBLE_EQ(ListSelectionDot::slotWidth, 22);
    QImage canvas(22, 12, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    ListSelectionDot{1, ListSelectionDot::Style::solidWhite}.paint(painter, QPointF(11, 6), paletteOf(ColorScheme::dark));
    painter.end();
    EXPECT_GT(canvas.pixelColor(11, 6).lightness(), 230); // 8-point white dot at 0.95
    EXPECT_EQ(canvas.pixelColor(11, 1).lightness(), 0);   // nothing beyond its 4-point radius
}

TEST(ListSeparatorAndRowBackground, FollowTheColourScheme)
{
    const Palette dark = paletteOf(ColorScheme::dark);
    const Palette light = paletteOf(ColorScheme::light);
    EXPECT_EQ(ListSeparator::color(dark), Palette::white(0.2));
    EXPECT_EQ(ListSeparator::color(light), Palette::black(0.12));
    const QGradientStops darkStops = AIFlatListRowBackground::stops(dark);
    const QGradientStops lightStops = AIFlatListRowBackground::stops(light);
    ASSERT_EQ(darkStops.size(), 4);
    EXPECT_GT(darkStops[0].second.alphaF(), lightStops[0].second.alphaF());
    EXPECT_NEAR(darkStops[3].first, 1.0, 1e-9);
    QImage canvas(40, 10, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    AIFlatListRowBackground{false}.paint(painter, QRectF(canvas.rect()), dark);
    painter.end();
    EXPECT_EQ(canvas.pixelColor(20, 5).alpha(), 0); // unselected rows have no background at all
}

TEST(TutorialOutline, AnOrangeRingInsideTheShapeFadingWithItsFlag)
{
    // The selection ring's spectrum closes on itself: no seam where the gradient starts.
    EXPECT_EQ(TutorialOutline::spectrumGradientColors().first(), TutorialOutline::spectrumGradientColors().last());

    struct Row {
        double opacity;
        int edgeAlpha; // on the shape's top edge; orange wherever it shows
    };
    for (const Row row : {Row{1, 217}, Row{0.5, 108}, Row{0, 0}}) {
        SCOPED_TRACE(row.opacity);
        QImage canvas(80, 48, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        QPainterPath pill;
        pill.addRoundedRect(QRectF(10, 10, 60, 28), 14, 14);
        TutorialOutline::tutorialOutline(painter, pill, 1.2, row.opacity);
        painter.end();
        const QColor edge = canvas.pixelColor(40, 10);
        EXPECT_NEAR(edge.alpha(), row.edgeAlpha, 3);
        if (row.edgeAlpha > 0) {
            EXPECT_EQ(edge.toRgb().red(), 255);
            EXPECT_NEAR(edge.toRgb().green(), 149, 2);
            EXPECT_EQ(edge.toRgb().blue(), 0);
        }
        EXPECT_EQ(canvas.pixelColor(40, 9).alpha(), 0);  // nothing outside the shape
        EXPECT_EQ(canvas.pixelColor(40, 24).alpha(), 0); // hollow
    }
}

TEST(NotchListRowLabel, LayoutHoverAndTitleCutting)
{
    NotchListRowLabel label;
    label.leadingWidth = 42;
    label.trailingWidth = 40;
    const NotchListRowLabel::Layout parts = label.layout(QRectF(0, 0, 400, 64));
    EXPECT_DOUBLE_EQ(parts.dotCentre.x(), 12 + 11);
    EXPECT_DOUBLE_EQ(parts.leading.left(), 12 + 22 + 10);
    EXPECT_DOUBLE_EQ(parts.title.left(), 12 + 22 + 10 + 42 + 10);
    EXPECT_DOUBLE_EQ(parts.trailing.right(), 400 - 12);
    EXPECT_DOUBLE_EQ(parts.title.right(), 400 - 12 - 40 - 10);

    struct Row {
        bool hovered;
        bool reduceMotion;
        double scale;
    };
    for (const Row row : {Row{true, false, 1.025}, Row{true, true, 1.0}, Row{false, false, 1.0}})
        EXPECT_DOUBLE_EQ(NotchListRowLabel::contentScale(row.hovered, row.reduceMotion), row.scale);
    EXPECT_EQ(NotchListRowLabel::hoverAnimation(true).kind, Animation::Kind::none);
    EXPECT_EQ(NotchListRowLabel::hoverAnimation(false).kind, Animation::Kind::spring);

    const QString longTitle = QString(20'000'000, QLatin1Char('x'));
    const QString cut = NotchListRowLabel::elidedTitle(longTitle, 200);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    EXPECT_LT(cut.size(), 100);
    EXPECT_FALSE(NotchListRowLabel::elidedTitle(QStringLiteral("first\nsecond"), 400).contains(QLatin1Char('\n')));

    // Characters that reorder or hide the rest show as marks; joiners that scripts and emoji need stay.
    struct Shown {
        QString title;
        QString shown;
    };
    const Shown shownRows[] = {
        {QStringLiteral("invoice\u202Efdp.exe"), QStringLiteral("invoice<U+202E>fdp.exe")},
        {QStringLiteral("pay\u200Bpal"), QStringLiteral("pay<U+200B>pal")},
        {QStringLiteral("\u2067abc\u2069\uFEFF"), QStringLiteral("<U+2067>abc<U+2069><U+FEFF>")},
        {QStringLiteral("a\u200Eb\u200Fc\u061C"), QStringLiteral("a<U+200E>b<U+200F>c<U+061C>")},
        {QStringLiteral("esc\x1b[31mred\x7f\tend"), QStringLiteral("esc<U+001B>[31mred<U+007F> end")},
        {QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"), QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467")},
        {QStringLiteral("\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645"), QStringLiteral("\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645")},
    };
    for (const Shown &row : shownRows)
        EXPECT_EQ(NotchListRowLabel::elidedTitle(row.title, 2000), row.shown) << row.shown.toStdString();
}

TEST(NotchListBadge, CapsuleSizedToItsTitleAndCapped)
{
    const NotchListBadge shortBadge{QStringLiteral("Url"), Qt::gray};
    const NotchListBadge longBadge{QString(200, QLatin1Char('W')), Qt::gray};
    EXPECT_GT(shortBadge.size().width(), 2 * NotchListBadge::horizontalPadding);
    EXPECT_LE(longBadge.size().width(), NotchListBadge::maximumWidth);
    EXPECT_DOUBLE_EQ(shortBadge.size().height(), longBadge.size().height());
}

TEST(NotchListSearchBar, ClearButtonOnlyWhileTheQueryHasAnyCharacter)
{
    SymbolTable symbols;
    auto *field = new QLineEdit;
    NotchListSearchBar bar(field, symbols, [] { return Palette(); }, [] { return 0.0; });
    bar.resize(182, 28);
    bar.show(); // a hidden widget gets its resize only when shown
    int clears = 0;
    QObject::connect(&bar, &NotchListSearchBar::clearRequested, [&] { ++clears; });
    EXPECT_FALSE(bar.isClearButtonShown());
    EXPECT_EQ(field->parentWidget(), &bar);
    const int fullWidth = field->width();
    bar.setQuery(QStringLiteral(" "));
    EXPECT_TRUE(bar.isClearButtonShown());
    EXPECT_LT(field->width(), fullWidth); // the button takes its room from the field
    bar.clear();
    EXPECT_EQ(clears, 1);
    bar.setQuery(QString());
    EXPECT_FALSE(bar.isClearButtonShown());
    EXPECT_EQ(field->width(), fullWidth);
    EXPECT_EQ(bar.height(), 28);
}

TEST(NotchListSectionHeader, UpperCaseTitleInA24PointBand)
{
    QImage canvas(200, 24, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    NotchListSectionHeader{QStringLiteral("Latest"), 12}.paint(painter, QRectF(0, 0, 200, 24), paletteOf(ColorScheme::light));
    painter.end();
    EXPECT_LT(canvas.pixelColor(190, 2).lightness(), 255); // the faint band spans the width
    EXPECT_DOUBLE_EQ(NotchListSectionHeader::height, 24);
}

} // namespace
