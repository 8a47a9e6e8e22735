#pragma once
// The details window of one suggested field value. Its placement rule is also how the compact launcher
// window sits beside a field, so it is usable without a window.

#include <QRectF>
#include <QSizeF>

class FocusedFieldSuggestionPreviewWindow {
public:
    // A frame of `size` beside `anchor` inside `bounds` (global y-up points): left of the anchor with top
    // edges aligned, else right of it, else below it (above when below does not fit) with left edges
    // aligned; always kept 8 points inside the bounds, shrunk when it does not fit.
    static QRectF frameBesideAnchor(QSizeF size, const QRectF &anchor, const QRectF &bounds);
};
