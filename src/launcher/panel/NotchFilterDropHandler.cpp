#include "launcher/panel/NotchFilterDropHandler.h"

#include "model/FilterManager.h"

#include <algorithm>

namespace {

qsizetype indexOf(const QList<ClipboardFilter> &filters, const QUuid &id)
{
    const auto it = std::find_if(filters.cbegin(), filters.cend(),
                                 [&id](const ClipboardFilter &filter) { return filter.id == id; });
    return it == filters.cend() ? -1 : it - filters.cbegin();
}

} // namespace

NotchFilterDropHandler::NotchFilterDropHandler(ClipboardFilter filter, FilterManager &manager,
                                               std::optional<ClipboardFilter> &draggingFilter)
    : m_filter(std::move(filter))
    , m_manager(manager)
    , m_draggingFilter(draggingFilter)
{
}

bool NotchFilterDropHandler::canAcceptDrop() const
{
    return m_draggingFilter && m_draggingFilter->id != m_filter.id && m_draggingFilter->isEnabled
        && m_filter.isEnabled;
}

std::optional<std::pair<qsizetype, qsizetype>> NotchFilterDropHandler::move(const QList<ClipboardFilter> &filters,
                                                                           const ClipboardFilter &dragged,
                                                                           const ClipboardFilter &target, double x)
{
    if (dragged.id == target.id || !dragged.isEnabled || !target.isEnabled)
        return std::nullopt;
    const qsizetype from = indexOf(filters, dragged.id);
    qsizetype to = indexOf(filters, target.id);
    if (from < 0 || to < 0)
        return std::nullopt;
    if (x >= trailingHalfStart)
        ++to;
    if (from == to || from == to - 1)
        return std::nullopt;
    return std::make_pair(from, to);
}

void NotchFilterDropHandler::dropEntered(double x)
{
    if (!m_draggingFilter)
        return;
    if (const auto positions = move(m_manager.filters(), *m_draggingFilter, m_filter, x))
        m_manager.moveFilter(positions->first, positions->second);
}

bool NotchFilterDropHandler::performDrop()
{
    const bool accepted = canAcceptDrop();
    m_draggingFilter.reset();
    return accepted;
}
