#pragma once

#include "model/ClipboardItemType.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class ClipboardItem;

// SHA-256 over an item's kind and content: equal keys mean the list would show the same thing twice.
// Content is the text for text and links, the path list for files, the image bytes for images and the
// encoded payload for everything else.
namespace ClipboardDisplayKey {

QByteArray make(ClipboardItemType kind, const QString &text, const QStringList &filePaths, const QByteArray &imageData,
                const QByteArray &payloadData);
// The stored digest when the item has one, otherwise computed (which may load the item's files).
QByteArray of(const ClipboardItem &item);

} // namespace ClipboardDisplayKey
