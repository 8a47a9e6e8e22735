// What a snapshot test asserts about a picture: that a person can read it. Texts stand out from what they
// are drawn on (DesktopTest::contrast) and no text is cut by its widget or by the window's edge.
//
//   const QImage shot = SnapshotCheck::over(DesktopTest::renderSnapshot(view, "sheet"), Qt::black);
//   const QStringList unreadable = SnapshotCheck::unreadableTexts(shot, view);
//   EXPECT_TRUE(unreadable.isEmpty()) << unreadable.join("; ").toStdString();
//   EXPECT_GE(SnapshotCheck::inkContrast(shot, editorRect), 4.5);
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QStringList>

class QWidget;

namespace SnapshotCheck {

// The picture as the desktop shows it: laid over a backdrop (what a compositor shows through).
QImage over(const QImage &picture, const QColor &backdrop);

// The strongest contrast any pixel of a region (in points) has against a background colour.
double strongestContrast(const QImage &image, const QRectF &region, const QColor &background);

// The colour most pixels of a region (in points) have: what a text there is drawn on.
QColor dominantColor(const QImage &image, const QRectF &region);

// How far the ink in a region (in points) stands out from the region's own background; 1 when nothing is
// drawn there.
double inkContrast(const QImage &image, const QRectF &region);

// What a person cannot read in an opaque picture of `root`: every visible label, button, group title and
// text view under it whose text is cut (by its own size or by the picture's edge), or, unless it is
// disabled, has no ink of at least `minimumContrast` against its background. One line per fault, naming
// the widget's text; empty when everything is readable. The default, 3:1, is what secondary labels and
// accent-filled buttons keep on every background; text that vanished or sits on its own colour falls far
// below it.
QStringList unreadableTexts(const QImage &picture, const QWidget &root, double minimumContrast = 3.0);

// Whether a visible label, button, group title or text view under `root` shows exactly `text`.
bool showsText(const QWidget &root, const QString &text);

} // namespace SnapshotCheck
