#pragma once
// Draws a widget and its children through a transform and at an opacity, for a whole window's content
// that scales or fades as one piece. At rest (identity, fully opaque) it draws straight through. A held
// image is drawn instead of the widget, for content that leaves while the widget already shows its next
// state.

#include <QGraphicsEffect>
#include <QPixmap>
#include <QTransform>

class TransformFadeEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit TransformFadeEffect(QObject *parent = nullptr);

    void setLook(const QTransform &transform, double opacity);
    QTransform transform() const { return m_transform; }
    double opacity() const { return m_opacity; }
    bool isAtRest() const { return m_transform.isIdentity() && m_opacity >= 1 && m_held.isNull(); }
    void hold(const QPixmap &image);
    void release() { hold({}); }
    bool isHolding() const { return !m_held.isNull(); }

protected:
    void draw(QPainter *painter) override;

private:
    QTransform m_transform;
    double m_opacity = 1;
    QPixmap m_held;
};
