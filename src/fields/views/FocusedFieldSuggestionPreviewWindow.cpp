#include "fields/views/FocusedFieldSuggestionPreviewWindow.h"

#include <algorithm>

QRectF FocusedFieldSuggestionPreviewWindow::frameBesideAnchor(QSizeF size, const QRectF &anchor, const QRectF &bounds)
{
    constexpr double margin = 8;
    constexpr double gap = 10;
    const QRectF inset = bounds.adjusted(margin, margin, -margin, -margin);
    const double iMinX = inset.x(), iMaxX = inset.x() + inset.width();
    const double iMinY = inset.y(), iMaxY = inset.y() + inset.height();
    const double aMinX = anchor.x(), aMaxX = anchor.x() + anchor.width();
    const double aMinY = anchor.y(), aMaxY = anchor.y() + anchor.height();

    // Bounds narrower than the margins leave no room at all, never a negative size.
    const double w = std::max(0.0, std::min(size.width(), inset.width()));
    const double h = std::max(0.0, std::min(size.height(), inset.height()));
    double x = aMinX - gap - w;
    double y = aMaxY - h;
    if (iMinX <= x) {
        // Left of the anchor.
    } else if (aMaxX + gap + w <= iMaxX) {
        x = aMaxX + gap;
    } else {
        x = aMinX;
        y = iMinY <= aMinY - gap - h ? aMinY - gap - h : aMaxY + gap;
    }
    x = std::min(std::max(x, iMinX), iMaxX - w);
    y = std::min(std::max(y, iMinY), iMaxY - h);
    return QRectF(x, y, w, h);
}
