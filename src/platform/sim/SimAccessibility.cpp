#include "platform/sim/SimAccessibility.h"

#include "platform/Screens.h"

SimAccessibility::SimAccessibility(QObject *parent)
    : Accessibility(parent)
{
}

SimAccessibility::~SimAccessibility() = default;

std::shared_ptr<SimAccessibilityNode> SimAccessibility::application(qint64 pid)
{
    std::shared_ptr<SimAccessibilityNode> &root = m_applications[pid];
    if (!root)
        root = SimAccessibilityNode::createApplication(pid);
    return root;
}

void SimAccessibility::removeApplication(qint64 pid)
{
    m_applications.remove(pid);
}

void SimAccessibility::place(const std::shared_ptr<SimAccessibilityNode> &node, const QRectF &area)
{
    m_placements.append({node, area});
}

AccessibilityElement SimAccessibility::elementAtPoint(QPointF point)
{
    ++m_lookups;
    if (!m_available)
        return {};
    for (qsizetype i = m_placements.size() - 1; i >= 0; --i) {
        if (!ScreenSpace::containsHalfOpen(m_placements.at(i).area, point))
            continue;
        const std::shared_ptr<SimAccessibilityNode> node = m_placements.at(i).node.lock();
        return node ? node->element() : AccessibilityElement();
    }
    return {};
}

AccessibilityElement SimAccessibility::applicationElement(qint64 pid)
{
    ++m_lookups;
    if (!m_available)
        return {};
    const auto it = m_applications.constFind(pid);
    return it == m_applications.constEnd() ? AccessibilityElement() : (*it)->element();
}
