#pragma once
// The lists kept inside model rows (file paths, tags, use dates, fingerprints) as JSON-encoded data.
// Data that is absent or cannot be decoded reads as an empty list.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

namespace JsonListCoding {

QStringList decodeStrings(const QByteArray &data);
// Empty data for an empty list.
QByteArray encodeStrings(const QStringList &list);

// Dates as numbers of seconds since 2001-01-01 00:00 UTC, not the Unix epoch: the stored lists were
// written with this reference date and keep it, so stores written before stay readable.
QList<QDateTime> decodeDates(const QByteArray &data);
QByteArray encodeDates(const QList<QDateTime> &dates);

} // namespace JsonListCoding
