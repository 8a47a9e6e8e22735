#include "ui/FontTable.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLoggingCategory>
#include <QPainter>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcFonts, "tavlen.fonts")

double widestDigit(const QFontMetricsF &metrics)
{
    double widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(digit)));
    return widest;
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
