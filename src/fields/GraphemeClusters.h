#pragma once
// Counting and cutting text by what a person sees as one character (a grapheme cluster): an emoji with
// its modifiers or a letter with its accents counts once and is never cut apart.

#include <QString>

namespace GraphemeClusters {
// Stops counting past `limit` (answers limit + 1), so a huge text costs no more than a short one.
qsizetype count(const QString &text, qsizetype limit);
// The first `maximum` clusters of the text.
QString left(const QString &text, qsizetype maximum);
} // namespace GraphemeClusters
