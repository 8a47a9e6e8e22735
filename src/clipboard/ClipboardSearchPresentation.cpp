#include "clipboard/ClipboardSearchPresentation.h"

#include "clipboard/ClipboardImageDecoder.h"

QImage ClipboardSearchPresentation::makeThumbnail(const QByteArray &data)
{
    return ClipboardImageDecoder::decode(data, maximumThumbnailSide).image;
}
