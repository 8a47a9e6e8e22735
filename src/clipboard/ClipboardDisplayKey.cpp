#include "clipboard/ClipboardDisplayKey.h"

#include "model/ClipboardItem.h"

#include <QCryptographicHash>

QByteArray ClipboardDisplayKey::make(ClipboardItemType kind, const QString &text, const QStringList &filePaths,
                                     const QByteArray &imageData, const QByteArray &payloadData)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(rawValue(kind).toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    switch (kind) {
    case ClipboardItemType::text:
    case ClipboardItemType::url:
        hash.addData(text.toUtf8());
        break;
    case ClipboardItemType::file:
        for (const QString &path : filePaths) {
            hash.addData(path.toUtf8());
            hash.addData(QByteArrayView("\0", 1));
        }
        break;
    case ClipboardItemType::image:
        hash.addData(imageData);
        break;
    case ClipboardItemType::generic:
        hash.addData(payloadData);
        break;
    }
    return hash.result();
}

QByteArray ClipboardDisplayKey::of(const ClipboardItem &item)
{
    if (!item.contentDigest().isEmpty())
        return item.contentDigest();
    const ClipboardItemType kind = item.type();
    return make(kind, item.text(), kind == ClipboardItemType::file ? item.filePaths() : QStringList(),
                kind == ClipboardItemType::image ? item.imageData() : QByteArray(),
                kind == ClipboardItemType::generic ? item.payloadData() : QByteArray());
}
