#pragma once
// A handle on one accessibility element of another application, copied freely: every copy names the same
// element, which stays referenced while a copy lives. Reads never fail loudly; see AccessibilityValue.

#include <QtGlobal>

#include <memory>

enum class AccessibilityAttribute;
class AccessibilityNode;
class AccessibilityValue;
class QString;
struct AccessibilityTextRange;

class AccessibilityElement {
public:
    AccessibilityElement() = default;
    explicit AccessibilityElement(std::shared_ptr<AccessibilityNode> node);

    bool isNull() const { return !m_node; }

    // Missing for a null handle. The text of a secure field (its value and selected text) is never
    // read, whatever the backend could answer: only its character count is.
    AccessibilityValue attribute(AccessibilityAttribute name) const;
    qint64 processIdentifier() const;
    bool setFocused() const;
    bool press() const;
    // Writing text (see AccessibilityNode); a secure field is never written.
    bool isTextEditable() const;
    bool replaceText(const AccessibilityTextRange &range, const QString &text) const;
    bool replaceAllText(const QString &text) const;
    // Whether the element says it is a secure (password) field, by its role or subrole.
    bool isSecure() const;

    // Null handles equal each other; otherwise whether both name the same element.
    friend bool operator==(const AccessibilityElement &a, const AccessibilityElement &b);

    AccessibilityNode *node() const { return m_node.get(); }

private:
    // Its role can be read and neither role nor subrole is the secure field's.
    bool isKnownNotSecure() const;

    std::shared_ptr<AccessibilityNode> m_node;
};
