#include "model/UriList.h"

#include "platform/Pasteboard.h"

namespace {

QList<QUrl> urlsOfLines(QByteArrayView data, bool skipsOperation)
{
    // Whatever follows a NUL is no part of the list.
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data = data.first(nul);
    QList<QUrl> urls;
    const QList<QByteArray> lines = data.toByteArray().split('\n');
    // The operation ("copy" or "cut") is no address.
    for (qsizetype i = skipsOperation ? 1 : 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty())
            urls.append(url);
    }
    return urls;
}

} // namespace

bool UriList::isListType(const QString &type)
{
    return type == PasteboardType::uriList || type == PasteboardType::gnomeCopiedFiles;
}

QList<QUrl> UriList::urls(const QString &type, QByteArrayView data)
{
    if (!isListType(type))
        return {};
    return urlsOfLines(data, type == PasteboardType::gnomeCopiedFiles);
}

QString UriList::plainText(const QList<QUrl> &urls)
{
    QStringList lines;
    for (const QUrl &url : urls)
        lines.append(url.isLocalFile() ? url.toLocalFile() : QString::fromLatin1(url.toEncoded()));
    return lines.join(QLatin1Char('\n'));
}
