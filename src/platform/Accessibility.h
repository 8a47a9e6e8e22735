#pragma once
// Other applications' user interface as accessibility elements: the element under a point and the element
// of a whole application (whose focused element can then be read). Calls are synchronous on the main
// thread but bounded: whatever the other applications do (hang, die, answer nonsense), all calls made
// while the event loop does not turn together block for at most requestTimeBudget, after which reads
// answer "missing" until it turns again. Without an accessibility bus every answer is empty at once.

#include "platform/AccessibilityElement.h"

#include <QObject>
#include <QPointF>

class Accessibility : public QObject {
    Q_OBJECT
public:
    // Seconds the main thread may spend in accessibility calls per request (per turn of the event loop).
    static constexpr double requestTimeBudget = 0.3;

    // Whether other applications can be reached at all (on Linux: the accessibility bus answers).
    virtual bool isAvailable() = 0;

    // The deepest element at a point of the accessibility space (points, origin at the primary screen's top
    // left, y down), in the topmost window there; null when none.
    virtual AccessibilityElement elementAtPoint(QPointF point) = 0;
    // The element standing for the application with this process; its focusedElement attribute is the
    // element with the keyboard focus. Null when the application exposes nothing.
    virtual AccessibilityElement applicationElement(qint64 pid) = 0;

protected:
    using QObject::QObject;
};
