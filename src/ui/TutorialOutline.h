#pragma once
// The orange ring the onboarding tutorial draws around the element it talks about, and the two colour
// tables the lists share: the tutorial's highlight colour and the spectrum of the selection ring.
// The ring is a stroke inside the shape's bounds; it takes no clicks (it is only painted).

#include "ui/Animation.h"
#include "ui/Palette.h"

#include <QColor>
#include <QList>
#include <QPainterPath>

class QPainter;

namespace TutorialOutline {

// System orange at 0.85.
QColor tutorialHighlightColor();
// Cyan, blue, indigo, purple, pink, orange, cyan.
const QList<SystemColor> &spectrumGradientColors();
QList<QColor> spectrumGradientColors(const Palette &palette);

// How the ring fades in and out when its flag changes.
inline Animation transition()
{
    return Animation::easeInOut(0.2);
}

// Strokes the inside of `shape` with the highlight colour, `opacity` of the way faded in (0 draws nothing).
// Free-standing controls and sections use tutorialOutline, list rows tutorialContainedRowOutline; both draw
// alike.
void tutorialOutline(QPainter &painter, const QPainterPath &shape, double lineWidth, double opacity);
void tutorialContainedRowOutline(QPainter &painter, const QPainterPath &shape, double lineWidth, double opacity);

} // namespace TutorialOutline
