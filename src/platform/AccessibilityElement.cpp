#include "platform/AccessibilityElement.h"

#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityNode.h"
#include "platform/AccessibilityValue.h"

AccessibilityElement::AccessibilityElement(std::shared_ptr<AccessibilityNode> node)
    : m_node(std::move(node))
{
}

AccessibilityValue AccessibilityElement::attribute(AccessibilityAttribute name) const
{
    if (!m_node)
        return {};
    // Secrets never enter this process: whatever a toolkit would hand out for a password field stays there.
    if ((name == AccessibilityAttribute::value || name == AccessibilityAttribute::selectedText) && !isKnownNotSecure())
        return {};
    return m_node->attribute(name);
}

bool AccessibilityElement::isSecure() const
{
    if (!m_node)
        return false;
    if (m_node->attribute(AccessibilityAttribute::role).role() == AccessibilityRole::secureTextField)
        return true;
    return m_node->attribute(AccessibilityAttribute::subrole).role() == AccessibilityRole::secureTextField;
}

bool AccessibilityElement::isKnownNotSecure() const
{
    // An element whose role cannot be told may be a password field: nothing is read from it or written to it.
    return m_node && m_node->attribute(AccessibilityAttribute::role).role() && !isSecure();
}

bool AccessibilityElement::isTextEditable() const
{
    return isKnownNotSecure() && m_node->isTextEditable();
}

bool AccessibilityElement::replaceText(const AccessibilityTextRange &range, const QString &text) const
{
    return isKnownNotSecure() && m_node->replaceText(range, text);
}

bool AccessibilityElement::replaceAllText(const QString &text) const
{
    return isKnownNotSecure() && m_node->replaceAllText(text);
}

qint64 AccessibilityElement::processIdentifier() const
{
    return m_node ? m_node->processIdentifier() : 0;
}

bool AccessibilityElement::setFocused() const
{
    return m_node && m_node->setFocused();
}

bool AccessibilityElement::press() const
{
    return m_node && m_node->press();
}

bool operator==(const AccessibilityElement &a, const AccessibilityElement &b)
{
    if (!a.m_node || !b.m_node)
        return !a.m_node && !b.m_node;
    return a.m_node == b.m_node || a.m_node->isSameElement(*b.m_node);
}
