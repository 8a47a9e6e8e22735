#include "ui/FontTable.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLoggingCategory>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace {

Q_LOGGING_CATEGORY(lcFonts, "tavlen.fonts")

double widestDigit(const QFontMetricsF &metrics)
{
    double widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
}

// One left-to-right line of the layout's text; runs the UI font lacks go one step heavier on a medium line.
QTextLine layOutLineMatchingWeight(QTextLayout &layout)
{
    const QFont font = layout.font();
    const QString text = layout.text();
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    if (font.weight() >= QFont::Medium && font.weight() < QFont::DemiBold) {
        // The UI font's own face, without the fallbacks the font's metrics would count in.
        QFont uiOnly = font;
        uiOnly.setFamilies({FontTable::uiFamily});
        const QRawFont ui = QRawFont::fromFont(uiOnly);
        QList<QTextLayout::FormatRange> heavier;
        for (qsizetype i = 0; i < text.size();) {
            const char32_t codePoint = text.at(i).isHighSurrogate() && i + 1 < text.size()
                ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                : char32_t(text.at(i).unicode());
            const int length = codePoint > 0xffff ? 2 : 1;
            if (!QChar::isSpace(codePoint) && !ui.supportsCharacter(codePoint)) {
                if (!heavier.isEmpty() && heavier.last().start + heavier.last().length == i) {
                    heavier.last().length += length;
                } else {
                    QTextLayout::FormatRange range;
                    range.start = int(i);
                    range.length = length;
                    range.format.setFontWeight(QFont::DemiBold);
                    heavier.append(range);
                }
            }
            i += length;
        }
        layout.setFormats(heavier);
    }
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(std::numeric_limits<int>::max() / 2);
    layout.endLayout();
    return line;
}

} // namespace

namespace FontTable {

QFont systemFont(double pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies({uiFamily, emojiFamily, fallbackFamily});
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont monospacedFont(double pixelSize, QFont::Weight weight)
{
    QFont font = systemFont(pixelSize, weight);
    font.setFamilies({monospaceFamily, emojiFamily, fallbackFamily});
    return font;
}

double pixelSize(TextStyle style)
{
    switch (style) {
    case TextStyle::largeTitle: return 26;
    case TextStyle::title: return 22;
    case TextStyle::title2: return 17;
    case TextStyle::title3: return 15;
    case TextStyle::headline: return 13;
    case TextStyle::body: return 13;
    case TextStyle::callout: return 12;
    case TextStyle::subheadline: return 11;
    case TextStyle::footnote: return 10;
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
    }
    return 13;
}

QFont textStyle(TextStyle style)
{
    return textStyle(style, style == TextStyle::headline ? QFont::DemiBold : QFont::Normal);
}

QFont textStyle(TextStyle style, QFont::Weight weight)
{
    return systemFont(pixelSize(style), weight);
}

bool isUiFontAvailable()
{
    const bool available = QFontDatabase::hasFamily(uiFamily);
    static bool reported = false; // one line per process is enough
    if (!available && !reported) {
        reported = true;
        qCWarning(lcFonts, "The font \"%s\" is not installed (scripts/install-deps installs fonts-inter); text uses "
                           "the machine's fonts.",
                  qPrintable(uiFamily));
    }
    return available;
}

double lineWidthMatchingWeight(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    const QTextLine line = layOutLineMatchingWeight(layout);
    return line.isValid() ? line.naturalTextWidth() : 0;
}

void drawLineMatchingWeight(QPainter &painter, const QRectF &rect, const QString &text)
{
    QTextLayout layout(text, painter.font());
    const QTextLine line = layOutLineMatchingWeight(layout);
    if (!line.isValid())
        return;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    layout.draw(&painter, QPointF(rect.left(), rect.center().y() - line.height() / 2));
    painter.restore();
}

double monospacedDigitsWidth(const QFont &font, const QString &text)
{
    const QFontMetricsF metrics(font);
    const double cell = widestDigit(metrics);
    double width = 0;
    for (const QChar ch : text)
        width += ch.isDigit() ? cell : metrics.horizontalAdvance(ch);
    return width;
}

double drawMonospacedDigits(QPainter &painter, QPointF origin, const QString &text)
{
    const QFontMetricsF metrics(painter.font());
    const double cell = widestDigit(metrics);
    double x = origin.x();
    QString run;
    auto flush = [&] {
        if (run.isEmpty())
            return;
        painter.drawText(QPointF(x, origin.y()), run);
        x += metrics.horizontalAdvance(run);
        run.clear();
    };
    for (const QChar ch : text) {
        if (!ch.isDigit()) {
            run.append(ch);
            continue;
        }
        flush();
        const double advance = metrics.horizontalAdvance(ch);
        painter.drawText(QPointF(x + (cell - advance) / 2, origin.y()), QString(ch));
        x += cell;
    }
    flush();
    return x - origin.x();
}

} // namespace FontTable
