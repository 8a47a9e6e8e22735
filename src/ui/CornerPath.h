#pragma once
// Rounded rectangles with continuous corners (the curvature grows smoothly out of the straight edges
// instead of jumping to a circle), and the radius of a rectangle nested concentrically in another.

#include <QPainterPath>
#include <QRectF>

namespace CornerPath {

struct Radii {
    double topLeft = 0;
    double topRight = 0;
    double bottomRight = 0;
    double bottomLeft = 0;

    static Radii uniform(double r) { return {r, r, r, r}; }
};

// How far the corner curves reach into the edges, as a part of the radius (0: circular corners).
inline constexpr double smoothing = 0.6;

QPainterPath continuousRoundedRect(const QRectF &rect, double radius);
QPainterPath continuousRoundedRect(const QRectF &rect, const Radii &radii);
// The corner radius of a rectangle inset by `inset` inside a container with corner radius
// `containerRadius`, so both corners share a centre; never below `minimum`.
double concentricRadius(double containerRadius, double inset, double minimum);

} // namespace CornerPath
