#include "model/FieldTextFolding.h"

namespace FieldTextFolding {

namespace {

// Letters whose diacritic is part of the glyph, so canonical decomposition leaves them whole.
QChar strokeBase(QChar c)
{
    switch (c.unicode()) {
    case 0x0141: // Ł
    case 0x0142: // ł
        return QLatin1Char('l');
    case 0x0110: // Đ
    case 0x0111: // đ
        return QLatin1Char('d');
    case 0x00D8: // Ø
    case 0x00F8: // ø
        return QLatin1Char('o');
    case 0x0126: // Ħ
    case 0x0127: // ħ
        return QLatin1Char('h');
    case 0x0131: // dotless ı
        return QLatin1Char('i');
    default:
        return c;
    }
}

} // namespace

QString fold(const QString &text)
{
    // Unicode's default case mapping is the same in every locale, unlike QLocale::toLower.
    const QString decomposed = text.toCaseFolded().normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        out.append(strokeBase(c));
    }
    return out.normalized(QString::NormalizationForm_C).toLower();
}

} // namespace FieldTextFolding
