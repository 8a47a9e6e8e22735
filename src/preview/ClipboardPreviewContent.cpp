#include "preview/ClipboardPreviewContent.h"

#include "clipboard/ClipboardImageDecoder.h"
#include "model/ClipboardItemType.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

QString imageProblemText(ClipboardImageDecoder::Problem problem, QSize size)
{
    switch (problem) {
    case ClipboardImageDecoder::Problem::none:
        return {};
    case ClipboardImageDecoder::Problem::empty:
        return QStringLiteral("This item holds no image data.");
    case ClipboardImageDecoder::Problem::undecodable:
        return QStringLiteral("This image cannot be shown: its data could not be decoded.");
    case ClipboardImageDecoder::Problem::tooLarge:
        return QStringLiteral("This image is too large to preview (%1 × %2 pixels).")
            .arg(QLocale().toString(size.width()), QLocale().toString(size.height()));
    }
    return {};
}

// A name's control characters (a line feed, an escape) show as their pictures: drawn as they are, they
// break the row in two or draw as a box.
QString withControlPictures(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7f)
            c = QChar(0x2421);
    }
    return text;
}

void fillFiles(ClipboardPreviewContent &content, const QStringList &paths)
{
    content.fileCount = paths.size();
    const QString home = QDir::homePath();
    for (const QString &raw : paths) {
        if (content.files.size() >= ClipboardPreviewContent::maximumListedFiles)
            break;
        // Paths may arrive as file URLs from some sources.
        const QString path = raw.startsWith(QStringLiteral("file:")) ? QUrl(raw).toLocalFile() : raw;
        const QFileInfo info(path);
        ClipboardPreviewContent::FileEntry entry;
        entry.name = withControlPictures(info.fileName().isEmpty() ? path : info.fileName());
        entry.folder = withControlPictures(ClipboardPreviewContent::displayFolder(info.absolutePath(), home));
        entry.exists = info.exists();
        entry.isFolder = info.isDir();
        content.files.append(entry);
    }
}

void fillFormats(ClipboardPreviewContent &content, const ClipboardItem &item)
{
    if (!item.hasPayload())
        return;
    const std::optional<PasteboardPayload> payload = item.payload();
    if (!payload) {
        content.formatsProblem = QStringLiteral("The captured formats could not be read.");
        return;
    }
    content.captureItemCount = int(payload->items.size());
    for (int index = 0; index < payload->items.size(); ++index) {
        for (const PasteboardRepresentation &representation : payload->items.at(index).representations) {
            ClipboardPreviewContent::Format format;
            format.itemIndex = index;
            format.type = representation.type;
            format.byteCount = std::max<qint64>(representation.originalByteCount, representation.data.size());
            format.omissionReason = representation.omissionReason;
            content.formats.append(format);
        }
    }
}

} // namespace

QString ClipboardPreviewContent::cutText(const QString &text, qsizetype maximumLength)
{
    if (text.size() <= maximumLength)
        return text;
    qsizetype length = maximumLength;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

qsizetype ClipboardPreviewContent::longestUnbrokenRun(const QString &text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

QString ClipboardPreviewContent::displayFolder(const QString &folder, const QString &home)
{
    if (!home.isEmpty() && home != QStringLiteral("/")) {
        if (folder == home)
            return QStringLiteral("~");
        if (folder.startsWith(home + QLatin1Char('/')))
            return QStringLiteral("~") + folder.mid(home.size());
    }
    return folder;
}

ClipboardPreviewContent ClipboardPreviewContent::make(const ClipboardItem &item, int maximumImageSide)
{
    ClipboardPreviewContent content;
    const QString text = item.text();
    switch (item.type()) {
    case ClipboardItemType::image: {
        content.kind = Kind::image;
        const ClipboardImageDecoder::Result decoded = ClipboardImageDecoder::decode(item.imageData(), maximumImageSide);
        content.image = decoded.image;
        content.imagePixelSize = decoded.fullSize;
        content.imageProblem = imageProblemText(decoded.problem, decoded.fullSize);
        break;
    }
    case ClipboardItemType::file:
        content.kind = Kind::files;
        fillFiles(content, item.filePaths());
        break;
    case ClipboardItemType::url:
        content.kind = Kind::link;
        content.link = cutText(text.trimmed(), maximumTextLength);
        break;
    case ClipboardItemType::text:
    case ClipboardItemType::generic:
        // Other content shows its text when it has some, else only its formats.
        content.kind = item.type() == ClipboardItemType::generic && text.trimmed().isEmpty() ? Kind::formatsOnly
                                                                                            : Kind::text;
        break;
    }
    if (content.kind == Kind::text) {
        content.text = cutText(text, maximumTextLength);
        content.fullTextLength = text.size();
        content.wrapsAnywhere = longestUnbrokenRun(content.text) > longestWordWrappedRun;
    }
    fillFormats(content, item);
    return content;
}
