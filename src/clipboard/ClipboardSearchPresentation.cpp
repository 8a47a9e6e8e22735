#include "clipboard/ClipboardSearchPresentation.h"

#include <QBuffer>
#include <QImageReader>

QImage ClipboardSearchPresentation::makeThumbnail(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    QSize size = reader.size();
    // Orientations that swap the axes turn the stored size around.
    if (size.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        size.transpose();
    if (size.isValid() && (size.width() > maximumThumbnailSide || size.height() > maximumThumbnailSide)) {
        const QSize target = size.scaled(maximumThumbnailSide, maximumThumbnailSide, Qt::KeepAspectRatio);
        // The reader scales before it transforms, so ask for the size in stored orientation.
        QSize stored = target.expandedTo(QSize(1, 1));
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            stored.transpose();
        reader.setScaledSize(stored);
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > maximumThumbnailSide || image.height() > maximumThumbnailSide)
        image = image.scaled(maximumThumbnailSide, maximumThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
