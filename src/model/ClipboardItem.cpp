#include "model/ClipboardItem.h"

#include "model/JsonListCoding.h"

#include <QSharedData>

#include <algorithm>
#include <array>

// What most items never have (a label, files, an analysis, a paste), kept apart so that an item without
// them does not carry their empty fields: a history of thousands of texts is mostly text.
class ClipboardItemExtras : public QSharedData
{
public:
    QString label;
    QDateTime lastUsedAt;
    QString filePath;
    QByteArray filePathsData;
    QString fileName;
    qint64 fileSize = 0;
    std::shared_ptr<LazyBlob> image;
    QString unknownTypeRawValue; // a kind this version does not know, as stored
    QByteArray unusualDigest; // a digest that is not a SHA-256
    QString aiTitle;
    QString aiSummary;
    QString aiCategory;
    QByteArray aiTagsData;
    QString aiExtractedText;
    bool aiIsSensitive = false;
    QDateTime aiAnalyzedAt;
    int aiAnalysisVersion = 0;
};

class ClipboardItemData : public QSharedData
{
public:
    static constexpr quint8 unknownKind = 0xff;
    static constexpr qsizetype digestSize = 32;

    // Beside the reference count: the stored kind (unknownKind when the extras hold its raw value) and
    // whether `digest` holds one.
    quint8 kind = quint8(ClipboardItemType::text);
    bool hasDigest = false;
    QUuid id;
    std::array<char, digestSize> digest{}; // a SHA-256 kept in place rather than as bytes of its own
    QByteArray text; // UTF-8
    QDateTime date;
    std::shared_ptr<LazyBlob> payload;
    // Where the payload is read from while `payload` is null (shared by every item of a store).
    std::shared_ptr<const StoredPayloads> storedPayloads;
    qint64 storedPayloadSize = 0;
    QString sourceApplicationId;
    QString sourceApplicationName;
    QSharedDataPointer<ClipboardItemExtras> extras; // null until one of them is set

    const ClipboardItemExtras &read() const
    {
        static const ClipboardItemExtras none;
        return extras ? *extras : none;
    }
    // Setting a field to its empty value makes no extras.
    template<typename T>
    void set(T ClipboardItemExtras::*field, const T &value)
    {
        if (!extras && value == T())
            return;
        if (!extras)
            extras = new ClipboardItemExtras;
        extras.data()->*field = value;
    }
};

namespace {

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// The same for UTF-8, decoding only when a character outside ASCII comes before any other.
bool isBlankUtf8(const QByteArray &text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return isBlank(QString::fromUtf8(text));
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    return true;
}

} // namespace

ClipboardItem::ClipboardItem() : d(new ClipboardItemData) {}
ClipboardItem::ClipboardItem(const QUuid &id) : d(new ClipboardItemData) { d->id = id; }
ClipboardItem::ClipboardItem(const ClipboardItem &) = default;
ClipboardItem::ClipboardItem(ClipboardItem &&) noexcept = default;
ClipboardItem &ClipboardItem::operator=(const ClipboardItem &) = default;
ClipboardItem &ClipboardItem::operator=(ClipboardItem &&) noexcept = default;
ClipboardItem::~ClipboardItem() = default;

QUuid ClipboardItem::id() const { return d->id; }
void ClipboardItem::setId(const QUuid &id) { d->id = id; }
QString ClipboardItem::text() const { return QString::fromUtf8(d->text); }
void ClipboardItem::setText(const QString &text) { d->text = text.toUtf8(); }
QByteArray ClipboardItem::textUtf8() const { return d->text; }
void ClipboardItem::setTextUtf8(const QByteArray &text) { d->text = text; }
QString ClipboardItem::label() const { return d->read().label; }
void ClipboardItem::setLabel(const QString &label) { d->set(&ClipboardItemExtras::label, label); }
QDateTime ClipboardItem::date() const { return d->date; }
void ClipboardItem::setDate(const QDateTime &date) { d->date = date; }
QDateTime ClipboardItem::lastUsedAt() const { return d->read().lastUsedAt; }
void ClipboardItem::setLastUsedAt(const QDateTime &date) { d->set(&ClipboardItemExtras::lastUsedAt, date); }
QString ClipboardItem::typeRawValue() const
{
    if (d->kind != ClipboardItemData::unknownKind)
        return rawValue(ClipboardItemType(d->kind));
    // An empty one stays a value, not none: the store keeps a kind for every row.
    const QString &raw = d->read().unknownTypeRawValue;
    return raw.isNull() ? QString(QLatin1String("")) : raw;
}
void ClipboardItem::setTypeRawValue(const QString &raw)
{
    const std::optional<ClipboardItemType> kind = clipboardItemTypeFromRawValue(raw);
    d->kind = kind ? quint8(*kind) : ClipboardItemData::unknownKind;
    d->set(&ClipboardItemExtras::unknownTypeRawValue, kind ? QString() : raw);
}
QString ClipboardItem::filePath() const { return d->read().filePath; }
void ClipboardItem::setFilePath(const QString &path) { d->set(&ClipboardItemExtras::filePath, path); }
QByteArray ClipboardItem::filePathsData() const { return d->read().filePathsData; }
void ClipboardItem::setFilePathsData(const QByteArray &data) { d->set(&ClipboardItemExtras::filePathsData, data); }
QString ClipboardItem::fileName() const { return d->read().fileName; }
void ClipboardItem::setFileName(const QString &name) { d->set(&ClipboardItemExtras::fileName, name); }
qint64 ClipboardItem::fileSize() const { return d->read().fileSize; }
void ClipboardItem::setFileSize(qint64 size) { d->set(&ClipboardItemExtras::fileSize, size); }

