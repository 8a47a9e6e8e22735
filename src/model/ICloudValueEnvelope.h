#pragma once
// A value with the time it was last changed: the unit the iCloud key-value mirror stores, so that the newer
// side wins when both hold one.

#include <QByteArray>
#include <QDateTime>

#include <optional>

struct ICloudValueEnvelope {
    QByteArray value;
    QDateTime modifiedAt;

    // {"value": base64 text, "modifiedAt": seconds since 1970}.
    QByteArray encoded() const;
    // None (with a warning naming `key`) when the data is not an envelope.
    static std::optional<ICloudValueEnvelope> decode(const QByteArray &data, const QString &key = {});

    friend bool operator==(const ICloudValueEnvelope &, const ICloudValueEnvelope &) = default;
};

// Seconds since 1970 as stored beside every mirrored record, and back.
double secondsSince1970(const QDateTime &date);
QDateTime dateFromSecondsSince1970(double seconds);
