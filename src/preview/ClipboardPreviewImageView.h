#pragma once
// Shows one image scaled to fit its area, centred, never enlarged past twice its own size, over a faint
// checkerboard that shows where the image is transparent.

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QWidget>

class ClipboardPreviewImageView : public QWidget {
    Q_OBJECT
public:
    static constexpr double maximumUpscale = 2.0;
    // Room kept around the image inside the view, and the rounding of its corners.
    static constexpr double padding = 16;
    static constexpr double cornerRadius = 6;

    explicit ClipboardPreviewImageView(QWidget *parent = nullptr);

    // `image` may be a scaled-down decode of an image of `pixelSize` pixels; it is drawn at the size the
    // full image would have.
    void setImage(const QImage &image, QSize pixelSize);
    const QImage &image() const { return m_image; }
    // Where the image is drawn now.
    QRectF imageRect() const;

    // An image of `pixelSize` (one pixel a point) fitted into `available`: scaled down to fit, or up by at
    // most maximumUpscale; empty for an empty image.
    static QSizeF displaySize(QSize pixelSize, QSizeF available);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QSize m_pixelSize;
};
