#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// What a search row shows of one item.
struct ClipboardSearchPresentation
{
    QString title; // null when the row shows the start of the item's own text
    QString typeLabel;
    QImage thumbnail; // null when the item has none

    // A thumbnail of the first image in `data`, at most 80 pixels on its longer side, with the image's
    // orientation applied; a null image when the data does not decode. Safe on any thread.
    static QImage makeThumbnail(const QByteArray &data);
    static constexpr int maximumThumbnailSide = 80;

    friend bool operator==(const ClipboardSearchPresentation &a, const ClipboardSearchPresentation &b)
    {
        return a.title == b.title && a.typeLabel == b.typeLabel && a.thumbnail == b.thumbnail;
    }
};
