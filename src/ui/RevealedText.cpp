#include "ui/RevealedText.h"

bool RevealedText::isHidden(char32_t c)
{
    switch (c) {
    case 0x061C: // Arabic letter mark
    case 0x180E: // Mongolian vowel separator
    case 0x200B: // zero-width space
    case 0x200E: // left-to-right mark
    case 0x200F: // right-to-left mark
    case 0x2060: // word joiner
    case 0x2061:
    case 0x2062:
    case 0x2063:
    case 0x2064: // invisible operators
    case 0xFEFF: // byte-order mark, zero-width no-break space
        return true;
    default:
        // Embeddings and overrides (U+202A–U+202E) and isolates (U+2066–U+2069). Joiners (U+200C, U+200D)
        // stay: scripts and emoji sequences need them, and they reorder nothing. Control characters (an
        // escape from a terminal) draw as a box; tabs and line breaks are laid out where they are shown.
        if (c < 0x20)
            return c != u'\t' && c != u'\n' && c != u'\r';
        return (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    }
}

QString RevealedText::revealed(const QString &text)
{
    // Every hidden character is in the Basic Multilingual Plane: one code unit each.
    qsizetype first = 0;
    while (first < text.size() && !isHidden(text.at(first).unicode()))
        ++first;
    if (first == text.size())
        return text;
    QString shown = text.left(first);
    shown.reserve(text.size() + 16);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (isHidden(unit))
            shown += QStringLiteral("<U+%1>").arg(QString::number(unit, 16).toUpper().rightJustified(4, u'0'));
        else
            shown += QChar(unit);
    }
    return shown;
}
