#pragma once
// What happens when a dragged filter pill passes over another pill: the dragged filter moves directly
// before or after the filter under the pointer, in the saved filter list itself. It works from the filter
// being dragged alone, never from the dragged text, so only a drag that began on a pill of the bar reorders.

#include "model/ClipboardFilter.h"

#include <optional>
#include <utility>

class FilterManager;

enum class DropOperation { move, forbidden };

class NotchFilterDropHandler {
public:
    // Within this distance of a pill's leading edge the dragged filter goes before it, beyond it after it.
    static constexpr double trailingHalfStart = 36;

    // `draggingFilter` is the bar's drag state; it must outlive the handler.
    NotchFilterDropHandler(ClipboardFilter filter, FilterManager &manager,
                           std::optional<ClipboardFilter> &draggingFilter);

    // A pill of another, enabled filter under a drag of an enabled filter.
    bool canAcceptDrop() const;
    bool validateDrop() const { return canAcceptDrop(); }
    DropOperation dropUpdated() const { return canAcceptDrop() ? DropOperation::move : DropOperation::forbidden; }
    // The pointer entered this pill `x` points from its leading edge: moves the dragged filter (one save).
    void dropEntered(double x);
    void dropExited() {}
    // Ends the drag (the order already changed on entry); answers whether the drop was accepted.
    bool performDrop();

    // The move for a drag of `dragged` entering `target` at `x`, as positions into `filters` for
    // FilterManager::moveFilter; none when the dragged filter is already there or cannot move there.
    static std::optional<std::pair<qsizetype, qsizetype>> move(const QList<ClipboardFilter> &filters,
                                                               const ClipboardFilter &dragged,
                                                               const ClipboardFilter &target, double x);

private:
    ClipboardFilter m_filter;
    FilterManager &m_manager;
    std::optional<ClipboardFilter> &m_draggingFilter;
};
