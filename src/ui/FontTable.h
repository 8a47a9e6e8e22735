#pragma once
// The fonts every view draws with: Inter for text and Noto Color Emoji for emoji (both Debian packages
// that scripts/install-deps installs, so pictures do not depend on the machine's fonts), DejaVu Sans for
// scripts neither covers. Sizes are in the points every other length of the views is given in, drawn as
// logical pixels, so text scales with the layout; the text styles map to sizes in one table.

#include <QFont>
#include <QString>

class QPainter;

enum class TextStyle {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption,
    caption2,
};

namespace FontTable {

inline const QString uiFamily = QStringLiteral("Inter");
inline const QString emojiFamily = QStringLiteral("Noto Color Emoji");
inline const QString fallbackFamily = QStringLiteral("DejaVu Sans");
// Monospaced text (code, byte counts).
inline const QString monospaceFamily = QStringLiteral("DejaVu Sans Mono");

// The system font at `pixelSize` and `weight`.
QFont systemFont(double pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospacedFont(double pixelSize, QFont::Weight weight = QFont::Normal);
// A text style's size, with its default weight unless one is given.
double pixelSize(TextStyle style);
QFont textStyle(TextStyle style);
QFont textStyle(TextStyle style, QFont::Weight weight);
// Whether the UI font is installed; logs once when it is not (text then falls back to the machine's).
bool isUiFontAvailable();

// Draws one line of `text` in the painter's font and pen, left to right, its middle on `rect`'s, clipped to
// `rect`. Characters the UI font lacks (Hebrew, Arabic, CJK, Devanagari...) go to the fallback fonts, which
// have regular and bold faces only: for a medium line they are asked one step heavier, since their regular
// face reads lighter than the UI font's medium beside it.
void drawLineMatchingWeight(QPainter &painter, const QRectF &rect, const QString &text);
// The width that line takes in `font`.
double lineWidthMatchingWeight(const QFont &font, const QString &text);

// Draws `text` with every digit in a cell as wide as the widest digit, so times line up (the tabular
// figures the font has no switch for in this Qt). `origin` is the baseline's left end. Answers the width.
double drawMonospacedDigits(QPainter &painter, QPointF origin, const QString &text);
double monospacedDigitsWidth(const QFont &font, const QString &text);

} // namespace FontTable
