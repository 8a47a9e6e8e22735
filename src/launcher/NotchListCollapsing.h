#pragma once
// A launcher list that another list's expansion can collapse at once.

#include "platform/Lifetime.h"

class NotchListCollapsing {
public:
    virtual ~NotchListCollapsing() = default;

    // Collapses without animation; does nothing while already collapsed.
    virtual void collapseImmediately() = 0;
    // This list, held weakly: the pointer reads null once the list has begun to go away.
    virtual Lifetime::Pointer<NotchListCollapsing> weakList() = 0;
};
