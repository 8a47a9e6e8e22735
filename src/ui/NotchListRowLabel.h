#pragma once
// The look every list row shares: selection dot, the caller's leading views, a one-line title, the
// caller's trailing views; 64 points high with 12 points of padding, the selected wash behind and a
// separator under it. Hovering scales the content (not the background or separator) by 1.025.

#include "ui/ListSelectionDot.h"
#include "ui/Animation.h"
#include "ui/Palette.h"

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

    // The content's scale for a hover state (1 under reduce motion) and how it springs there.
    static double contentScale(bool hovered, bool reduceMotion);
    static Animation hoverAnimation(bool reduceMotion);

    // `scale` and `dotAmount` are the animated values of the hover scale and of the dot's activity.
    void paint(QPainter &painter, const QRectF &row, const Palette &palette, double scale, double dotAmount) const;
    // The title as drawn: one line, cut with an ellipsis to fit `width`.
    static QString elidedTitle(const QString &title, double width);
};
