#include "model/UriList.h"

#include "platform/Pasteboard.h"

#include <algorithm>

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

// C0, DEL and C1: a terminal acts on each of them (a line feed runs the line, an escape starts a sequence).
bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0);
}

// Characters a shell takes as they are anywhere in a word.
bool isPlainInWord(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || (c < 0x80 && QStringView(u"_./-+,:@%").contains(QChar(char16_t(c))));
}

QString shellWord(const QString &word)
{
    const QList<uint> characters = word.toUcs4();
    if (!word.isEmpty() && std::all_of(characters.cbegin(), characters.cend(), isPlainInWord))
        return word;
    if (std::none_of(characters.cbegin(), characters.cend(), isControl)) {
        QString quoted = word;
        quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
        return QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }
    // Two hex digits after \x: a hex digit that follows is read as itself.
    QString quoted = QStringLiteral("$'");
    for (const char32_t c : characters) {
        const QString character = QString::fromUcs4(&c, 1);
        if (isControl(c)) {
            for (const char byte : character.toUtf8())
                quoted += QStringLiteral("\\x%1").arg(uchar(byte), 2, 16, QLatin1Char('0'));
        } else {
            if (c == '\\' || c == '\'')
                quoted += QLatin1Char('\\');
            quoted += character;
        }
    }
    return quoted + QLatin1Char('\'');
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

QString UriList::shellWords(const QList<QUrl> &urls)
{
    QStringList words;
    for (const QUrl &url : urls)
        words.append(shellWord(url.isLocalFile() ? url.toLocalFile() : QString::fromLatin1(url.toEncoded())));
    return words.join(QLatin1Char(' '));
}
