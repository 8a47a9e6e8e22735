#pragma once
// The connected screens in the global screen space (points, origin at the bottom left of the primary
// screen, y up), with the notch areas some screens have, and the pointer location in that space.
// Everything above the platform layer works in this space, so frame formulas carry over unchanged; the
// Linux backend converts Qt's y-down positions at its boundary, in one place: ScreenSpace (below) about
// LinuxScreens::primaryTopDown().

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// One screen as seen at a moment: a plain value. In the y-up space a QRectF's y() is its bottom edge
// (minY) and y() + height() its top edge (maxY).
struct ScreenInfo {
    // Stable number of the monitor, the same after every rebuild of the screen list; none when the
    // platform cannot name the monitor (such a screen gets no launcher).
    std::optional<quint32> number;
    QString name;
    QRectF frame;
    // The frame without the panels and docks that reserve space at its edges (Qt's availableGeometry).
    QRectF availableGeometry;
    double devicePixelRatio = 1.0;
    // Height of the band at the top that a notch makes unusable; 0 without a notch.
    double safeAreaTopInset = 0.0;
    // The usable parts of the top band left and right of a notch; absent without a notch.
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;

    friend bool operator==(const ScreenInfo &, const ScreenInfo &) = default;
};

class Screens : public QObject {
    Q_OBJECT
public:
    // In the system's order; the primary screen first.
    virtual QList<ScreenInfo> screens() const = 0;
    // The primary monitor (the X primary output, as QGuiApplication::primaryScreen()); none without screens.
    virtual std::optional<ScreenInfo> primaryScreen() const = 0;
    // The pointer's location in global points. A pointer on a pixel reports the pixel's bottom-left
    // corner, so every pixel of a monitor lies inside that monitor's half-open frame.
    virtual QPointF pointerLocation() const = 0;
    // Height of a top panel, used where a screen reserves no band at its top of its own.
    virtual double topPanelHeight() const = 0;

    // The screen whose frame holds the point (maximum edges outside), in the system's order.
    std::optional<ScreenInfo> screen(QPointF point) const;
    // The first screen whose frame holds the pointer; none when the pointer is on no screen.
    std::optional<ScreenInfo> screenUnderMouse() const;
    std::optional<ScreenInfo> screen(quint32 number) const;

Q_SIGNALS:
    // Screens were added, removed, moved or resized, or the primary screen changed.
    void screensChanged();

protected:
    using QObject::QObject;
};

// Conversions between a desktop's y-down pixel space (origin at the top left of its virtual screen) and
// the global y-up space, given the primary screen's frame in the y-down space.
namespace ScreenSpace {
// A y-down rectangle as a y-up rectangle: the same pixels.
QRectF rectFromTopDown(const QRectF &topDown, const QRectF &primaryTopDown);
QRectF rectToTopDown(const QRectF &bottomUp, const QRectF &primaryTopDown);
// The pixel at a y-down integer position, as the y-up point of its bottom-left corner.
QPointF pixelFromTopDown(QPoint pixel, const QRectF &primaryTopDown);
// A y-down point (not a pixel: no row offset) and back.
QPointF pointFromTopDown(QPointF topDown, const QRectF &primaryTopDown);
QPointF pointToTopDown(QPointF bottomUp, const QRectF &primaryTopDown);
// Whether the point lies in the rectangle with its maximum edges outside.
bool containsHalfOpen(const QRectF &rect, QPointF point);
} // namespace ScreenSpace
