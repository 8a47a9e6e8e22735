#include "launcher/panel/NotchChromeShape.h"

#include "ui/CornerPath.h"

#include <algorithm>

namespace {

// Where the notch's body runs and how round its bottom corners are.
struct Body {
    double left = 0;
    double right = 0;
    double shoulder = 0;
    double cornerRadius = 0;
};

Body bodyOf(const NotchChromeShape &shape, const QRectF &rect)
{
    const double s = std::min({rect.height() * 0.5, rect.width() * 0.2, std::max(shape.shoulderDepth, 0.0)});
    const double xL = rect.left() + s;
    const double xR = rect.right() - s;
    const double r = std::min({rect.height() * 0.5, std::max(xR - xL, 0.0) * 0.25, std::max(shape.bottomCornerRadius, 0.0)});
    return {xL, xR, s, r};
}

} // namespace

QRectF NotchChromeShape::innerBand(const QRectF &rect) const
{
    if (isFloatingWindow) {
        const double r = std::clamp(bottomCornerRadius, 0.0, std::min(rect.width(), rect.height()) * 0.5);
        return QRectF(rect.left() + r, rect.top(), std::max(rect.width() - 2 * r, 0.0), rect.height());
    }
    const Body body = bodyOf(*this, rect);
    const double left = body.left + body.cornerRadius;
    return QRectF(left, rect.top(), std::max(body.right - body.cornerRadius - left, 0.0), rect.height());
}

QPainterPath NotchChromeShape::path(const QRectF &rect) const
{
    QPainterPath path;
    if (isFloatingWindow) {
        const double r = std::clamp(bottomCornerRadius, 0.0, std::min(rect.width(), rect.height()) * 0.5);
        return CornerPath::continuousRoundedRect(rect, r);
    }
    const double minX = rect.left(), maxX = rect.right(), minY = rect.top(), maxY = rect.bottom();
    const Body body = bodyOf(*this, rect);
    const double s = body.shoulder;
    const double xL = body.left;
    const double xR = body.right;
    const double r = body.cornerRadius;
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
