#include "platform/sim/SimPasteboard.h"

#include "platform/Clock.h"

#include <algorithm>

SimPasteboard::SimPasteboard(Clock &clock, QObject *parent)
    : Pasteboard(parent)
    , m_clock(clock)
{
}

void SimPasteboard::copy(const QList<Item> &items)
{
    m_items = items;
    ++m_changeCount;
}

void SimPasteboard::copyText(const QString &text)
{
    copy({{{PasteboardType::plainText, text.toUtf8()}}});
}

void SimPasteboard::setContent(const QList<Item> &items)
{
    m_items = items;
}

void SimPasteboard::clear()
{
    copy({});
}

qint64 SimPasteboard::changeCount()
{
    ++changeCountQueries;
    return m_changeCount;
}

Task<PasteboardItemTypes> SimPasteboard::itemTypes()
{
    ++typeQueries;
    if (!m_typesAnswered) {
        const bool awake = co_await m_clock.sleep(timeout);
        if (!awake)
            co_return PasteboardItemTypes{};
        co_return PasteboardItemTypes{};
    }
    PasteboardItemTypes types;
    types.answered = true;
    for (const Item &item : std::as_const(m_items)) {
        QStringList names;
        for (const Representation &rep : item)
            names.append(rep.type);
        types.items.append(names);
    }
    co_return types;
}

Task<PasteboardRead> SimPasteboard::read(int item, QString type, qint64 maxBytes)
{
    reads.append({m_clock.uptime(), item, type});
    const auto find = [this, item, &type]() -> const Representation * {
        if (item < 0 || item >= m_items.size())
            return nullptr;
        const Item &reps = m_items[item];
        auto it = std::find_if(reps.begin(), reps.end(), [&](const Representation &r) { return r.type == type; });
        return it == reps.end() ? nullptr : &*it;
    };
    const Representation *rep = find();
    if (!rep)
        co_return PasteboardRead::missing();
    if (rep->owner == Representation::Owner::refuses)
        co_return PasteboardRead::missing();
    if (rep->owner == Representation::Owner::neverAnswers || rep->delay >= timeout) {
        const bool awake = co_await m_clock.sleep(timeout);
        if (!awake)
            co_return PasteboardRead::missing();
        co_return PasteboardRead::missing(true);
    }
    if (rep->delay > 0) {
        const bool awake = co_await m_clock.sleep(rep->delay);
        if (!awake)
            co_return PasteboardRead::missing();
        rep = find(); // the content may have changed meanwhile
        if (!rep)
            co_return PasteboardRead::missing();
    }
    if (rep->data.size() > maxBytes)
        co_return PasteboardRead::tooLarge(rep->data.size());
    co_return PasteboardRead::bytes(rep->data);
}

qint64 SimPasteboard::writeItems(const QList<PasteboardItemData> &items)
{
    writes.append(items);
    QList<Item> content;
    for (const PasteboardItemData &item : items) {
        Item reps;
        for (const auto &[type, data] : item)
            reps.append({type, data});
        content.append(reps);
    }
    copy(content);
    return m_changeCount;
}

qint64 SimPasteboard::writePlainText(const QString &text)
{
    return writeItems({{{PasteboardType::plainText, text.toUtf8()}}});
}
