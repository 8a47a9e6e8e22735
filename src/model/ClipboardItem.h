#pragma once

#include "model/ClipboardItemType.h"
#include "model/LazyBlob.h"
#include "model/PasteboardPayload.h"
#include "model/StoredPayloads.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>

class ClipboardItemData;

// One persisted history item: a cheap, implicitly shared value whose identity is `id`.
// The image bytes and the captured payload are read from the store each time they are asked for, and not
// kept: a list of items costs its texts, not its images, and a stored item not even its payload's record. The text is kept once, as UTF-8 (half the
// memory of a QString for most text); text() decodes it on each call.
class ClipboardItem
{
public:
    // The analysis version that counts as current.
    static constexpr int currentAnalysisVersion = 2;

    ClipboardItem();
    explicit ClipboardItem(const QUuid &id);
    ClipboardItem(const ClipboardItem &);
    ClipboardItem(ClipboardItem &&) noexcept;
    ClipboardItem &operator=(const ClipboardItem &);
    ClipboardItem &operator=(ClipboardItem &&) noexcept;
    ~ClipboardItem();

    QUuid id() const;
    void setId(const QUuid &id);

    QString text() const;
    void setText(const QString &text);
    // The text as kept, shared rather than copied.
    QByteArray textUtf8() const;
    void setTextUtf8(const QByteArray &text);
    // A user label; empty when none.
    QString label() const;
    void setLabel(const QString &label);
    // The capture date, renewed when the item is used again.
    QDateTime date() const;
    void setDate(const QDateTime &date);
    // Invalid when the item was never pasted.
    QDateTime lastUsedAt() const;
    void setLastUsedAt(const QDateTime &date);
    QString typeRawValue() const;
    void setTypeRawValue(const QString &raw);

    QString filePath() const;
    void setFilePath(const QString &path);
    // JSON array of paths; empty when the item names at most one file.
    QByteArray filePathsData() const;
    void setFilePathsData(const QByteArray &data);
    QString fileName() const;
    void setFileName(const QString &name);
    qint64 fileSize() const;
    void setFileSize(qint64 size);

    // Loads the image file on first use; empty when the item has no image.
    QByteArray imageData() const;
    void setImageData(const QByteArray &data);
    bool hasImageData() const;
    qint64 imageByteCount() const;
    std::shared_ptr<LazyBlob> imageBlob() const;
    void setImageBlob(std::shared_ptr<LazyBlob> blob);

    // The encoded payload (PasteboardPayload::encoded()); loads on first use.
    QByteArray payloadData() const;
    void setPayloadData(const QByteArray &data);
    void setPayload(const PasteboardPayload &payload);
    bool hasPayload() const;
    // Whether both hold the same payload, told by their stored records where they have them (no bytes read).
    bool hasSamePayloadAs(const ClipboardItem &other) const;
    // Null when the item has no payload; for a payload read from `storedPayloads`, a new blob on each call.
    std::shared_ptr<LazyBlob> payloadBlob() const;
    void setPayloadBlob(std::shared_ptr<LazyBlob> blob);
    // The payload of a stored item, `size` bytes, read from `source` only when asked for.
    void setStoredPayload(std::shared_ptr<const StoredPayloads> source, qint64 size);

    QString sourceApplicationId() const;
    void setSourceApplicationId(const QString &identifier);
    QString sourceApplicationName() const;
    void setSourceApplicationName(const QString &name);

    // SHA-256 over kind and content, kept so that duplicates are found without loading blobs; may be empty.
    QByteArray contentDigest() const;
    // The same without a copy, valid while this item lives unchanged.
    QByteArrayView contentDigestView() const;
    void setContentDigest(const QByteArray &digest);

    QString aiTitle() const;
    void setAiTitle(const QString &title);
    QString aiSummary() const;
    void setAiSummary(const QString &summary);
    QString aiCategory() const;
    void setAiCategory(const QString &category);
    // JSON array of tags.
    QByteArray aiTagsData() const;
    void setAiTagsData(const QByteArray &data);
    QString aiExtractedText() const;
    void setAiExtractedText(const QString &text);
    bool aiIsSensitive() const;
    void setAiIsSensitive(bool sensitive);
    QDateTime aiAnalyzedAt() const;
    void setAiAnalyzedAt(const QDateTime &date);
    int aiAnalysisVersion() const;
    void setAiAnalysisVersion(int version);

    // The effective kind: the stored one, except that an unknown or text kind becomes file when the item
    // has a file path or paths, image when it has image data. Unknown kinds otherwise read as text.
    ClipboardItemType type() const;
    // Never empty; see the rules in the implementation.
    QString displayTitle() const;
    // Its first `maximumLength` characters (never half a surrogate pair), decoding no more of the text.
    QString displayTitle(qsizetype maximumLength) const;
    // Whether the display title is the item's own text.
    bool isTitledByText() const;
    // The decoded path list, or the single file path, or empty.
    QStringList filePaths() const;
    void setFilePaths(const QStringList &paths);
    QStringList tags() const;
    void setTags(const QStringList &tags);
    // None when the item has no payload or the stored bytes do not decode.
    std::optional<PasteboardPayload> payload() const;

    // Text or link with non-blank text, or an image with image data.
    bool isEligibleForAnalysis() const;
    // Analysed at the current version.
    bool hasCurrentAnalysis() const;

    bool isNull() const { return id().isNull(); }
    // Identity, not content.
    friend bool operator==(const ClipboardItem &a, const ClipboardItem &b) { return a.id() == b.id(); }
    // Whether both are copies of one value, not changed in either since: told without reading either.
    bool isSameValueAs(const ClipboardItem &other) const { return d == other.d; }

private:
    QSharedDataPointer<ClipboardItemData> d;
};
