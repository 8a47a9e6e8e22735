#pragma once
// A launcher list that another list's expansion can collapse at once. Conformers are QObjects, so the
// expansion coordinator can hold them weakly.

class NotchListCollapsing {
public:
    virtual ~NotchListCollapsing() = default;

    // Collapses without animation; does nothing while already collapsed.
    virtual void collapseImmediately() = 0;
};
