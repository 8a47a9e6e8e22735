#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
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
    // Whether it brings an image or files: an image/* type (even one whose bytes were not read) or a
    // file list naming a file.
    bool carriesImageOrFiles() const;

    // Versioned binary form of the whole payload, every representation's bytes included.
    QByteArray encoded() const;
    // The size of encoded(), without building it.
    qint64 encodedSize() const;
    // Decodes `encoded()` output; on corrupt or unknown data returns none and sets `error`.
    static std::optional<PasteboardPayload> decode(const QByteArray &data, QString *error = nullptr);

    // The compact form a history row keeps. Representations up to recordInlineLimit bytes are in it;
    // larger ones, and those equal to `itemImage` (kept in a file of its own already), go to `storeBlob`,
    // which answers the name it keeps them under (empty when it could not: the record is then none);
    // plain text equal to `itemText` is only marked as such, not repeated.
    static constexpr qint64 recordInlineLimit = 16 * 1024;
    using BlobStorer = std::function<QString(const QByteArray &bytes)>;
    using BlobLoader = std::function<QByteArray(const QString &name, qint64 size)>;
    std::optional<QByteArray> record(const QByteArray &itemText, const QByteArray &itemImage,
                                     const BlobStorer &storeBlob) const;
    // The payload a record stands for. A blob that cannot be loaded (empty bytes) leaves its representation
    // unavailable; a record that does not decode gives none and sets `error`.
    static std::optional<PasteboardPayload> fromRecord(const QByteArray &record, const QByteArray &itemText,
                                                       const BlobLoader &loadBlob, QString *error = nullptr);
    // The names of the blobs a record refers to, and encodedSize() of the payload it stands for.
    static QStringList recordBlobNames(const QByteArray &record);
    static qint64 recordEncodedSize(const QByteArray &record);

    friend bool operator==(const PasteboardPayload &, const PasteboardPayload &) = default;
};
