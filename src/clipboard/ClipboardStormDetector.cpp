#include "clipboard/ClipboardStormDetector.h"

#include "platform/Clock.h"

#include <algorithm>

namespace {

// The storm's rate over the rate span, in changes.
constexpr qint64 spanChangeCount = qint64(ClipboardStormDetector::stormChangeCount * ClipboardStormDetector::rateSpan
                                          / ClipboardStormDetector::window);

} // namespace

ClipboardStormDetector::ClipboardStormDetector(Clock &clock)
    : m_clock(clock)
{
}

ClipboardStormDetector::Verdict ClipboardStormDetector::note(const QString &source, qint64 changes)
{
    const double now = m_clock.uptime();
    endStillStorms(now); // so that their sources can be forgotten
    // Sources quiet for the window are forgotten, so that no number of them (a loop of short-lived
    // owners) can grow the table.
    m_sources.removeIf([&](const auto &entry) {
        return entry.key() != source && !entry.value().storming && now - entry.value().last >= window;
    });

    SourceChanges &changesOf = m_sources[source];
    changesOf.recent.append({now, changes});
    changesOf.inWindow += changes;
    changesOf.last = now;
    while (changesOf.recent.first().at <= now - window) {
        changesOf.inWindow -= changesOf.recent.first().count;
        changesOf.recent.removeFirst();
    }
    const bool atStormRate = changesSince(changesOf, now - rateSpan) > spanChangeCount;
    if (changesOf.storming && atStormRate) {
        changesOf.stormChanges += changes;
        return Verdict::storming;
    }
    if (changesOf.storming)
        end(source, changesOf);
    changesOf.sinceStorm += changes;
    if (!atStormRate || changesOf.inWindow <= stormChangeCount)
        return Verdict::ordinary;
    changesOf.storming = true;
    // The changes that made it a storm are folded too, but not those of a storm told already.
    changesOf.stormChanges = std::min(changesOf.inWindow, changesOf.sinceStorm);
    return Verdict::stormBegins;
}

QList<ClipboardStormDetector::Storm> ClipboardStormDetector::takeEndedStorms()
{
    endStillStorms(m_clock.uptime());
    return std::exchange(m_ended, {});
}

void ClipboardStormDetector::endStillStorms(double now)
{
    for (auto it = m_sources.begin(); it != m_sources.end(); ++it) {
        if (it.value().storming && now - it.value().last >= rateSpan)
            end(it.key(), it.value());
    }
}

bool ClipboardStormDetector::isStorming() const
{
    return std::any_of(m_sources.cbegin(), m_sources.cend(), [](const SourceChanges &s) { return s.storming; });
}

qint64 ClipboardStormDetector::changesSince(const SourceChanges &changes, double since) const
{
    qint64 count = 0;
    for (auto it = changes.recent.crbegin(); it != changes.recent.crend() && it->at > since; ++it)
        count += it->count;
    return count;
}

void ClipboardStormDetector::end(const QString &source, SourceChanges &changes)
{
    changes.storming = false;
    m_ended.append({source, changes.stormChanges});
    changes.stormChanges = 0;
    changes.sinceStorm = 0;
}
