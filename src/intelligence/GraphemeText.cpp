#include "intelligence/GraphemeText.h"

#include <QTextBoundaryFinder>

namespace GraphemeText {

QString prefix(const QString &text, int count)
{
    // Every character is at least one code unit: a short text needs no counting.
    if (text.size() <= count)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (seen < count) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text;
        ++seen;
    }
    return text.left(finder.position());
}

} // namespace GraphemeText
