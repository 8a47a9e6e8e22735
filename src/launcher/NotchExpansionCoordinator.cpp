#include "launcher/NotchExpansionCoordinator.h"

void NotchExpansionCoordinator::willExpand(NotchListCollapsing *list)
{
    if (!list)
        return;
    NotchListCollapsing *previous = activeList();
    if (previous == list)
        return;
    // Hand the slot over first: the collapse may reach back into the coordinator.
    m_activeList = list->weakList();
    if (previous)
        previous->collapseImmediately();
}
