#include "model/ClipboardItem.h"

#include "model/JsonListCoding.h"

#include <QSharedData>

class ClipboardItemData : public QSharedData
{
public:
    QUuid id;
    QString text;
    QString label;
    QDateTime date;
    QDateTime lastUsedAt;
    QString typeRawValue = QStringLiteral("text");
    QString filePath;
    QByteArray filePathsData;
    QString fileName;
    qint64 fileSize = 0;
    std::shared_ptr<LazyBlob> image;
    std::shared_ptr<LazyBlob> payload;
    QString sourceBundleIdentifier;
    QString sourceApplicationName;
    QByteArray contentDigest;
    QString aiTitle;
    QString aiSummary;
    QString aiCategory;
    QByteArray aiTagsData;
    QString aiExtractedText;
    bool aiIsSensitive = false;
    QDateTime aiAnalyzedAt;
    int aiAnalysisVersion = 0;
};

namespace {

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
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
QString ClipboardItem::text() const { return d->text; }
void ClipboardItem::setText(const QString &text) { d->text = text; }
QString ClipboardItem::label() const { return d->label; }
void ClipboardItem::setLabel(const QString &label) { d->label = label; }
QDateTime ClipboardItem::date() const { return d->date; }
void ClipboardItem::setDate(const QDateTime &date) { d->date = date; }
QDateTime ClipboardItem::lastUsedAt() const { return d->lastUsedAt; }
void ClipboardItem::setLastUsedAt(const QDateTime &date) { d->lastUsedAt = date; }
QString ClipboardItem::typeRawValue() const { return d->typeRawValue; }
void ClipboardItem::setTypeRawValue(const QString &raw) { d->typeRawValue = raw; }
QString ClipboardItem::filePath() const { return d->filePath; }
void ClipboardItem::setFilePath(const QString &path) { d->filePath = path; }
QByteArray ClipboardItem::filePathsData() const { return d->filePathsData; }
void ClipboardItem::setFilePathsData(const QByteArray &data) { d->filePathsData = data; }
QString ClipboardItem::fileName() const { return d->fileName; }
void ClipboardItem::setFileName(const QString &name) { d->fileName = name; }
qint64 ClipboardItem::fileSize() const { return d->fileSize; }
void ClipboardItem::setFileSize(qint64 size) { d->fileSize = size; }

QByteArray ClipboardItem::imageData() const { return d->image ? d->image->data() : QByteArray(); }
void ClipboardItem::setImageData(const QByteArray &data)
{
    d->image = data.isEmpty() ? nullptr : LazyBlob::inMemory(data);
}
bool ClipboardItem::hasImageData() const { return d->image && d->image->size() > 0; }
qint64 ClipboardItem::imageByteCount() const { return d->image ? d->image->size() : 0; }
std::shared_ptr<LazyBlob> ClipboardItem::imageBlob() const { return d->image; }
void ClipboardItem::setImageBlob(std::shared_ptr<LazyBlob> blob) { d->image = std::move(blob); }

QByteArray ClipboardItem::payloadData() const { return d->payload ? d->payload->data() : QByteArray(); }
void ClipboardItem::setPayloadData(const QByteArray &data)
{
    d->payload = data.isEmpty() ? nullptr : LazyBlob::inMemory(data);
}
void ClipboardItem::setPayload(const PasteboardPayload &payload)
{
    setPayloadData(payload.isEmpty() ? QByteArray() : payload.encoded());
}
bool ClipboardItem::hasPayload() const { return d->payload && d->payload->size() > 0; }
bool ClipboardItem::hasSamePayloadAs(const ClipboardItem &other) const
{
    if (d->payload == other.d->payload)
        return true;
    if (!d->payload || !other.d->payload)
        return false;
    const QByteArray mine = d->payload->storedForm();
    const QByteArray theirs = other.d->payload->storedForm();
    if (!mine.isEmpty() && !theirs.isEmpty())
        return mine == theirs;
    return d->payload->size() == other.d->payload->size() && payloadData() == other.payloadData();
}
std::shared_ptr<LazyBlob> ClipboardItem::payloadBlob() const { return d->payload; }
void ClipboardItem::setPayloadBlob(std::shared_ptr<LazyBlob> blob) { d->payload = std::move(blob); }

QString ClipboardItem::sourceBundleIdentifier() const { return d->sourceBundleIdentifier; }
void ClipboardItem::setSourceBundleIdentifier(const QString &identifier) { d->sourceBundleIdentifier = identifier; }
QString ClipboardItem::sourceApplicationName() const { return d->sourceApplicationName; }
void ClipboardItem::setSourceApplicationName(const QString &name) { d->sourceApplicationName = name; }
QByteArray ClipboardItem::contentDigest() const { return d->contentDigest; }
void ClipboardItem::setContentDigest(const QByteArray &digest) { d->contentDigest = digest; }

QString ClipboardItem::aiTitle() const { return d->aiTitle; }
void ClipboardItem::setAiTitle(const QString &title) { d->aiTitle = title; }
QString ClipboardItem::aiSummary() const { return d->aiSummary; }
void ClipboardItem::setAiSummary(const QString &summary) { d->aiSummary = summary; }
QString ClipboardItem::aiCategory() const { return d->aiCategory; }
void ClipboardItem::setAiCategory(const QString &category) { d->aiCategory = category; }
QByteArray ClipboardItem::aiTagsData() const { return d->aiTagsData; }
void ClipboardItem::setAiTagsData(const QByteArray &data) { d->aiTagsData = data; }
QString ClipboardItem::aiExtractedText() const { return d->aiExtractedText; }
void ClipboardItem::setAiExtractedText(const QString &text) { d->aiExtractedText = text; }
bool ClipboardItem::aiIsSensitive() const { return d->aiIsSensitive; }
void ClipboardItem::setAiIsSensitive(bool sensitive) { d->aiIsSensitive = sensitive; }
QDateTime ClipboardItem::aiAnalyzedAt() const { return d->aiAnalyzedAt; }
void ClipboardItem::setAiAnalyzedAt(const QDateTime &date) { d->aiAnalyzedAt = date; }
int ClipboardItem::aiAnalysisVersion() const { return d->aiAnalysisVersion; }
void ClipboardItem::setAiAnalysisVersion(int version) { d->aiAnalysisVersion = version; }

ClipboardItemType ClipboardItem::type() const
{
    const auto stored = clipboardItemTypeFromRawValue(d->typeRawValue);
    if (stored && *stored != ClipboardItemType::text)
        return *stored;
    if (!d->filePath.isEmpty() || !filePaths().isEmpty())
        return ClipboardItemType::file;
    if (hasImageData())
        return ClipboardItemType::image;
    return ClipboardItemType::text;
}

QString ClipboardItem::displayTitle() const
{
    const ClipboardItemType kind = type();
    if (kind == ClipboardItemType::image) {
        const QString title = d->aiTitle.trimmed();
        if (!title.isEmpty())
            return title;
    }
    const QStringList paths = filePaths();
    if (paths.size() >= 2)
        return QStringLiteral("%1 files").arg(paths.size());
    if (kind == ClipboardItemType::file && !d->fileName.isEmpty())
        return d->fileName;
    if (!isBlank(d->text))
        return d->text;
    return QStringLiteral("Clipboard item");
}

QStringList ClipboardItem::filePaths() const
{
    QStringList paths = JsonListCoding::decodeStrings(d->filePathsData);
    if (paths.isEmpty() && !d->filePath.isEmpty())
        paths.append(d->filePath);
    return paths;
}

void ClipboardItem::setFilePaths(const QStringList &paths)
{
    d->filePathsData = JsonListCoding::encodeStrings(paths);
    d->filePath = paths.value(0);
}

QStringList ClipboardItem::tags() const { return JsonListCoding::decodeStrings(d->aiTagsData); }
void ClipboardItem::setTags(const QStringList &tags) { d->aiTagsData = JsonListCoding::encodeStrings(tags); }

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
        return !isBlank(d->text);
    case ClipboardItemType::image:
        return hasImageData();
    default:
        return false;
    }
}

bool ClipboardItem::hasCurrentAnalysis() const
{
    return d->aiAnalyzedAt.isValid() && d->aiAnalysisVersion == currentAnalysisVersion;
}
