#include "model/JsonListCoding.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QDateTime kReferenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

QJsonArray decodeArray(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(data);
    return doc.isArray() ? doc.array() : QJsonArray();
}

} // namespace

QStringList JsonListCoding::decodeStrings(const QByteArray &data)
{
    QStringList out;
    for (const auto &value : decodeArray(data))
        if (value.isString())
            out.append(value.toString());
    return out;
}

QByteArray JsonListCoding::encodeStrings(const QStringList &list)
{
    if (list.isEmpty())
        return {};
    return QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact);
}

QList<QDateTime> JsonListCoding::decodeDates(const QByteArray &data)
{
    QList<QDateTime> out;
    const QJsonArray array = decodeArray(data);
    for (const auto &value : array) {
        // One element of the wrong kind makes the whole list unreadable, as a strict decoder would.
        if (!value.isDouble())
            return {};
        out.append(kReferenceDate.addMSecs(qRound64(value.toDouble() * 1000.0)));
    }
    return out;
}

QByteArray JsonListCoding::encodeDates(const QList<QDateTime> &dates)
{
    QJsonArray array;
    for (const QDateTime &date : dates)
        array.append(double(kReferenceDate.msecsTo(date)) / 1000.0);
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}
