#pragma once

#include "model/ClipboardItemType.h"
#include "model/LazyBlob.h"
#include "model/PasteboardPayload.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// What one read of the pasteboard yields; the history turns it into a ClipboardItem.
struct ClipboardCapture
{
    PasteboardPayload payload;
    ClipboardItemType type = ClipboardItemType::generic;
    QString text;             // plain text (text and url kinds), empty otherwise
    QStringList filePaths;    // local paths of file URLs (file kind)
    QByteArray imageData;     // encoded image bytes (image kind)
    QString fileName;         // last path component of the first file
    qint64 fileSize = 0;      // size of the first file in bytes, 0 when unknown
    QString sourceApplicationId;
    QString sourceApplicationName;
    qint64 changeCount = 0;   // the pasteboard change count this capture was read at
    // From an owner that changes the clipboard far faster than a person: the storm's number (from 1), and
    // the copy replaces that storm's previous copy instead of adding one. 0: a copy of its own.
    qint64 storm = 0;
    // What the clipboard already held when watching began, not a copy made since.
    bool presentAtStart = false;
    // The owner as storms are told apart (its client; one for all that cannot be named), whatever the label.
    QString stormSource;
    // The owner could not be named (xclip and the like): the source application is the one in front, and
    // the copy counts toward one program for all such owners.
    bool ownerUnnamed = false;

    // Filled off the main thread by the store before the capture reaches the history (empty otherwise):
    // the digest that finds duplicates, and the image and payload as they are stored already.
    QByteArray contentDigest;
    std::shared_ptr<LazyBlob> imageBlob;
    std::shared_ptr<LazyBlob> payloadBlob;
    QByteArray textUtf8; // `text` as the stored payload refers to it: the item shares it
};
