#pragma once
// Text cut by user-perceived characters (extended grapheme clusters), so an emoji or a letter with its
// combining marks is never split.

#include <QString>

namespace GraphemeText {

// The first `count` user-perceived characters of `text`.
QString prefix(const QString &text, int count);

} // namespace GraphemeText
