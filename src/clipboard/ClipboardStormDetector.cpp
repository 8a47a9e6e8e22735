#include "clipboard/ClipboardStormDetector.h"

#include "platform/Clock.h"

#include <algorithm>

ClipboardStormDetector::ClipboardStormDetector(Clock &clock)
    : m_clock(clock)
    , m_lastNoteAt(clock.uptime())
{
}

ClipboardStormDetector::Verdict ClipboardStormDetector::note(const QString &source, qint64 changes)
{
    const double now = m_clock.uptime();
    const double from = std::min(m_lastNoteAt, now);
    m_lastNoteAt = now;
    endStorms(now, source); // so that their sources can be forgotten
    // Sources quiet for the hold span are forgotten, so that no number of them (a loop of short-lived
    // owners) can grow the table.
    m_sources.removeIf([&](const auto &entry) {
        return entry.key() != source && !entry.value().storm && now - entry.value().last >= holdSpan;
    });

    SourceChanges &changesOf = m_sources[source];
    // Changes seen together came while the one before them was read: the source was still only as long as
    // they leave between them, however long that read took.
    const double lastChange = changes > 1 ? now - (now - from) / double(changes) : changesOf.last;
    if (changesOf.storm && !holds(changesOf, now, lastChange))
        end(source, changesOf);
    changesOf.recent.append({from, now, changes});
    changesOf.last = now;
    while (changesOf.recent.first().at <= now - holdSpan)
        changesOf.recent.removeFirst();
    if (changesOf.storm) {
        changesOf.stormChanges += changes;
        return Verdict::storming;
    }
    if (changesSince(changesOf, now - beginSpan, beginChangeCount) < beginChangeCount)
        return Verdict::ordinary;
    changesOf.storm = ++m_stormsBegun;
    changesOf.stormChanges = changes;
    return Verdict::stormBegins;
}

QList<ClipboardStormDetector::Storm> ClipboardStormDetector::takeEndedStorms()
{
    endStorms(m_clock.uptime(), {});
    return std::exchange(m_ended, {});
}

void ClipboardStormDetector::endStorms(double now, const QString &except)
{
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it) {
        if (it.value().storm && it.key() != except && !holds(it.value(), now, it.value().last))
            end(it.key(), it.value());
    }
}

bool ClipboardStormDetector::isStorming() const
{
    return std::any_of(m_sources.cbegin(), m_sources.cend(), [](const SourceChanges &s) { return s.storm != 0; });
}

qint64 ClipboardStormDetector::storm(const QString &source) const
{
    return m_sources.value(source).storm;
}

double ClipboardStormDetector::changesSince(const SourceChanges &changes, double since, double enough)
{
    double count = 0;
    for (auto it = changes.recent.crbegin(); it != changes.recent.crend() && it->at > since && count < enough; ++it) {
        // The change read is the newest; the others it stands for are spread over the time before.
        const double share = it->from >= since ? 1.0 : (it->at - since) / (it->at - it->from);
        count += 1 + double(it->count - 1) * share;
    }
    return count;
}

bool ClipboardStormDetector::holds(const SourceChanges &changes, double now, double lastChange)
{
    return now - lastChange < stillSpan
        && changesSince(changes, now - holdSpan, holdChangeCount + 1) > double(holdChangeCount);
}

void ClipboardStormDetector::end(const QString &source, SourceChanges &changes)
{
    changes.storm = 0;
    m_ended.append({source, changes.stormChanges});
    changes.stormChanges = 0;
}
