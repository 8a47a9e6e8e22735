#pragma once
// Folds text for comparing field descriptions: case and diacritics removed the same way in every locale
// (a Turkish "I" stays "i"), with the letters that carry a stroke instead of a mark ("ł", "đ", "ø")
// folded to their base letter.

#include <QString>

namespace FieldTextFolding {
// Case- and diacritic-folded, then lower-cased; not trimmed.
QString fold(const QString &text);
} // namespace FieldTextFolding
