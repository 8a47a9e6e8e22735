#include "launcher/NotchExpansionCoordinator.h"

NotchListCollapsing *NotchExpansionCoordinator::activeList() const
{
    return m_activeObject ? m_activeList : nullptr;
}

void NotchExpansionCoordinator::willExpand(NotchListCollapsing *list)
{
    if (!list)
        return;
    NotchListCollapsing *previous = activeList();
    if (previous == list)
        return;
    // Hand the slot over first: the collapse may reach back into the coordinator.
    m_activeList = list;
    m_activeObject = dynamic_cast<QObject *>(list);
    if (previous)
        previous->collapseImmediately();
}
