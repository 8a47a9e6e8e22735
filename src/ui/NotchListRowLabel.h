#pragma once
// The look every list row shares: selection dot, the caller's leading views, a one-line title, the
// caller's trailing views; 64 points high with 12 points of padding, the selected wash behind and a
// separator under it. Hovering grows the content (not the background or separator) by 1.025, each piece
// in its own column (the dot about its centre, the leading views and the title from their leading edge,
// the trailing views from their trailing edge), so a hovered row stays aligned with its neighbours.

#include "ui/ListSelectionDot.h"
#include "ui/Animation.h"
#include "ui/Palette.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;

struct NotchListRowLabel {
    static constexpr double height = 64;
    static constexpr double horizontalPadding = 12;
    static constexpr double spacing = 10;
    static constexpr double titlePixelSize = 12;
    static constexpr double hoverScale = 1.025;
    static constexpr qsizetype maximumMeasuredCharacters = 400;

    QString title;
    bool isSelected = false;
    bool isHovered = false;
    bool showsBottomSeparator = true;
    // Widths the caller's views take; zero leaves the slot out (with its spacing).
    double leadingWidth = 0;
    double trailingWidth = 0;
    // Draw the caller's views into the rectangles the layout gives them.
    std::function<void(QPainter &, const QRectF &)> leading;
    std::function<void(QPainter &, const QRectF &)> trailing;

    struct Layout {
        QRectF content; // inside the padding
        QPointF dotCentre;
        QRectF leading;
        QRectF title;
        QRectF trailing;
    };
    Layout layout(const QRectF &row) const;
    // The pieces as drawn at a hover scale: each grown from the point that keeps its column.
    static Layout scaled(const Layout &layout, double scale);

    // What the row drew last time it was at rest, kept by the caller: a row whose content did not change is
    // put back with one image draw instead of laying its text out again.
    struct ContentCache {
        QString key;
        QImage image;
    };
    // Names everything the caller's leading and trailing views draw (the title and colours are added).
    QString contentKey;

    // The content's scale for a hover state (1 under reduce motion) and how it springs there.
    static double contentScale(bool hovered, bool reduceMotion);
    static Animation hoverAnimation(bool reduceMotion);

    // `scale` and `dotAmount` are the animated values of the hover scale and of the dot's activity; `cache`,
    // when given with a `contentKey`, keeps the content drawn at rest.
    void paint(QPainter &painter, const QRectF &row, const Palette &palette, double scale, double dotAmount,
               ContentCache *cache = nullptr) const;
    // The title as drawn: one line, cut with an ellipsis to fit `width`.
    static QString elidedTitle(const QString &title, double width);

private:
    void paintContent(QPainter &painter, const Layout &parts, const Palette &palette, double scale) const;
};
