#pragma once
// How X11 selection targets become pasteboard types and back. Owners announce meta targets, several
// names for the same text and (Qt, GTK) every image format they can convert to; the capture reads one
// representation per meaning instead.

#include "platform/Pasteboard.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QMimeData;

class X11ClipboardTargets {
public:
    // The types to offer for an owner's targets, in the owner's order: meta targets dropped, text
    // aliases folded into one plain-text type, one image format kept (PNG first, then TIFF, then the
    // first announced), everything else under its own name.
    static QStringList typesFromTargets(const QList<QByteArray> &targets);

    // The targets to ask for, best first, to read `type` from an owner that announced `targets`.
    static QList<QByteArray> targetsForType(const QString &type, const QList<QByteArray> &targets);

    // Text delivered by `target` turned into UTF-8 (STRING is Latin-1 by definition).
    static QByteArray toUtf8Text(const QByteArray &target, const QByteArray &data);

    // X11 holds one item: the representations of several are merged, texts joined by newlines, URI lists
    // by line, and of any other type the first one kept.
    static PasteboardItemData mergedItem(const QList<PasteboardItemData> &items);
    // The targets that offer one representation, each with its bytes: plain text under every text name
    // (Latin-1 for STRING), anything else under its own name.
    static QList<QPair<QByteArray, QByteArray>> offeredTargets(const QString &type, const QByteArray &data);

    // Plain text for a Qt owner to serve: Qt offers it as UTF8_STRING, STRING, TEXT and text/plain, and
    // the type that names its charset is added.
    static void setPlainText(QMimeData &mime, const QByteArray &utf8);

    // Whether a property of `type` (an atom's name) and `format` can hold `target`'s data: the target list
    // as atoms, each text target in its own encoding, anything else as bytes. Anything else is unreadable.
    static bool carries(const QByteArray &target, const QByteArray &type, int format);

    static bool isMetaTarget(const QByteArray &target);
    static bool isTextTarget(const QByteArray &target);
};
