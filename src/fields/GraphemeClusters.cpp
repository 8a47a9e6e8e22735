#include "fields/GraphemeClusters.h"

#include <QTextBoundaryFinder>

namespace GraphemeClusters {

namespace {

qsizetype countUpTo(const QString &text, qsizetype limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype clusters = 0;
    while (finder.toNextBoundary() != -1) {
        if (++clusters > limit)
            break;
    }
    return clusters;
}

} // namespace

qsizetype count(const QString &text, qsizetype limit)
{
    // The finder analyses its whole text first: a prefix with clearly too many clusters answers for a huge
    // text (its last cluster may be cut, hence the one to spare).
    const qsizetype prefixLength = limit * 8;
    if (text.size() > prefixLength && countUpTo(text.left(prefixLength), limit + 1) > limit + 1)
        return limit + 1;
    return countUpTo(text, limit);
}

QString left(const QString &text, qsizetype maximum)
{
    // Work on a prefix when it holds more than enough clusters: the first `maximum` of them are whole there.
    const QString prefix = text.left(maximum * 8);
    const QString &source = prefix.size() < text.size() && countUpTo(prefix, maximum + 1) > maximum + 1 ? prefix : text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, source);
    qsizetype clusters = 0;
    qsizetype end = 0;
    while (clusters < maximum) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        end = next;
        ++clusters;
    }
    return text.left(end);
}

} // namespace GraphemeClusters
