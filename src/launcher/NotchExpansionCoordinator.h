#pragma once
// Keeps at most one launcher list expanded across every screen and both presentations.

#include "launcher/NotchListCollapsing.h"

#include <QObject>
#include <QPointer>

class NotchExpansionCoordinator {
public:
    // The list that expanded last, or nullptr once it is gone.
    NotchListCollapsing *activeList() const;

    // `list` is about to expand: a different, still living active list collapses at once and `list`
    // takes its place. `list` must be a QObject.
    void willExpand(NotchListCollapsing *list);

private:
    QPointer<QObject> m_activeObject;
    NotchListCollapsing *m_activeList = nullptr;
};
