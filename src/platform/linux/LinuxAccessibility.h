#pragma once
// Accessibility on the Linux desktop through AT-SPI 2. The element under a point: the X11 window there,
// its process, that application's accessible tree, then hit test after hit test down to the deepest
// element (AT-SPI descends one level per call). Every call is bounded by AtspiSession's budget.

#include "platform/Accessibility.h"

#include <QPoint>

#include <memory>

class AtspiSession;
class XcbSession;
typedef struct _AtspiAccessible AtspiAccessible;

class LinuxAccessibility : public Accessibility {
    Q_OBJECT
public:
    // The X session is shared and outlives the accessibility.
    explicit LinuxAccessibility(XcbSession &x11, QObject *parent = nullptr);
    ~LinuxAccessibility() override;

    bool isAvailable() override;
    AccessibilityElement elementAtPoint(QPointF point) override;
    AccessibilityElement applicationElement(qint64 pid) override;

    // AT-SPI calls made so far, for benchmarks.
    int callCount() const;

    // Hit tests below the window before giving up on going deeper.
    static constexpr int maximumDescent = 64;
    // Children whose frames are looked at where a hit test answers nothing.
    static constexpr int maximumHitChildren = 64;

private:
    // The process owning the topmost viewable window at a root-window pixel; 0 when none.
    qint64 processAt(QPoint rootPixel);
    // A new reference on the application's root accessible, or null.
    AtspiAccessible *applicationAccessible(qint64 pid);
    // A new reference on the last child of `parent` whose frame holds the point, looking through up to
    // `depth` levels of page tabs and children without a frame; nullptr when none.
    AtspiAccessible *childAtPoint(AtspiAccessible *parent, QPointF point, int depth = 2);

    std::shared_ptr<AtspiSession> m_session;
    XcbSession *m_x11 = nullptr;
};
