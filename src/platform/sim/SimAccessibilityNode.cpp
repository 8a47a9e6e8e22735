#include "platform/sim/SimAccessibilityNode.h"

#include "platform/AccessibilityText.h"

SimAccessibilityNode::SimAccessibilityNode(std::shared_ptr<Process> process)
    : m_process(std::move(process))
{
}

SimAccessibilityNode::~SimAccessibilityNode()
{
    // Trees thousands of levels deep are released level by level instead of by recursion.
    QList<std::shared_ptr<SimAccessibilityNode>> pending = std::move(m_children);
    while (!pending.isEmpty()) {
        std::shared_ptr<SimAccessibilityNode> node = pending.takeLast();
        if (node.use_count() == 1)
            pending.append(std::move(node->m_children));
    }
}

std::shared_ptr<SimAccessibilityNode> SimAccessibilityNode::createApplication(qint64 pid)
{
    auto process = std::make_shared<Process>();
    process->pid = pid;
    std::shared_ptr<SimAccessibilityNode> root(new SimAccessibilityNode(process));
    root->set(AccessibilityAttribute::role, AccessibilityRole::application);
    return root;
}

std::shared_ptr<SimAccessibilityNode> SimAccessibilityNode::addChild(std::optional<AccessibilityRole> role)
{
    std::shared_ptr<SimAccessibilityNode> child(new SimAccessibilityNode(m_process));
    child->m_parent = weak_from_this();
    if (role)
        child->set(AccessibilityAttribute::role, *role);
    m_children.append(child);
    return child;
}

SimAccessibilityNode &SimAccessibilityNode::set(AccessibilityAttribute name, AccessibilityValue value)
{
    m_attributes.insert(int(name), std::move(value));
    return *this;
}

SimAccessibilityNode &SimAccessibilityNode::unset(AccessibilityAttribute name)
{
    m_attributes.remove(int(name));
    return *this;
}

AccessibilityValue SimAccessibilityNode::attribute(AccessibilityAttribute name)
{
    ++m_process->reads;
    m_process->readLog.append(name);
    if (!m_process->responding)
        return {};
    switch (name) {
    case AccessibilityAttribute::parent: {
        std::shared_ptr<SimAccessibilityNode> parent = m_parentOverride.lock();
        if (!parent)
            parent = m_parent.lock();
        return parent ? AccessibilityValue(parent->element()) : AccessibilityValue();
    }
    case AccessibilityAttribute::focusedElement:
        if (m_attributes.contains(int(name)))
            break;
        if (const std::shared_ptr<SimAccessibilityNode> focused = m_process->focused.lock())
            return focused->element();
        return {};
    case AccessibilityAttribute::focused:
        if (m_attributes.contains(int(name)))
            break;
        return isFocused();
    default:
        break;
    }
    return m_attributes.value(int(name));
}

qint64 SimAccessibilityNode::processIdentifier()
{
    return m_process->responding ? m_process->pid : 0;
}

bool SimAccessibilityNode::setFocused()
{
    ++m_process->focusRequests;
    if (!m_process->responding || !m_process->acceptsFocus)
        return false;
    m_process->focused = weak_from_this();
    return true;
}

bool SimAccessibilityNode::press()
{
    ++m_process->presses;
    if (!m_process->responding)
        return false;
    m_process->focused = weak_from_this();
    return true;
}

bool SimAccessibilityNode::isTextEditable()
{
    return m_process->responding && textEditable;
}

SimAccessibilityNode &SimAccessibilityNode::setText(const QString &value, AccessibilityTextRange selection)
{
    set(AccessibilityAttribute::value, value);
    set(AccessibilityAttribute::characterCount, double(AccessibilityText::characterCount(value)));
    set(AccessibilityAttribute::selectedTextRange, selection);
    set(AccessibilityAttribute::selectedText, AccessibilityText::slice(value, selection).value_or(QString()));
    return *this;
}

bool SimAccessibilityNode::replaceText(const AccessibilityTextRange &range, const QString &text)
{
    writes.append({range, text});
    if (!m_process->responding || !textEditable || textWrite == TextWrite::refuses || writesLeft == 0)
        return false;
    if (writesLeft > 0)
        --writesLeft;
    const std::optional<QString> value = m_attributes.value(int(AccessibilityAttribute::value)).string();
    if (!value)
        return false;
    QString written = text;
    const TextWrite behaviour = faultyWrites == 0 ? TextWrite::replaces : textWrite;
    if (faultyWrites > 0)
        --faultyWrites;
    switch (behaviour) {
    case TextWrite::ignores:
        return true;
    case TextWrite::deletesOnly:
        written.clear();
        break;
    case TextWrite::truncates:
        written = text.left(text.size() / 2);
        break;
    case TextWrite::replaces:
    case TextWrite::refuses:
        break;
    }
    const std::optional<QString> changed = AccessibilityText::replacing(*value, range, written);
    if (!changed)
        return false;
    const qint64 caret = range.location + AccessibilityText::characterCount(written);
    setText(*changed, AccessibilityTextRange{caret, 0});
    return true;
}

bool SimAccessibilityNode::replaceAllText(const QString &text)
{
    writes.append({{}, text, true});
    if (!m_process->responding || !textEditable || writesLeft == 0)
        return false;
    if (writesLeft > 0)
        --writesLeft;
    setText(text, AccessibilityTextRange{AccessibilityText::characterCount(text), 0});
    return true;
}
