#include "preview/ClipboardPreviewImageView.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

ClipboardPreviewImageView::ClipboardPreviewImageView(QWidget *parent)
    : QWidget(parent)
{
}

void ClipboardPreviewImageView::setImage(const QImage &image, QSize pixelSize)
{
    m_image = image;
    m_pixelSize = pixelSize.isValid() && !pixelSize.isEmpty() ? pixelSize : image.size();
    update();
}

QSizeF ClipboardPreviewImageView::displaySize(QSize pixelSize, QSizeF available)
{
    if (pixelSize.isEmpty() || available.isEmpty())
        return {};
    const double fit = std::min(available.width() / pixelSize.width(), available.height() / pixelSize.height());
    const double scale = std::min(fit, maximumUpscale);
    return QSizeF(pixelSize.width() * scale, pixelSize.height() * scale);
}

QRectF ClipboardPreviewImageView::imageRect() const
{
    const QSizeF size = displaySize(m_pixelSize, QSizeF(width() - 2 * padding, height() - 2 * padding));
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void ClipboardPreviewImageView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF target = imageRect();
    QPainterPath rounded;
    rounded.addRoundedRect(target, cornerRadius, cornerRadius);
    painter.setClipPath(rounded);
    if (m_image.hasAlphaChannel()) {
        // A faint checkerboard under transparent parts, as image editors show them.
        painter.save();
        painter.setClipRect(target);
        constexpr int cell = 8;
        const QColor light(255, 255, 255, 28);
        const QColor dark(255, 255, 255, 10);
        for (int y = int(target.top()); y < target.bottom(); y += cell) {
            for (int x = int(target.left()); x < target.right(); x += cell) {
                const bool odd = ((x - int(target.left())) / cell + (y - int(target.top())) / cell) % 2;
                painter.fillRect(QRect(x, y, cell, cell), odd ? dark : light);
            }
        }
        painter.restore();
    }
    painter.drawImage(target, m_image);
}
