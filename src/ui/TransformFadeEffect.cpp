#include "ui/TransformFadeEffect.h"

#include <QPainter>

TransformFadeEffect::TransformFadeEffect(QObject *parent)
    : QGraphicsEffect(parent)
{
}

void TransformFadeEffect::setLook(const QTransform &transform, double opacity)
{
    if (transform == m_transform && opacity == m_opacity)
        return;
    m_transform = transform;
    m_opacity = opacity;
    update();
}

void TransformFadeEffect::hold(const QPixmap &image)
{
    if (image.isNull() && m_held.isNull())
        return;
    m_held = image;
    update();
}

void TransformFadeEffect::draw(QPainter *painter)
{
    if (isAtRest()) {
        drawSource(painter);
        return;
    }
    if (m_opacity <= 0)
        return;
    QPoint offset;
    const QPixmap pixmap = m_held.isNull() ? sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad) : m_held;
    painter->save();
    painter->setOpacity(painter->opacity() * m_opacity);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setTransform(m_transform, true);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}
