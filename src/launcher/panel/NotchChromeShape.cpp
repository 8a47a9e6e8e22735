#include "launcher/panel/NotchChromeShape.h"

#include <algorithm>

QPainterPath NotchChromeShape::path(const QRectF &rect) const
{
    QPainterPath path;
    if (isFloatingWindow) {
        const double r = std::clamp(bottomCornerRadius, 0.0, std::min(rect.width(), rect.height()) * 0.5);
        path.addRoundedRect(rect, r, r);
        return path;
    }
    const double w = rect.width();
    const double h = rect.height();
    const double minX = rect.left(), maxX = rect.right(), minY = rect.top(), maxY = rect.bottom();
    const double s = std::min({h * 0.5, w * 0.2, std::max(shoulderDepth, 0.0)});
    const double xL = minX + s;
    const double xR = maxX - s;
    const double r = std::min({h * 0.5, std::max(xR - xL, 0.0) * 0.25, std::max(bottomCornerRadius, 0.0)});
    constexpr double k = 0.55228475; // a quarter circle as one cubic
    const double c = shoulderCurveFactor;

    path.moveTo(minX, minY);
    path.lineTo(maxX, minY);
    if (s > 0)
        path.quadTo(xR + c * s, minY + c * s, xR, minY + s);
    path.lineTo(xR, maxY - r);
    path.cubicTo(xR, maxY - r + k * r, xR - r + k * r, maxY, xR - r, maxY);
    path.lineTo(xL + r, maxY);
    path.cubicTo(xL + r - k * r, maxY, xL, maxY - r + k * r, xL, maxY - r);
    if (s > 0) {
        path.lineTo(xL, minY + s);
        path.quadTo(xL - c * s, minY + c * s, minX, minY);
    } else {
        path.lineTo(minX, minY);
    }
    path.closeSubpath();
    return path;
}
