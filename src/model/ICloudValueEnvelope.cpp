#include "model/ICloudValueEnvelope.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

double secondsSince1970(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0;
}

QDateTime dateFromSecondsSince1970(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

QByteArray ICloudValueEnvelope::encoded() const
{
    const QJsonObject object{{QStringLiteral("value"), QString::fromLatin1(value.toBase64())},
        {QStringLiteral("modifiedAt"), secondsSince1970(modifiedAt)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<ICloudValueEnvelope> ICloudValueEnvelope::decode(const QByteArray &data, const QString &key)
{
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    const QJsonValue value = object.value(QStringLiteral("value"));
    const QJsonValue modifiedAt = object.value(QStringLiteral("modifiedAt"));
    const auto base64 = value.isString() ? QByteArray::fromBase64Encoding(value.toString().toLatin1(),
                                               QByteArray::AbortOnBase64DecodingErrors)
                                         : QByteArray::FromBase64Result{{}, QByteArray::Base64DecodingStatus::IllegalCharacter};
    if (!base64 || !modifiedAt.isDouble() || !std::isfinite(modifiedAt.toDouble())) {
        qWarning("The iCloud value under \"%s\" is not a value with a modification date; it is ignored.",
            qPrintable(key));
        return std::nullopt;
    }
    return ICloudValueEnvelope{base64.decoded, dateFromSecondsSince1970(modifiedAt.toDouble())};
}
