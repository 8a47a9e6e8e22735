#include "model/PasteboardPayload.h"

#include "model/UriList.h"

#include <QtEndian>

#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

// "TVPL", then a format version; bump the version when the layout changes.
constexpr char kMagic[4] = {'T', 'V', 'P', 'L'};
constexpr quint32 kVersion = 1;

enum : quint8 { kPresent = 0, kUnavailable = 1, kSizeLimit = 2 };

void putU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putI64(QByteArray &out, qint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

// Reads with bounds checks: any read past the end marks the reader failed.
class Reader
{
public:
    explicit Reader(const QByteArray &data) : m_data(data) {}

    bool failed() const { return m_failed; }
    qsizetype remaining() const { return m_data.size() - m_pos; }

    quint32 u32()
    {
        if (!need(4)) return 0;
        const auto v = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
        m_pos += 4;
        return v;
    }
    qint64 i64()
    {
        if (!need(8)) return 0;
        const auto v = qFromLittleEndian<qint64>(m_data.constData() + m_pos);
        m_pos += 8;
        return v;
    }
    quint8 u8()
    {
        if (!need(1)) return 0;
        return quint8(m_data.at(m_pos++));
    }
    QByteArray bytes(qint64 count)
    {
        if (count < 0 || !need(count)) return {};
        QByteArray out = m_data.mid(m_pos, qsizetype(count));
        m_pos += qsizetype(count);
        return out;
    }

private:
    bool need(qint64 count)
    {
        if (m_failed || count > remaining()) {
            m_failed = true;
            return false;
        }
        return true;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

// The record: "TVPR", a version, then per item its representations, each with its bytes inline, as the
// name and size of a blob, or as a mark that they are the item's text.
constexpr char kRecordMagic[4] = {'T', 'V', 'P', 'R'};
constexpr quint32 kRecordVersion = 1;
enum : quint8 { kInline = 0, kBlob = 1, kItemText = 2 };

struct RecordRep {
    QString type;
    quint8 omission = kPresent;
    qint64 originalByteCount = 0;
    quint8 storage = kInline;
    QByteArray bytes; // inline bytes, or the blob's name
    qint64 size = 0;  // the bytes the representation holds
};
using RecordItems = QList<QList<RecordRep>>;

std::optional<RecordItems> parseRecord(const QByteArray &record)
{
    if (record.size() < 12 || std::memcmp(record.constData(), kRecordMagic, 4) != 0)
        return std::nullopt;
    Reader in(record);
    in.bytes(4);
    if (in.u32() != kRecordVersion)
        return std::nullopt;
    const quint32 itemCount = in.u32();
    if (in.failed() || itemCount > quint64(in.remaining()) / 4)
        return std::nullopt;
    RecordItems items;
    for (quint32 i = 0; i < itemCount; ++i) {
        const quint32 repCount = in.u32();
        if (in.failed() || repCount > quint64(in.remaining()) / 22)
            return std::nullopt;
        QList<RecordRep> reps;
        for (quint32 r = 0; r < repCount; ++r) {
            RecordRep rep;
            rep.type = QString::fromUtf8(in.bytes(in.u32()));
            rep.omission = in.u8();
            rep.originalByteCount = in.i64();
            rep.storage = in.u8();
            if (rep.storage == kInline) {
                rep.bytes = in.bytes(in.i64());
                rep.size = rep.bytes.size();
            } else if (rep.storage == kBlob) {
                rep.bytes = in.bytes(in.u32());
                rep.size = in.i64();
            } else if (rep.storage == kItemText) {
                rep.size = in.i64();
            }
            if (in.failed() || rep.omission > kSizeLimit || rep.storage > kItemText || rep.size < 0)
                return std::nullopt;
            reps.append(std::move(rep));
        }
        items.append(std::move(reps));
    }
    if (in.remaining() != 0)
        return std::nullopt;
    return items;
}

// Type, omission and original size: how both the full encoding and the stored record begin a representation.
void putRepresentationHeader(QByteArray &out, const PasteboardRepresentation &rep)
{
    const QByteArray type = rep.type.toUtf8();
    putU32(out, quint32(type.size()));
    out.append(type);
    quint8 flag = kPresent;
    if (rep.omissionReason == OmissionReason::unavailable)
        flag = kUnavailable;
    else if (rep.omissionReason == OmissionReason::sizeLimit)
        flag = kSizeLimit;
    out.append(char(flag));
    putI64(out, rep.originalByteCount);
}

std::optional<PasteboardPayload> fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return std::nullopt;
}

} // namespace

const PasteboardRepresentation *PasteboardPayloadItem::representation(const QString &type) const
{
    for (const auto &rep : representations) {
        if (rep.type == type)
            return &rep;
    }
    return nullptr;
}

qint64 PasteboardPayload::totalByteCount() const
{
    qint64 total = 0;
    for (const auto &item : items)
        for (const auto &rep : item.representations)
            total += rep.data.size();
    return total;
}

qint64 PasteboardPayload::totalOriginalByteCount() const
{
    qint64 total = 0;
    for (const auto &item : items)
        for (const auto &rep : item.representations)
            total += rep.originalByteCount;
    return total;
}

int PasteboardPayload::representationCount() const
{
    int count = 0;
    for (const auto &item : items)
        count += int(item.representations.size());
    return count;
}

bool PasteboardPayload::hasType(const QString &type) const
{
    for (const auto &item : items)
        if (item.representation(type))
            return true;
    return false;
}

bool PasteboardPayload::carriesImageOrFiles() const
{
    for (const auto &item : items) {
        for (const auto &rep : item.representations) {
            // An image counts once offered: its bytes may come with a later read.
            if (rep.type.startsWith(QLatin1String("image/")))
                return true;
            const QList<QUrl> urls = UriList::urls(rep.type, rep.data);
            if (std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
                return true;
        }
    }
    return false;
}

QStringList PasteboardPayload::types() const
{
    QStringList out;
    for (const auto &item : items)
        for (const auto &rep : item.representations)
            if (!out.contains(rep.type))
                out.append(rep.type);
    return out;
}

QByteArray PasteboardPayload::encoded() const
{
    QByteArray out;
    out.reserve(qsizetype(16 + totalByteCount() + representationCount() * 32));
    out.append(kMagic, 4);
    putU32(out, kVersion);
    putU32(out, quint32(items.size()));
    for (const auto &item : items) {
        putU32(out, quint32(item.representations.size()));
        for (const auto &rep : item.representations) {
            putRepresentationHeader(out, rep);
            putI64(out, rep.data.size());
            out.append(rep.data);
        }
    }
    return out;
}

qint64 PasteboardPayload::encodedSize() const
{
    qint64 size = 4 + 4 + 4; // magic, version, item count
    for (const auto &item : items) {
        size += 4;
        for (const auto &rep : item.representations)
            size += 4 + rep.type.toUtf8().size() + 1 + 8 + 8 + rep.data.size();
    }
    return size;
}

std::optional<PasteboardPayload> PasteboardPayload::decode(const QByteArray &data, QString *error)
{
    if (data.size() < 8 || std::memcmp(data.constData(), kMagic, 4) != 0)
        return fail(error, QStringLiteral("not a pasteboard payload"));
    Reader in(data);
    in.bytes(4);
    const quint32 version = in.u32();
    if (version != kVersion)
        return fail(error, QStringLiteral("unsupported pasteboard payload version %1").arg(version));

    PasteboardPayload payload;
    const quint32 itemCount = in.u32();
    // Every item needs at least its 4-byte count, so a larger count is corrupt, not a reason to allocate.
    if (in.failed() || itemCount > quint64(in.remaining()) / 4)
        return fail(error, QStringLiteral("corrupt pasteboard payload (item count)"));
    payload.items.reserve(itemCount);
    for (quint32 i = 0; i < itemCount; ++i) {
        PasteboardPayloadItem item;
        const quint32 repCount = in.u32();
        if (in.failed() || repCount > quint64(in.remaining()) / 21)
            return fail(error, QStringLiteral("corrupt pasteboard payload (representation count)"));
        item.representations.reserve(repCount);
        for (quint32 r = 0; r < repCount; ++r) {
            PasteboardRepresentation rep;
            const quint32 typeLength = in.u32();
            rep.type = QString::fromUtf8(in.bytes(typeLength));
            const quint8 flag = in.u8();
            rep.originalByteCount = in.i64();
            const qint64 dataLength = in.i64();
            if (in.failed() || dataLength < 0 || flag > kSizeLimit)
                return fail(error, QStringLiteral("corrupt pasteboard payload (representation header)"));
            rep.data = in.bytes(dataLength);
            if (in.failed())
                return fail(error, QStringLiteral("corrupt pasteboard payload (truncated data)"));
            if (flag == kUnavailable)
                rep.omissionReason = OmissionReason::unavailable;
            else if (flag == kSizeLimit)
                rep.omissionReason = OmissionReason::sizeLimit;
            item.representations.append(std::move(rep));
        }
        payload.items.append(std::move(item));
    }
    if (in.remaining() != 0)
        return fail(error, QStringLiteral("corrupt pasteboard payload (trailing bytes)"));
    return payload;
}

std::optional<QByteArray> PasteboardPayload::record(const QByteArray &itemText, const QByteArray &itemImage,
                                                    const BlobStorer &storeBlob) const
{
    QByteArray out;
    out.append(kRecordMagic, 4);
    putU32(out, kRecordVersion);
    putU32(out, quint32(items.size()));
    for (const auto &item : items) {
        putU32(out, quint32(item.representations.size()));
        for (const auto &rep : item.representations) {
            putRepresentationHeader(out, rep);
            if (!rep.data.isEmpty() && rep.data == itemText) {
                out.append(char(kItemText));
                putI64(out, rep.data.size());
            } else if (rep.data.size() > recordInlineLimit || (!rep.data.isEmpty() && rep.data == itemImage)) {
                const QByteArray name = storeBlob ? storeBlob(rep.data).toUtf8() : QByteArray();
                if (name.isEmpty())
                    return std::nullopt;
                out.append(char(kBlob));
                putU32(out, quint32(name.size()));
                out.append(name);
                putI64(out, rep.data.size());
            } else {
                out.append(char(kInline));
                putI64(out, rep.data.size());
                out.append(rep.data);
            }
        }
    }
    return out;
}

std::optional<PasteboardPayload> PasteboardPayload::fromRecord(const QByteArray &record, const QByteArray &itemText,
                                                               const BlobLoader &loadBlob, QString *error)
{
    const std::optional<RecordItems> items = parseRecord(record);
    if (!items)
        return fail(error, QStringLiteral("corrupt payload record"));
    PasteboardPayload payload;
    for (const QList<RecordRep> &reps : *items) {
        PasteboardPayloadItem item;
        for (const RecordRep &entry : reps) {
            PasteboardRepresentation rep;
            rep.type = entry.type;
            rep.originalByteCount = entry.originalByteCount;
            if (entry.omission == kUnavailable)
                rep.omissionReason = OmissionReason::unavailable;
            else if (entry.omission == kSizeLimit)
                rep.omissionReason = OmissionReason::sizeLimit;
            if (entry.storage == kInline)
                rep.data = entry.bytes;
            else if (entry.storage == kItemText)
                rep.data = itemText;
            else if (loadBlob)
                rep.data = loadBlob(QString::fromUtf8(entry.bytes), entry.size);
            // Bytes that are gone (a lost file) are not offered as if they were empty.
            if (rep.data.size() != entry.size) {
                rep.data.clear();
                rep.omissionReason = OmissionReason::unavailable;
            }
            item.representations.append(std::move(rep));
        }
        payload.items.append(std::move(item));
    }
    return payload;
}

QStringList PasteboardPayload::recordBlobNames(const QByteArray &record)
{
    QStringList names;
    if (const std::optional<RecordItems> items = parseRecord(record)) {
        for (const QList<RecordRep> &reps : *items)
            for (const RecordRep &rep : reps)
                if (rep.storage == kBlob && !names.contains(QString::fromUtf8(rep.bytes)))
                    names.append(QString::fromUtf8(rep.bytes));
    }
    return names;
}

qint64 PasteboardPayload::recordEncodedSize(const QByteArray &record)
{
    const std::optional<RecordItems> items = parseRecord(record);
    if (!items)
        return 0;
    qint64 size = 4 + 4 + 4;
    for (const QList<RecordRep> &reps : *items) {
        size += 4;
        for (const RecordRep &rep : reps)
            size += 4 + rep.type.toUtf8().size() + 1 + 8 + 8 + rep.size;
    }
    return size;
}
