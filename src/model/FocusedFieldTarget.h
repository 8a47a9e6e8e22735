#pragma once
// A text field of another application: its accessibility element, kept alive while the target lives, and
// what was read of it.

#include "model/FocusedFieldDescriptor.h"
#include "platform/AccessibilityElement.h"

struct FocusedFieldTarget {
    AccessibilityElement element;
    FocusedFieldDescriptor descriptor;

    bool isValid() const { return !element.isNull(); }
    // The same element; the descriptor is what was read at some moment and does not count.
    friend bool operator==(const FocusedFieldTarget &a, const FocusedFieldTarget &b) { return a.element == b.element; }
};
