#pragma once
// Simulated accessibility: applications' element trees built by tests, and what lies under each point
// (placed explicitly, so a test can put an element under a point its frame does not contain).

#include "platform/Accessibility.h"
#include "platform/sim/SimAccessibilityNode.h"

#include <QHash>
#include <QList>
#include <QRectF>

#include <memory>

class SimAccessibility : public Accessibility {
    Q_OBJECT
public:
    explicit SimAccessibility(QObject *parent = nullptr);
    ~SimAccessibility() override;

    // The application's root element, created on first use.
    std::shared_ptr<SimAccessibilityNode> application(qint64 pid);
    void removeApplication(qint64 pid);
    // `node` answers elementAtPoint for points in `area`; later placements lie on top of earlier ones.
    void place(const std::shared_ptr<SimAccessibilityNode> &node, const QRectF &area);
    void clearPlacements() { m_placements.clear(); }
    void setAvailable(bool available) { m_available = available; }

    // Calls of elementAtPoint and applicationElement, for tests that check nothing was asked.
    int lookups() const { return m_lookups; }

    bool isAvailable() override { return m_available; }
    AccessibilityElement elementAtPoint(QPointF point) override;
    AccessibilityElement applicationElement(qint64 pid) override;

private:
    struct Placement {
        std::weak_ptr<SimAccessibilityNode> node;
        QRectF area;
    };

    bool m_available = true;
    int m_lookups = 0;
    QHash<qint64, std::shared_ptr<SimAccessibilityNode>> m_applications;
    QList<Placement> m_placements;
};
