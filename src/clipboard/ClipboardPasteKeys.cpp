#include "clipboard/ClipboardPasteKeys.h"

#include <QStringList>

namespace {

// WM_CLASS classes, compared without case.
const QStringList &selectionPastingTerminals()
{
    static const QStringList classes = {
        QStringLiteral("XTerm"), QStringLiteral("UXTerm"), QStringLiteral("URxvt"), QStringLiteral("Rxvt"),
        QStringLiteral("st-256color"), QStringLiteral("Eterm"), QStringLiteral("Aterm"),
    };
    return classes;
}

const QStringList &clipboardPastingTerminals()
{
    static const QStringList classes = {
        QStringLiteral("Gnome-terminal"), QStringLiteral("Xfce4-terminal"), QStringLiteral("Mate-terminal"),
        QStringLiteral("Lxterminal"), QStringLiteral("Terminator"), QStringLiteral("Tilix"),
        QStringLiteral("Guake"), QStringLiteral("Tilda"), QStringLiteral("Sakura"), QStringLiteral("Roxterm"),
        QStringLiteral("kgx"), QStringLiteral("konsole"), QStringLiteral("yakuake"), QStringLiteral("qterminal"),
        QStringLiteral("Alacritty"), QStringLiteral("kitty"), QStringLiteral("org.wezfurlong.wezterm"),
        QStringLiteral("terminology"),
    };
    return classes;
}

} // namespace

ClipboardPasteKeys ClipboardPasteKeys::forWindowClass(const QString &windowClass)
{
    if (selectionPastingTerminals().contains(windowClass, Qt::CaseInsensitive))
        return {KeyChord::selectionPaste(), true};
    if (clipboardPastingTerminals().contains(windowClass, Qt::CaseInsensitive))
        return {KeyChord::terminalPaste(), false};
    return {};
}
