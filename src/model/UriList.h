#pragma once
// The addresses in the file and link lists owners put on the clipboard: text/uri-list (one URI a line,
// CR LF or LF, '#' comment lines, some owners end it with a NUL byte) and x-special/gnome-copied-files
// (a first line "copy" or "cut", then the same lines).

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

class UriList {
public:
    // The valid absolute URLs of a representation of `type`, in order; none for any other type.
    static QList<QUrl> urls(const QString &type, QByteArrayView data);
    // Whether `type` is a list read by urls().
    static bool isListType(const QString &type);
    // The list as text, one a line, as file managers offer it: local files as their paths, other
    // addresses percent-encoded.
    static QString plainText(const QList<QUrl> &urls);
    // The list as words for a POSIX shell's command line, separated by spaces: the same addresses, each
    // quoted where the shell would not read it as it is. A word with control characters is written as
    // $'...' with each of them as \xHH escapes of its UTF-8 bytes: none reaches a terminal as it is.
    static QString shellWords(const QList<QUrl> &urls);
};
