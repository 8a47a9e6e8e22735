#include "ui/CornerPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

QPointF unit(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

// One corner at `corner`, reached travelling along `u` and left along `v` (both unit vectors). The path
// is already at corner - p·u; the corner ends at corner + p·v. Two easing cubics surround a short arc.
void addCorner(QPainterPath &path, QPointF corner, QPointF u, QPointF v, double r, double budget)
{
    if (r <= 0) {
        path.lineTo(corner);
        return;
    }
    r = std::min(r, budget);
    double s = CornerPath::smoothing;
    const double p = std::min((1 + s) * r, budget);
    s = std::clamp(p / r - 1, 0.0, CornerPath::smoothing);
    const double arcMeasure = 90 * (1 - s);
    const double arcLength = std::sin(radians(arcMeasure / 2)) * r * std::sqrt(2.0);
    const double alpha = (90 - arcMeasure) / 2;
    const double p3p4 = r * std::tan(radians(alpha / 2));
    const double beta = 45 * s;
    const double c = p3p4 * std::cos(radians(beta));
    const double d = c * std::tan(radians(beta));
    const double b = std::max((p - arcLength - c - d) / 3, 0.0);
    const double a = 2 * b;

    const QPointF start = corner - p * u;
    const QPointF arcStart = start + (a + b + c) * u + d * v;
    path.cubicTo(start + a * u, start + (a + b) * u, arcStart);
    const QPointF arcEnd = arcStart + arcLength * u + arcLength * v;
    // The arc as one cubic: handles along the tangents, 4/3·tan(θ/4)·r long.
    const double handle = 4.0 / 3 * std::tan(radians(arcMeasure) / 4) * r;
    // Without easing curves (a full capsule end) the arc starts along u and ends along v.
    const QPointF t1 = c + d > 0 ? unit(c * u + d * v) : u;
    const QPointF t2 = c + d > 0 ? unit(d * u + c * v) : v;
    path.cubicTo(arcStart + handle * t1, arcEnd - handle * t2, arcEnd);
    const QPointF end = corner + p * v;
    path.cubicTo(arcEnd + d * u + c * v, arcEnd + d * u + (b + c) * v, end);
}

double reach(double r, double budget)
{
    return r <= 0 ? 0 : std::min((1 + CornerPath::smoothing) * std::min(r, budget), budget);
}

} // namespace

namespace CornerPath {

QPainterPath continuousRoundedRect(const QRectF &rect, double radius)
{
    return continuousRoundedRect(rect, Radii::uniform(radius));
}

QPainterPath continuousRoundedRect(const QRectF &rect, const Radii &radii)
{
    QPainterPath path;
    if (rect.isEmpty())
        return path;
    const double budget = std::min(rect.width(), rect.height()) / 2;
    const QPointF right(1, 0), down(0, 1), left(-1, 0), up(0, -1);
    path.moveTo(rect.left() + reach(radii.topLeft, budget), rect.top());
    path.lineTo(rect.right() - reach(radii.topRight, budget), rect.top());
    addCorner(path, rect.topRight(), right, down, radii.topRight, budget);
    path.lineTo(rect.right(), rect.bottom() - reach(radii.bottomRight, budget));
    addCorner(path, rect.bottomRight(), down, left, radii.bottomRight, budget);
    path.lineTo(rect.left() + reach(radii.bottomLeft, budget), rect.bottom());
    addCorner(path, rect.bottomLeft(), left, up, radii.bottomLeft, budget);
    path.lineTo(rect.left(), rect.top() + reach(radii.topLeft, budget));
    addCorner(path, rect.topLeft(), up, right, radii.topLeft, budget);
    path.closeSubpath();
    return path;
}

double concentricRadius(double containerRadius, double inset, double minimum)
{
    return std::max(containerRadius - inset, minimum);
}

} // namespace CornerPath
