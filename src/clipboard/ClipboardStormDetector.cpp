#include "clipboard/ClipboardStormDetector.h"

#include "platform/Clock.h"

#include <algorithm>

ClipboardStormDetector::ClipboardStormDetector(Clock &clock)
    : m_clock(clock)
{
}

ClipboardStormDetector::Verdict ClipboardStormDetector::note(const QString &owner, qint64 changes)
{
    const double now = m_clock.uptime();
    // Owners long quiet are forgotten, so that no number of owners can grow the table.
    m_owners.removeIf([&](const auto &entry) {
        return entry.key() != owner && now - entry.value().last >= std::max(window, quietPeriod);
    });

    OwnerChanges &changesOf = m_owners[owner];
    if (now - changesOf.last >= quietPeriod)
        changesOf = {}; // quiet for a second: whatever it did before is over
    changesOf.recent.append({now, changes});
    changesOf.inWindow += changes;
    changesOf.last = now;
    while (changesOf.recent.first().at <= now - window) {
        changesOf.inWindow -= changesOf.recent.first().count;
        changesOf.recent.removeFirst();
    }
    if (changesOf.storming)
        return Verdict::storming;
    if (changesOf.inWindow <= stormChangeCount)
        return Verdict::ordinary;
    changesOf.storming = true;
    return Verdict::stormBegins;
}
