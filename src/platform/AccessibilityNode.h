#pragma once
// What a backend implements for one element of another application; feature code holds it only through
// an AccessibilityElement. Every call answers within the backend's time bound and never throws.

#include <QtGlobal>

enum class AccessibilityAttribute;
class AccessibilityValue;

class AccessibilityNode {
public:
    virtual ~AccessibilityNode() = default;

    // Missing when the element cannot answer (gone, hung, not supported, over the time bound).
    virtual AccessibilityValue attribute(AccessibilityAttribute name) = 0;
    // The process the element belongs to; 0 when it cannot be told.
    virtual qint64 processIdentifier() = 0;
    // Moves the keyboard focus to the element; false when the application refused or did not answer.
    virtual bool setFocused() = 0;
    // Performs the element's default action (a press); false when it has none.
    virtual bool press() = 0;
    // The same element of the same application (two reads may give two handles for one element).
    virtual bool isSameElement(const AccessibilityNode &other) const = 0;
};
