#pragma once
// A row's two-line timestamp: the day and month (two digits each, in the locale's order and separators,
// no year) over the hour and minute (the locale's 12- or 24-hour clock, with its am/pm marker), in a
// column 42 points wide. The same two lines for any date: no "today", no year.

#include "ui/Palette.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

class QPainter;

struct NotchListTimestamp {
    // The locale's two patterns, worked out once per locale rather than for every row drawn.
    struct Patterns {
        QString dayMonth;
        QString hourMinute;
        static Patterns of(const QLocale &locale);
    };

    QDateTime date;
    QLocale locale;
    // The locale's patterns when the caller has them already.
    std::optional<Patterns> patterns;

    static constexpr double width = 42;
    static constexpr double lineSpacing = 1;

    struct Lines {
        QString date;
        QString time;
    };
    static Lines lines(const QDateTime &date, const QLocale &locale);
    static Lines lines(const QDateTime &date, const QLocale &locale, const Patterns &patterns);
    Lines lines() const;
    // The locale's short date pattern reduced to day and month, each two digits ("dd/MM", "MM/dd", "dd.MM").
    static QString dayMonthPattern(const QLocale &locale);
    // The locale's short time pattern without seconds ("HH:mm", "h:mm AP").
    static QString hourMinutePattern(const QLocale &locale);
    // The date and time in words, as a screen reader says them ("7 December, 21:50"); the year only when it
    // is not `today`'s.
    static QString spoken(const QDateTime &date, const QLocale &locale, const QDate &today);

    double height() const;
    // Draws both lines in the 42-point column starting at `topLeft`.
    void paint(QPainter &painter, QPointF topLeft, const Palette &palette) const;
};
