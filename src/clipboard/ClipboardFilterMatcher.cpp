#include "clipboard/ClipboardFilterMatcher.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QUrl>

ClipboardFilterMatcher::ClipboardFilterMatcher(const ClipboardFilter &filter)
    : m_type(filter.type)
    , m_options(filter.options)
{
    for (QString extension : filter.options.fileExtensions) {
        extension = extension.trimmed().toLower();
        while (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        if (!extension.isEmpty())
            m_extensions.append(extension);
    }
    if (m_options.matchMode == TextMatchMode::regex && !m_options.matchText.isEmpty()) {
        m_regex.setPattern(m_options.matchText);
        if (!m_options.isCaseSensitive)
            m_regex.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        m_regex.optimize();
    }
}

bool ClipboardFilterMatcher::isWebAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QRegularExpression(QStringLiteral("\\s"))))
        return false;
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
           && (scheme == u"http" || scheme == u"https" || scheme == u"ftp");
}

bool ClipboardFilterMatcher::isJson(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(QLatin1Char('{')) && !trimmed.startsWith(QLatin1Char('[')))
        return false;
    QJsonParseError error;
    QJsonDocument::fromJson(trimmed.toUtf8(), &error);
    return error.error == QJsonParseError::NoError;
}

bool ClipboardFilterMatcher::isEmailAddress(const QString &text)
{
    static const QRegularExpression address(
        QStringLiteral("^(?:mailto:)?[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?"
                       "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)*\\.[A-Za-z]{2,}$"),
        QRegularExpression::CaseInsensitiveOption);
    return address.match(text.trimmed()).hasMatch();
}

bool ClipboardFilterMatcher::matchesKind(ClipboardItemType kind, const QString &text, const QStringList &filePaths) const
{
    const bool textual = kind == ClipboardItemType::text || kind == ClipboardItemType::url;
    switch (m_type) {
    case FilterType::url:
        return kind == ClipboardItemType::url || (kind == ClipboardItemType::text && isWebAddress(text));
    case FilterType::image:
        return kind == ClipboardItemType::image;
    case FilterType::text:
        return kind == ClipboardItemType::text;
    case FilterType::file:
        if (kind != ClipboardItemType::file)
            return false;
        if (m_extensions.isEmpty())
            return true;
        for (const QString &path : filePaths)
            if (m_extensions.contains(QFileInfo(path).suffix().toLower()))
                return true;
        return false;
    case FilterType::json:
        return textual && isJson(text);
    case FilterType::email:
        return textual && isEmailAddress(text);
    }
    return false;
}

bool ClipboardFilterMatcher::matchesText(const QString &text) const
{
    const QString &needle = m_options.matchText;
    const Qt::CaseSensitivity cs = m_options.isCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    switch (m_options.matchMode) {
    case TextMatchMode::contains:
        return text.contains(needle, cs);
    case TextMatchMode::startsWith:
        return text.startsWith(needle, cs);
    case TextMatchMode::endsWith:
        return text.endsWith(needle, cs);
    case TextMatchMode::equals:
        return text.compare(needle, cs) == 0;
    case TextMatchMode::regex:
        // A pattern that does not compile matches nothing rather than everything.
        return m_regex.isValid() && m_regex.match(text).hasMatch();
    }
    return false;
}

bool ClipboardFilterMatcher::readsText() const
{
    return !m_options.matchText.isEmpty() || m_type == FilterType::url || m_type == FilterType::json
           || m_type == FilterType::email;
}

bool ClipboardFilterMatcher::matches(ClipboardItemType kind, const QString &text, const QStringList &filePaths) const
{
    if (!matchesKind(kind, text, filePaths))
        return false;
    if (m_options.matchText.isEmpty())
        return true;
    if (kind == ClipboardItemType::file) {
        for (const QString &path : filePaths)
            if (matchesText(QFileInfo(path).fileName()))
                return true;
        return false;
    }
    return matchesText(text);
}
