#include "platform/AccessibilitySpace.h"

#include "platform/Screens.h"

namespace AccessibilitySpace {

namespace {

double primaryMaxY(const QList<ScreenInfo> &screens)
{
    if (screens.isEmpty())
        return 0;
    const QRectF &primary = screens.first().frame;
    return primary.y() + primary.height();
}

} // namespace

QPointF fromScreenPoint(QPointF screenPoint, const QList<ScreenInfo> &screens)
{
    return QPointF(screenPoint.x(), primaryMaxY(screens) - screenPoint.y());
}

QPointF toScreenPoint(QPointF accessibilityPoint, const QList<ScreenInfo> &screens)
{
    return QPointF(accessibilityPoint.x(), primaryMaxY(screens) - accessibilityPoint.y());
}

QRectF toScreenRect(const QRectF &accessibilityRect, const QList<ScreenInfo> &screens)
{
    return QRectF(accessibilityRect.x(), primaryMaxY(screens) - (accessibilityRect.y() + accessibilityRect.height()),
                  accessibilityRect.width(), accessibilityRect.height());
}

} // namespace AccessibilitySpace
