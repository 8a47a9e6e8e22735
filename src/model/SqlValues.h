#pragma once
// How the stores write values into SQLite columns and read them back: dates as milliseconds since 1970
// (UTC), absent values as NULL.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace SqlValues {

// NULL for an invalid date.
QVariant date(const QDateTime &date);
// Invalid for NULL.
QDateTime dateFrom(const QVariant &value);

QVariant optionalDate(const std::optional<QDateTime> &date);
std::optional<QDateTime> optionalDateFrom(const QVariant &value);

// NULL only when absent: an empty string stays an empty string.
QVariant optionalText(const std::optional<QString> &text);
std::optional<QString> optionalTextFrom(const QVariant &value);

QVariant optionalBytes(const std::optional<QByteArray> &bytes);
std::optional<QByteArray> optionalBytesFrom(const QVariant &value);

} // namespace SqlValues
