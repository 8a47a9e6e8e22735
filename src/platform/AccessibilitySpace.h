#pragma once
// Conversions between the accessibility space (points, origin at the primary screen's top left, y down)
// and the global screen space (origin at the primary screen's bottom left, y up): y flips about the top
// edge of the first screen, which counts as 0 without screens.

#include <QList>
#include <QPointF>
#include <QRectF>

struct ScreenInfo;

namespace AccessibilitySpace {
QPointF fromScreenPoint(QPointF screenPoint, const QList<ScreenInfo> &screens);
QPointF toScreenPoint(QPointF accessibilityPoint, const QList<ScreenInfo> &screens);
QRectF toScreenRect(const QRectF &accessibilityRect, const QList<ScreenInfo> &screens);
} // namespace AccessibilitySpace
