#pragma once
// A text field of another application: its accessibility element, which only the accessibility backend
// can look into. The field reader adds what it learns of the field (its descriptor) here.

#include <memory>

struct FocusedFieldTarget {
    // Owned by the accessibility backend; shared so that copies of a target stay usable.
    std::shared_ptr<void> element;

    bool isValid() const { return bool(element); }
    friend bool operator==(const FocusedFieldTarget &a, const FocusedFieldTarget &b) { return a.element == b.element; }
};
