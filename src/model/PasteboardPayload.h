#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Why a representation was kept without its data.
enum class OmissionReason { unavailable, sizeLimit };

// One format of one pasteboard item, e.g. "text/plain;charset=utf-8" with its bytes.
struct PasteboardRepresentation
{
    QString type;
    QByteArray data;
    qint64 originalByteCount = 0;
    std::optional<OmissionReason> omissionReason;

    bool isOmitted() const { return omissionReason.has_value(); }
    friend bool operator==(const PasteboardRepresentation &, const PasteboardRepresentation &) = default;
};

struct PasteboardPayloadItem
{
    QList<PasteboardRepresentation> representations;

    // The first representation of the given type, or null.
    const PasteboardRepresentation *representation(const QString &type) const;
    friend bool operator==(const PasteboardPayloadItem &, const PasteboardPayloadItem &) = default;
};

// Everything one capture read from the pasteboard, in the order it was read.
struct PasteboardPayload
{
    QList<PasteboardPayloadItem> items;

    bool isEmpty() const { return items.isEmpty(); }
    // Bytes held in `data` over all representations.
    qint64 totalByteCount() const;
    // Bytes the owner offered, omitted representations included.
    qint64 totalOriginalByteCount() const;
    int representationCount() const;
    // Whether any item offers the given type.
    bool hasType(const QString &type) const;
    // Every distinct type over all items, in first-seen order.
    QStringList types() const;

    // Versioned binary form kept beside the history database.
    QByteArray encoded() const;
    // Decodes `encoded()` output; on corrupt or unknown data returns none and sets `error`.
    static std::optional<PasteboardPayload> decode(const QByteArray &data, QString *error = nullptr);

    friend bool operator==(const PasteboardPayload &, const PasteboardPayload &) = default;
};
