#include "clipboard/ClipboardImageDecoder.h"

#include <QBuffer>
#include <QImageReader>

ClipboardImageDecoder::Result ClipboardImageDecoder::decode(const QByteArray &data, int maximumSide)
{
    Result result;
    if (data.isEmpty()) {
        result.problem = Problem::empty;
        return result;
    }
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        result.problem = Problem::undecodable;
        return result;
    }
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        result.problem = Problem::undecodable;
        return result;
    }
    const bool swapsAxes = reader.transformation() & QImageIOHandler::TransformationRotate90;
    QSize size = reader.size();
    // Orientations that swap the axes turn the stored size around.
    if (size.isValid() && swapsAxes)
        size.transpose();
    result.fullSize = size;
    const bool isHuge = size.isValid() && qint64(size.width()) * size.height() > maximumFullDecodePixels;
    // Qt loses a one-bit image's colours when it scales it, while reading or after (a blue and yellow
    // picture came out black and white): such an image is read whole and scaled in full colour.
    const bool isOneBit = reader.imageFormat() == QImage::Format_Mono || reader.imageFormat() == QImage::Format_MonoLSB;
    const bool scalesWhileReading = reader.supportsOption(QImageIOHandler::ScaledSize) && !isOneBit;
    if (isHuge && !scalesWhileReading) {
        result.problem = Problem::tooLarge;
        return result;
    }
    if (scalesWhileReading && size.isValid() && (size.width() > maximumSide || size.height() > maximumSide)) {
        // The reader scales before it transforms, so ask for the size in stored orientation.
        QSize stored = size.scaled(maximumSide, maximumSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (swapsAxes)
            stored.transpose();
        reader.setScaledSize(stored);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        // Some formats that claim to scale still need the full image in memory, which Qt refuses.
        result.problem = isHuge ? Problem::tooLarge : Problem::undecodable;
        return result;
    }
    if (image.width() > maximumSide || image.height() > maximumSide) {
        if (image.depth() == 1) {
            // A fast scale keeps the colour table: only an image twice the size asked is widened to full
            // colour for the smooth one, not a whole scanned page.
            if (image.width() > 2 * maximumSide || image.height() > 2 * maximumSide)
                image = image.scaled(2 * maximumSide, 2 * maximumSide, Qt::KeepAspectRatio, Qt::FastTransformation);
            image.convertTo(QImage::Format_ARGB32_Premultiplied);
        }
        image = image.scaled(maximumSide, maximumSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (!result.fullSize.isValid())
        result.fullSize = image.size();
    result.image = std::move(image);
    return result;
}
