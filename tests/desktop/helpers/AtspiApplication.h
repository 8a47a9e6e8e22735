#pragma once
// What the atspi_* helpers share: an element's states, the application of a process and a walk through its
// elements, as a screen reader finds them on the accessibility bus.

#include <atspi/atspi.h>

#include <functional>

inline bool hasState(AtspiAccessible *element, AtspiStateType state)
{
    AtspiStateSet *states = atspi_accessible_get_state_set(element);
    const bool has = states && atspi_state_set_contains(states, state);
    if (states)
        g_object_unref(states);
    return has;
}

// The application of process `pid` (a reference to unref), or null while it has none on the bus.
inline AtspiAccessible *applicationOf(int pid)
{
    AtspiAccessible *desktop = atspi_get_desktop(0);
    AtspiAccessible *found = nullptr;
    const int count = atspi_accessible_get_child_count(desktop, nullptr);
    for (int i = 0; i < count && !found; ++i) {
        AtspiAccessible *application = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (application && int(atspi_accessible_get_process_id(application, nullptr)) == pid)
            found = application;
        else if (application)
            g_object_unref(application);
    }
    g_object_unref(desktop);
    return found;
}

// Depth first from `element`, at most `budget` elements in all: the first element `matches`, as a reference
// to unref, or null.
inline AtspiAccessible *findElement(AtspiAccessible *element, const std::function<bool(AtspiAccessible *)> &matches,
                                    int &budget)
{
    if (--budget < 0)
        return nullptr;
    if (matches(element))
        return static_cast<AtspiAccessible *>(g_object_ref(element));
    const int count = atspi_accessible_get_child_count(element, nullptr);
    for (int i = 0; i < count; ++i) {
        AtspiAccessible *child = atspi_accessible_get_child_at_index(element, i, nullptr);
        if (!child)
            continue;
        AtspiAccessible *found = findElement(child, matches, budget);
        g_object_unref(child);
        if (found)
            return found;
    }
    return nullptr;
}
