#pragma once

#include "model/LazyBlob.h"

#include <QByteArray>
#include <QUuid>

#include <memory>

// Where the payloads of stored items are read from, so that an item loaded from the store holds nothing of
// its payload until it is asked for. Thread-safe.
class StoredPayloads
{
public:
    virtual ~StoredPayloads() = default;
    // The payload of the stored item `id`, `size` bytes once put together, read when its bytes or its stored
    // form are asked for; `text` is the item's own UTF-8.
    virtual std::shared_ptr<LazyBlob> payload(const QUuid &id, const QByteArray &text, qint64 size) const = 0;
};
