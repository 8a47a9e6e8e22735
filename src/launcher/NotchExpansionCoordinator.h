#pragma once
// Keeps at most one launcher list expanded across every screen and both presentations.

#include "launcher/NotchListCollapsing.h"
#include "platform/Lifetime.h"

class NotchExpansionCoordinator {
public:
    // The list that expanded last, or nullptr once it is gone.
    NotchListCollapsing *activeList() const { return m_activeList.get(); }

    // `list` is about to expand: a different, still living active list collapses at once and `list`
    // takes its place.
    void willExpand(NotchListCollapsing *list);

private:
    Lifetime::Pointer<NotchListCollapsing> m_activeList;
};
