#pragma once
// The general pasteboard as the capture and the paste need it: a cheap change counter (and, where the
// platform can tell, a signal on each change), the items with the types of each, reads of one
// representation at a time (never blocking the main thread) and writes that answer the new change count.

#include "platform/Task.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

// Names of the representation types the rest of the program relies on. A backend maps its own formats onto
// these where they mean the same thing; every other format keeps its own name.
namespace PasteboardType {
// UTF-8 plain text (X11: UTF8_STRING, text/plain, STRING... read as one representation).
inline const QString plainText = QStringLiteral("text/plain;charset=utf-8");
// One or more URLs, one a line; file URLs for copied files.
inline const QString uriList = QStringLiteral("text/uri-list");
// Copied or cut files as GTK file managers offer them: "copy" or "cut", then one URI a line.
inline const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
inline const QString mozillaUrl = QStringLiteral("text/x-moz-url");
inline const QString html = QStringLiteral("text/html");
inline const QString rtf = QStringLiteral("text/rtf");
inline const QString applicationRtf = QStringLiteral("application/rtf");
inline const QString richText = QStringLiteral("text/richtext");
inline const QString png = QStringLiteral("image/png");
inline const QString tiff = QStringLiteral("image/tiff");
// Set by password managers; content "secret" marks a copy that must not be kept.
inline const QString passwordManagerHint = QStringLiteral("x-kde-passwordManagerHint");

// Whether an owner's name for a format can be one: 1 to 255 bytes of text without control characters.
// Anything else (a 5,000-character name, binary junk) is no format and is not kept.
inline bool canBeName(QByteArrayView name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    for (const char byte : name)
        if (uchar(byte) < 0x20 || uchar(byte) == 0x7f)
            return false;
    return true;
}
} // namespace PasteboardType

// The types of the items on the pasteboard. `answered` is false when the owner did not say what it holds
// (no answer in time); an answered empty list means the pasteboard is empty.
struct PasteboardItemTypes {
    bool answered = false;
    QList<QStringList> items;
};

// The outcome of reading one representation.
struct PasteboardRead {
    enum class Status {
        data,        // `data` holds the bytes
        unavailable, // the owner refused, vanished or did not answer
        overLimit,   // larger than the limit asked for; `byteCount` is the size when known
    };
    Status status = Status::unavailable;
    QByteArray data;
    qint64 byteCount = -1; // the full size in bytes when known (always for data)
    bool timedOut = false; // unavailable because the owner did not answer in time

    static PasteboardRead bytes(QByteArray data)
    {
        PasteboardRead r;
        r.status = Status::data;
        r.byteCount = data.size();
        r.data = std::move(data);
        return r;
    }
    static PasteboardRead missing(bool timedOut = false)
    {
        PasteboardRead r;
        r.timedOut = timedOut;
        return r;
    }
    static PasteboardRead tooLarge(qint64 byteCount)
    {
        PasteboardRead r;
        r.status = Status::overLimit;
        r.byteCount = byteCount;
        return r;
    }
};

// One item to write: its representations as (type, bytes), in order.
using PasteboardItemData = QList<QPair<QString, QByteArray>>;
// Loads the representations of a copy again, when they are needed (from where the history keeps them).
using PasteboardContentLoader = std::function<QList<PasteboardItemData>()>;

class Pasteboard : public QObject {
    Q_OBJECT
public:
    // False when there is no pasteboard to talk to (no display); everything then does nothing.
    virtual bool isAvailable() const = 0;

    // Moves on every change of the content, our own writes included. Cheap: the poll calls it often.
    virtual qint64 changeCount() = 0;
    // Whether changed() reports every change of another owner as it happens; without it callers poll
    // changeCount().
    virtual bool notifiesChanges() const { return false; }

#ifndef Q_MOC_RUN
    // The items now on the pasteboard with their types, in the owner's order.
    virtual Task<PasteboardItemTypes> itemTypes() = 0;
    // Reads one representation of an item; anything larger than `maxBytes` answers overLimit.
    virtual Task<PasteboardRead> read(int item, QString type, qint64 maxBytes) = 0;
#endif

    // Replaces the content with these items (every representation as given) and answers the new change count.
    virtual qint64 writeItems(const QList<PasteboardItemData> &items) = 0;
    // Replaces the content with plain text and answers the new change count.
    virtual qint64 writePlainText(const QString &text) = 0;

    // The captured content of change `changeCount` (never a copy marked secret); an empty loader forgets
    // it. Where the content dies with the application that copied it (X11), the pasteboard offers it
    // again when that application vanishes without handing it over, so that it lasts until the next copy.
    virtual void keepContent(qint64 changeCount, PasteboardContentLoader load) = 0;

Q_SIGNALS:
    // The change count moved because another application changed the content (never for our own writes).
    void changed();

protected:
    using QObject::QObject;
};
