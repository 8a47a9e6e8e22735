#pragma once
// History items of every kind for the preview tests, including the bad ones: huge text, bytes that are not
// an image, an image header claiming 20,000 x 20,000 pixels, files that are gone.

#include "model/PasteboardPayload.h"
#include "model/ClipboardItem.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QtEndian>

namespace PreviewTestItems {

inline ClipboardItem item(const QString &type)
{
    ClipboardItem made(QUuid::createUuid());
    made.setTypeRawValue(type);
    made.setDate(QDateTime(QDate(2026, 3, 12), QTime(14, 5), Qt::LocalTime));
    return made;
}

inline PasteboardPayload payloadOf(const QList<PasteboardRepresentation> &representations)
{
    PasteboardPayload payload;
    payload.items.append(PasteboardPayloadItem{representations});
    return payload;
}

inline ClipboardItem text(const QString &content)
{
    ClipboardItem made = item(QStringLiteral("text"));
    made.setText(content);
    const QByteArray utf8 = content.toUtf8();
    made.setPayload(payloadOf({{QStringLiteral("text/plain;charset=utf-8"), utf8, utf8.size(), std::nullopt}}));
    return made;
}

inline ClipboardItem link(const QString &url)
{
    ClipboardItem made = item(QStringLiteral("url"));
    made.setText(url);
    return made;
}

// A picture with something to see: a gradient with a circle.
inline QByteArray png(int width, int height, bool transparent = false)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(transparent ? Qt::transparent : QColor(30, 90, 160));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(255, 149, 0));
    gradient.setColorAt(1, QColor(175, 82, 222));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(width * 0.15, height * 0.15, width * 0.7, height * 0.7));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline ClipboardItem image(const QByteArray &bytes)
{
    ClipboardItem made = item(QStringLiteral("image"));
    made.setImageData(bytes);
    made.setPayload(payloadOf({{QStringLiteral("image/png"), bytes, bytes.size(), std::nullopt}}));
    return made;
}

inline ClipboardItem files(const QStringList &paths)
{
    ClipboardItem made = item(QStringLiteral("file"));
    made.setFilePaths(paths);
    return made;
}

inline quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims width x height pixels of 8-bit RGB, with a few bytes of pixel data.
inline QByteArray pngHeaderClaiming(quint32 width, quint32 height)
{
    auto chunk = [](const QByteArray &type, const QByteArray &data) {
        QByteArray out(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), out.data());
        const QByteArray body = type + data;
        QByteArray crc(4, '\0');
        qToBigEndian<quint32>(crc32(body), crc.data());
        return out + body + crc;
    };
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8;  // bit depth
    header[9] = 2;  // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header)
        + chunk("IDAT", QByteArray::fromHex("789c030000000001")) + chunk("IEND", {});
}

} // namespace PreviewTestItems
