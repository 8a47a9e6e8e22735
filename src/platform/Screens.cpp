#include "platform/Screens.h"

std::optional<ScreenInfo> Screens::screen(QPointF point) const
{
    for (const ScreenInfo &s : screens()) {
        if (ScreenSpace::containsHalfOpen(s.frame, point))
            return s;
    }
    return std::nullopt;
}

std::optional<ScreenInfo> Screens::screenUnderMouse() const
{
    return screen(pointerLocation());
}

std::optional<ScreenInfo> Screens::screen(quint32 number) const
{
    for (const ScreenInfo &s : screens()) {
        if (s.number == number)
            return s;
    }
    return std::nullopt;
}

namespace ScreenSpace {

// The y-up origin is the primary screen's bottom-left corner; its top edge is therefore at the primary's
// height, and a y-down coordinate measured from the virtual screen's top maps through the primary's bottom.
QRectF rectFromTopDown(const QRectF &topDown, const QRectF &primaryTopDown)
{
    const double bottom = primaryTopDown.y() + primaryTopDown.height();
    return QRectF(topDown.x() - primaryTopDown.x(), bottom - (topDown.y() + topDown.height()), topDown.width(),
                  topDown.height());
}

QRectF rectToTopDown(const QRectF &bottomUp, const QRectF &primaryTopDown)
{
    const double bottom = primaryTopDown.y() + primaryTopDown.height();
    return QRectF(bottomUp.x() + primaryTopDown.x(), bottom - (bottomUp.y() + bottomUp.height()), bottomUp.width(),
                  bottomUp.height());
}

QPointF pixelFromTopDown(QPoint pixel, const QRectF &primaryTopDown)
{
    // Pixel row r covers [r, r + 1) downwards, that is (bottom - r - 1, bottom - r] upwards: its lower
    // edge is the one inside the half-open frame of the monitor it belongs to.
    const double bottom = primaryTopDown.y() + primaryTopDown.height();
    return QPointF(pixel.x() - primaryTopDown.x(), bottom - pixel.y() - 1);
}

QPointF pointFromTopDown(QPointF topDown, const QRectF &primaryTopDown)
{
    const double bottom = primaryTopDown.y() + primaryTopDown.height();
    return QPointF(topDown.x() - primaryTopDown.x(), bottom - topDown.y());
}

QPointF pointToTopDown(QPointF bottomUp, const QRectF &primaryTopDown)
{
    const double bottom = primaryTopDown.y() + primaryTopDown.height();
    return QPointF(bottomUp.x() + primaryTopDown.x(), bottom - bottomUp.y());
}

bool containsHalfOpen(const QRectF &rect, QPointF point)
{
    return point.x() >= rect.x() && point.x() < rect.x() + rect.width() && point.y() >= rect.y()
        && point.y() < rect.y() + rect.height();
}

} // namespace ScreenSpace
