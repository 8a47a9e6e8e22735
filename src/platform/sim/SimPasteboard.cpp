#include "platform/sim/SimPasteboard.h"

#include "platform/Clock.h"

#include <algorithm>
#include <utility>

class SimPasteboard::ContentWait : public CancellableAwaiter {
public:
    ContentWait(SimPasteboard &pasteboard, double seconds)
        : m_pasteboard(pasteboard)
        , m_seconds(seconds)
    {
    }
    template<typename P>
    bool await_suspend(std::coroutine_handle<P> h)
    {
        if (!attach(h))
            return false;
        auto resume = resumer();
        Clock &clock = m_pasteboard.m_clock;
        m_timer = clock.callAfter(m_seconds, [resume] { resume(true); });
        m_pasteboard.m_contentWaits.append([resume, &clock, timer = m_timer] {
            clock.cancelTimer(timer);
            resume(true);
        });
        return true;
    }

private:
    void disarm() override { m_pasteboard.m_clock.cancelTimer(m_timer); }
    SimPasteboard &m_pasteboard;
    double m_seconds;
    Clock::TimerId m_timer = 0;
};

SimPasteboard::ContentWait SimPasteboard::waitWhileUnchanged(double seconds)
{
    return ContentWait(*this, seconds);
}

void SimPasteboard::contentChanged()
{
    // Reads in flight belong to an owner that is gone: they end now, as on X11.
    const QList<std::function<void()>> waits = std::exchange(m_contentWaits, {});
    for (const auto &wake : waits)
        wake();
}

SimPasteboard::SimPasteboard(Clock &clock, QObject *parent)
    : Pasteboard(parent)
    , m_clock(clock)
{
}

void SimPasteboard::copy(const QList<Item> &items)
{
    m_items = items;
    ++m_changeCount;
    contentChanged();
    if (m_notifiesChanges)
        Q_EMIT changed();
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

QList<SimPasteboard::Item> SimPasteboard::contentOf(const QList<PasteboardItemData> &items)
{
    QList<Item> content;
    for (const PasteboardItemData &item : items) {
        Item reps;
        for (const auto &[type, data] : item)
            reps.append({type, data});
        content.append(reps);
    }
    return content;
}

void SimPasteboard::ownerQuits()
{
    const QList<PasteboardItemData> kept = keptChangeCount == m_changeCount && m_kept ? m_kept() : QList<PasteboardItemData>();
    if (kept.isEmpty()) {
        clear();
        return;
    }
    m_items = contentOf(kept);
    ++restores;
    contentChanged();
}

void SimPasteboard::keepContent(qint64 changeCount, PasteboardContentLoader load)
{
    keptChangeCount = load ? changeCount : -1;
    m_kept = std::move(load);
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
    const qint64 countAtStart = m_changeCount;
    if (rep->owner == Representation::Owner::neverAnswers || rep->delay >= timeout) {
        const bool awake = co_await waitWhileUnchanged(timeout);
        if (!awake || m_changeCount != countAtStart)
            co_return PasteboardRead::missing();
        co_return PasteboardRead::missing(true);
    }
    if (rep->delay > 0) {
        const bool awake = co_await waitWhileUnchanged(rep->delay);
        if (!awake || m_changeCount != countAtStart)
            co_return PasteboardRead::missing(); // the owner lost the pasteboard before it answered
        rep = find(); // data the owner provided late
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
    // Our own write moves the count but is not reported as another application's change.
    m_items = contentOf(items);
    ++m_changeCount;
    contentChanged();
    return m_changeCount;
}

qint64 SimPasteboard::writePlainText(const QString &text)
{
    return writeItems({{{PasteboardType::plainText, text.toUtf8()}}});
}
