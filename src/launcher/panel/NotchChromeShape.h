#pragma once
// The outline of the launcher: a notch hanging from the top edge (full-width top edge, shoulders curving
// into a narrower body, rounded bottom corners) or, for the floating window, a rounded rectangle.
// Coordinates are the view's own (y down).

#include <QPainterPath>
#include <QRectF>

struct NotchChromeShape {
    bool isFloatingWindow = false;
    double bottomCornerRadius = 0;
    double shoulderDepth = 0;
    double shoulderCurveFactor = 0;

    QPainterPath path(const QRectF &rect) const;
    // The band of the outline's full height between its rounded corners: whatever lies in it is inside.
    QRectF innerBand(const QRectF &rect) const;
};
