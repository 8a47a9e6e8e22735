#pragma once
// Text as shown to a person: characters that change the order of what follows or draw nothing (bidi
// controls and marks, zero-width spaces, word joiners, byte-order marks) or a box (control characters)
// become visible marks such as "<U+202E>", so "invoice", U+202E, "fdp.exe" can never pass for
// "invoiceexe.pdf". Display only: what is stored and pasted keeps every character.

#include <QString>

namespace RevealedText {

// Whether `c` is one of the characters shown as a mark.
bool isHidden(char32_t c);
// `text` with each hidden character replaced by its mark; the same text when it has none.
QString revealed(const QString &text);

} // namespace RevealedText