QByteArray ClipboardItem::imageData() const
{
    const std::shared_ptr<LazyBlob> &image = d->read().image;
    return image ? image->data() : QByteArray();
}
void ClipboardItem::setImageData(const QByteArray &data)
{
    setImageBlob(data.isEmpty() ? nullptr : LazyBlob::inMemory(data));
}
bool ClipboardItem::hasImageData() const { return imageByteCount() > 0; }
qint64 ClipboardItem::imageByteCount() const
{
    const std::shared_ptr<LazyBlob> &image = d->read().image;
    return image ? image->size() : 0;
}
std::shared_ptr<LazyBlob> ClipboardItem::imageBlob() const { return d->read().image; }
void ClipboardItem::setImageBlob(std::shared_ptr<LazyBlob> blob) { d->set(&ClipboardItemExtras::image, blob); }

QByteArray ClipboardItem::payloadData() const
{
    const std::shared_ptr<LazyBlob> blob = payloadBlob();
    return blob ? blob->data() : QByteArray();
}
void ClipboardItem::setPayloadData(const QByteArray &data)
{
    setPayloadBlob(data.isEmpty() ? nullptr : LazyBlob::inMemory(data));
}
void ClipboardItem::setPayload(const PasteboardPayload &payload)
{
    setPayloadData(payload.isEmpty() ? QByteArray() : payload.encoded());
}
bool ClipboardItem::hasPayload() const
{
    return d->payload ? d->payload->size() > 0 : d->storedPayloads && d->storedPayloadSize > 0;
}
bool ClipboardItem::hasSamePayloadAs(const ClipboardItem &other) const
{
    if (d->payload == other.d->payload && d->storedPayloads == other.d->storedPayloads
        && (!d->storedPayloads || d->id == other.d->id))
        return true;
    const std::shared_ptr<LazyBlob> mine = payloadBlob();
    const std::shared_ptr<LazyBlob> theirs = other.payloadBlob();
    if (!mine || !theirs)
        return false;
    const QByteArray myForm = mine->storedForm();
    const QByteArray theirForm = theirs->storedForm();
    if (!myForm.isEmpty() && !theirForm.isEmpty())
        return myForm == theirForm;
    return mine->size() == theirs->size() && mine->data() == theirs->data();
}
std::shared_ptr<LazyBlob> ClipboardItem::payloadBlob() const
{
    if (d->payload || !d->storedPayloads || d->storedPayloadSize <= 0)
        return d->payload;
    return d->storedPayloads->payload(d->id, d->text, d->storedPayloadSize);
}
void ClipboardItem::setPayloadBlob(std::shared_ptr<LazyBlob> blob)
{
    d->payload = std::move(blob);
    d->storedPayloads.reset();
    d->storedPayloadSize = 0;
}
void ClipboardItem::setStoredPayload(std::shared_ptr<const StoredPayloads> source, qint64 size)
{
    d->payload.reset();
    d->storedPayloads = std::move(source);
    d->storedPayloadSize = size;
}

QString ClipboardItem::sourceApplicationId() const { return d->sourceApplicationId; }
void ClipboardItem::setSourceApplicationId(const QString &identifier) { d->sourceApplicationId = identifier; }
QString ClipboardItem::sourceApplicationName() const { return d->sourceApplicationName; }
void ClipboardItem::setSourceApplicationName(const QString &name) { d->sourceApplicationName = name; }
QByteArray ClipboardItem::contentDigest() const { return contentDigestView().toByteArray(); }
QByteArrayView ClipboardItem::contentDigestView() const
{
    if (d->hasDigest)
        return QByteArrayView(d->digest.data(), ClipboardItemData::digestSize);
    return d->read().unusualDigest;
}
void ClipboardItem::setContentDigest(const QByteArray &digest)
{
    d->hasDigest = digest.size() == ClipboardItemData::digestSize;
    if (d->hasDigest)
        std::copy(digest.cbegin(), digest.cend(), d->digest.begin());
    d->set(&ClipboardItemExtras::unusualDigest, d->hasDigest ? QByteArray() : digest);
}

