#include "ui/NotchListTimestamp.h"

#include "ui/FontTable.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

namespace {

QFont timestampFont()
{
    return FontTable::textStyle(TextStyle::caption2);
}

bool isField(QChar c)
{
    return c.isLetter();
}

// Removes every run of `letters` together with one separator run next to it.
QString withoutField(QString pattern, const QString &letters)
{
    for (const QChar letter : letters) {
        const qsizetype start = pattern.indexOf(letter);
        if (start < 0)
            continue;
        qsizetype end = start;
        while (end < pattern.size() && pattern.at(end) == letter)
            ++end;
        // Take the separator after the field, or before it when the field ends the pattern.
        qsizetype cutStart = start;
        qsizetype cutEnd = end;
        while (cutEnd < pattern.size() && !isField(pattern.at(cutEnd)))
            ++cutEnd;
        if (cutEnd == end || cutEnd == pattern.size()) {
            cutEnd = end;
            while (cutStart > 0 && !isField(pattern.at(cutStart - 1)))
                --cutStart;
        }
        pattern.remove(cutStart, cutEnd - cutStart);
    }
    return pattern.trimmed();
}

} // namespace

QString NotchListTimestamp::dayMonthPattern(const QLocale &locale)
{
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    // Quoted literals and weekdays have no place in a day-and-month stamp.
    pattern.remove(QRegularExpression(QStringLiteral("'[^']*'")));
    pattern = withoutField(pattern, QStringLiteral("yE"));
    // A locale that names the month ("8 Dec 2026") has no separator for it in digits: "08 12" reads as two numbers.
    if (pattern.contains(QLatin1String("MMM")))
        return QStringLiteral("dd/MM");
    pattern.replace(QRegularExpression(QStringLiteral("d+")), QStringLiteral("dd"));
    pattern.replace(QRegularExpression(QStringLiteral("M+")), QStringLiteral("MM"));
    // A trailing separator (as in "dd.MM.") stays when the locale writes one after the month.
    if (!pattern.contains(QLatin1String("dd")) || !pattern.contains(QLatin1String("MM")))
        return QStringLiteral("dd/MM");
    return pattern;
}

QString NotchListTimestamp::hourMinutePattern(const QLocale &locale)
{
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(QRegularExpression(QStringLiteral("'[^']*'")));
    pattern = withoutField(pattern, QStringLiteral("szt"));
    if (!pattern.contains(QLatin1Char('m')))
        return QStringLiteral("HH:mm");
    return pattern;
}

QString NotchListTimestamp::spoken(const QDateTime &date, const QLocale &locale, const QDate &today)
{
    const QDateTime local = date.toLocalTime();
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    // The weekday adds nothing to a copy's time and makes the reader slower.
    pattern.remove(QRegularExpression(QStringLiteral("d{3,}[^A-Za-z']*")));
    if (local.date().year() == today.year())
        pattern = withoutField(pattern, QStringLiteral("y"));
    return locale.toString(local.date(), pattern.trimmed()) + QStringLiteral(", ")
        + locale.toString(local.time(), hourMinutePattern(locale));
}

NotchListTimestamp::Patterns NotchListTimestamp::Patterns::of(const QLocale &locale)
{
    return {dayMonthPattern(locale), hourMinutePattern(locale)};
}

NotchListTimestamp::Lines NotchListTimestamp::lines(const QDateTime &date, const QLocale &locale)
{
    return lines(date, locale, Patterns::of(locale));
}

NotchListTimestamp::Lines NotchListTimestamp::lines(const QDateTime &date, const QLocale &locale, const Patterns &patterns)
{
    const QDateTime local = date.toLocalTime();
    return {locale.toString(local.date(), patterns.dayMonth), locale.toString(local.time(), patterns.hourMinute)};
}

NotchListTimestamp::Lines NotchListTimestamp::lines() const
{
    return patterns ? lines(date, locale, *patterns) : lines(date, locale);
}

double NotchListTimestamp::height() const
{
    const QFontMetricsF metrics(timestampFont());
    return 2 * metrics.height() + lineSpacing;
}

void NotchListTimestamp::paint(QPainter &painter, QPointF topLeft, const Palette &palette) const
{
    const Lines text = lines();
    const QFont font = timestampFont();
    const QFontMetricsF metrics(font);
    painter.save();
    painter.setFont(font);
    painter.setClipRect(QRectF(topLeft.x(), topLeft.y(), width, height()), Qt::IntersectClip);
    painter.setPen(palette.secondary());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text.date);
    painter.setPen(palette.tertiary());
    FontTable::drawMonospacedDigits(painter, QPointF(topLeft.x(), topLeft.y() + metrics.height() + lineSpacing + metrics.ascent()),
                                    text.time);
    painter.restore();
}
