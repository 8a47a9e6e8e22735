#include "model/SqlValues.h"

QVariant SqlValues::date(const QDateTime &date)
{
    return date.isValid() ? QVariant(date.toMSecsSinceEpoch()) : QVariant(QMetaType::fromType<qint64>());
}

QDateTime SqlValues::dateFrom(const QVariant &value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(value.toLongLong(), Qt::UTC);
}

QVariant SqlValues::optionalDate(const std::optional<QDateTime> &date)
{
    return date ? SqlValues::date(*date) : QVariant(QMetaType::fromType<qint64>());
}

std::optional<QDateTime> SqlValues::optionalDateFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return dateFrom(value);
}

QVariant SqlValues::optionalText(const std::optional<QString> &text)
{
    // A null QString would be bound as NULL too: an empty one must stay a string.
    return text ? QVariant(text->isNull() ? QStringLiteral("") : *text) : QVariant(QMetaType::fromType<QString>());
}

std::optional<QString> SqlValues::optionalTextFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toString();
}

QVariant SqlValues::optionalBytes(const std::optional<QByteArray> &bytes)
{
    return bytes ? QVariant(bytes->isNull() ? QByteArray("") : *bytes) : QVariant(QMetaType::fromType<QByteArray>());
}

std::optional<QByteArray> SqlValues::optionalBytesFrom(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toByteArray();
}
