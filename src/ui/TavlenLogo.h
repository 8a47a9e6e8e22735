#pragma once
// Tavlen's logo, 22 x 22 points, drawn in code: a spectrum ring around a small white sheet with two
// lines of text. The launcher sets its saturation, brightness, rotation, scale, glow and offset.

#include <QColor>
#include <QImage>
#include <QPointF>

class QPainter;
class TavlenLogoCache;

struct TavlenLogo {
    static constexpr double size = 22;
    // The launcher's swell (1.14) with its spring's overshoot: swollen logos are drawn from one rendering
    // at this scale.
    static constexpr double largestSwell = 1.2;

    double saturation = 1; // 0 grey ... 1 full colour
    double brightness = 0; // added to every channel, -1 ... 1
    double rotationDegrees = 0; // clockwise
    double scale = 1;
    QColor shadowColor = Qt::transparent;
    double shadowRadius = 0;
    QPointF offset;

    // Draws the logo centred on `centre` (plus the offset); with a cache, the artwork and glow of a state
    // already drawn are not rendered again.
    void paint(QPainter &painter, QPointF centre, TavlenLogoCache *cache = nullptr) const;
    // The artwork alone at `pixels` square, with saturation and brightness applied.
    QImage render(int pixels) const;
    // Draws the same as `other` to the eye: turn, swell and slide within a tenth of a pixel at the rim,
    // the same colour step and glow.
    bool looksLike(const TavlenLogo &other) const;
};
