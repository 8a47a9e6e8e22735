#pragma once

#include "model/ClipboardFilter.h"
#include "model/ClipboardItemType.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Decides whether an item passes a filter, prepared once per search.
// Kinds: links are link items or text that is one web address; JSON is text holding an object or array;
// e-mail is text that is one address (a "mailto:" link included). The match text applies to an item's
// text, or to its file names for files; extensions narrow file items only.
class ClipboardFilterMatcher
{
public:
    explicit ClipboardFilterMatcher(const ClipboardFilter &filter);

    bool matches(ClipboardItemType kind, const QString &text, const QStringList &filePaths) const;
    // Whether matches() looks at the text at all (a kind alone does not need it).
    bool readsText() const;

    static bool isWebAddress(const QString &text);
    static bool isJson(const QString &text);
    static bool isEmailAddress(const QString &text);

private:
    bool matchesKind(ClipboardItemType kind, const QString &text, const QStringList &filePaths) const;
    bool matchesText(const QString &text) const;

    FilterType m_type;
    FilterOptions m_options;
    QStringList m_extensions; // lowercased, without dots
    QRegularExpression m_regex;
};
