#pragma once
// What a backend implements for one element of another application; feature code holds it only through
// an AccessibilityElement. Every call answers within the backend's time bound and never throws.

#include <QtGlobal>

enum class AccessibilityAttribute;
class AccessibilityValue;
class QString;
struct AccessibilityTextRange;

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
    // Whether the element's text can be changed from outside: editable, not read-only, with an editing
    // interface. Never true for a secure field.
    virtual bool isTextEditable() = 0;
    // Replaces the characters of `range` with `text`; false when the element refused. Where the toolkit has
    // no atomic replace, the text is inserted after the range before the range is deleted, and an insert
    // whose delete fails is taken out again: a failure never leaves the range deleted with nothing in its
    // place. The caller reads the value back to know what the element really holds.
    virtual bool replaceText(const AccessibilityTextRange &range, const QString &text) = 0;
    // Writes the element's whole text at once; only ever used to put a person's text back.
    virtual bool replaceAllText(const QString &text) = 0;
    // The same element of the same application (two reads may give two handles for one element).
    virtual bool isSameElement(const AccessibilityNode &other) const = 0;
};