QString ClipboardItem::aiTitle() const { return d->read().aiTitle; }
void ClipboardItem::setAiTitle(const QString &title) { d->set(&ClipboardItemExtras::aiTitle, title); }
QString ClipboardItem::aiSummary() const { return d->read().aiSummary; }
void ClipboardItem::setAiSummary(const QString &summary) { d->set(&ClipboardItemExtras::aiSummary, summary); }
QString ClipboardItem::aiCategory() const { return d->read().aiCategory; }
void ClipboardItem::setAiCategory(const QString &category) { d->set(&ClipboardItemExtras::aiCategory, category); }
QByteArray ClipboardItem::aiTagsData() const { return d->read().aiTagsData; }
void ClipboardItem::setAiTagsData(const QByteArray &data) { d->set(&ClipboardItemExtras::aiTagsData, data); }
QString ClipboardItem::aiExtractedText() const { return d->read().aiExtractedText; }
void ClipboardItem::setAiExtractedText(const QString &text) { d->set(&ClipboardItemExtras::aiExtractedText, text); }
bool ClipboardItem::aiIsSensitive() const { return d->read().aiIsSensitive; }
void ClipboardItem::setAiIsSensitive(bool sensitive) { d->set(&ClipboardItemExtras::aiIsSensitive, sensitive); }
QDateTime ClipboardItem::aiAnalyzedAt() const { return d->read().aiAnalyzedAt; }
void ClipboardItem::setAiAnalyzedAt(const QDateTime &date) { d->set(&ClipboardItemExtras::aiAnalyzedAt, date); }
int ClipboardItem::aiAnalysisVersion() const { return d->read().aiAnalysisVersion; }
void ClipboardItem::setAiAnalysisVersion(int version) { d->set(&ClipboardItemExtras::aiAnalysisVersion, version); }

ClipboardItemType ClipboardItem::type() const
{
    if (d->kind != ClipboardItemData::unknownKind && ClipboardItemType(d->kind) != ClipboardItemType::text)
        return ClipboardItemType(d->kind);
    if (!d->read().filePath.isEmpty() || !filePaths().isEmpty())
        return ClipboardItemType::file;
    if (hasImageData())
        return ClipboardItemType::image;
    return ClipboardItemType::text;
}

QString ClipboardItem::displayTitle() const
{
    const ClipboardItemType kind = type();
    if (kind == ClipboardItemType::image) {
        const QString title = d->read().aiTitle.trimmed();
        if (!title.isEmpty())
            return title;
    }
    const QStringList paths = filePaths();
    if (paths.size() >= 2)
        return QStringLiteral("%1 files").arg(paths.size());
    if (kind == ClipboardItemType::file && !d->read().fileName.isEmpty())
        return d->read().fileName;
    if (!isBlankUtf8(d->text))
        return text();
    return QStringLiteral("Clipboard item");
}

bool ClipboardItem::isTitledByText() const
{
    const ClipboardItemType kind = type();
    if (kind == ClipboardItemType::image && !d->read().aiTitle.trimmed().isEmpty())
        return false;
    if (filePaths().size() >= 2 || (kind == ClipboardItemType::file && !d->read().fileName.isEmpty()))
        return false;
    return !isBlankUtf8(d->text);
}

QString ClipboardItem::displayTitle(qsizetype maximumLength) const
{
    // A character takes at most four bytes: a cut sequence decodes past the characters kept.
    QString title = isTitledByText() ? QString::fromUtf8(d->text.left(maximumLength * 4)) : displayTitle();
    if (title.size() > maximumLength) {
        title.truncate(maximumLength);
        if (title.back().isHighSurrogate())
            title.chop(1);
    }
    return title;
}

QStringList ClipboardItem::filePaths() const
{
    QStringList paths = JsonListCoding::decodeStrings(d->read().filePathsData);
    if (paths.isEmpty() && !d->read().filePath.isEmpty())
        paths.append(d->read().filePath);
    return paths;
}

void ClipboardItem::setFilePaths(const QStringList &paths)
{
    d->set(&ClipboardItemExtras::filePathsData, JsonListCoding::encodeStrings(paths));
    d->set(&ClipboardItemExtras::filePath, paths.value(0));
}

QStringList ClipboardItem::tags() const { return JsonListCoding::decodeStrings(d->read().aiTagsData); }
void ClipboardItem::setTags(const QStringList &tags) { d->set(&ClipboardItemExtras::aiTagsData, JsonListCoding::encodeStrings(tags)); }

std::optional<PasteboardPayload> ClipboardItem::payload() const
{
    if (!hasPayload())
        return std::nullopt;
    return PasteboardPayload::decode(payloadData());
}

bool ClipboardItem::isEligibleForAnalysis() const
{
    switch (type()) {
    case ClipboardItemType::text:
    case ClipboardItemType::url:
        return !isBlankUtf8(d->text);
    case ClipboardItemType::image:
        return hasImageData();
    default:
        return false;
    }
}

bool ClipboardItem::hasCurrentAnalysis() const
{
    return d->read().aiAnalyzedAt.isValid() && d->read().aiAnalysisVersion == currentAnalysisVersion;
}
