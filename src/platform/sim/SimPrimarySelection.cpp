#include "platform/sim/SimPrimarySelection.h"

Task<PasteboardRead> SimPrimarySelection::readText(qint64 maxBytes)
{
    ++reads;
    if (!available || !answers || !text)
        co_return PasteboardRead::missing(available && !answers);
    const QByteArray utf8 = text->toUtf8();
    if (utf8.size() > maxBytes)
        co_return PasteboardRead::tooLarge(utf8.size());
    co_return PasteboardRead::bytes(utf8);
}
