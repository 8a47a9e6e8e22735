#pragma once
// The typing effect drawn over another application's field: the paste highlight (a soft coloured sweep
// that runs once across the field and fades out) and the model's glyphs (each a fading character or
// caret bar). It redraws at most 60 times a second while something moves and not at all otherwise; with
// reduced motion it draws still frames and redraws once more when the effect is over, so the overlay
// always ends empty. It takes no input and screen readers do not see it.
//
// Translucent drawing needs a compositing desktop. Without one (drawsTranslucency false) it draws only a
// lit stretch of the field's outline that follows the sweep, and publishes that outline so its window
// can be shaped to it: the field's text is never covered.

#include "platform/Clock.h"
#include "ui/FrameTicker.h"
#include "ui/Palette.h"

#include <QPainterPath>
#include <QWidget>

class Appearance;
class FocusedFieldTypingEffectModel;

class FocusedFieldTypingEffect : public QWidget {
    Q_OBJECT
public:
    // `appearance` may be null: motion is then never reduced.
    FocusedFieldTypingEffect(FocusedFieldTypingEffectModel &model, Clock &clock, const Appearance *appearance,
                             QWidget *parent = nullptr);
    ~FocusedFieldTypingEffect() override;

    bool drawsTranslucency() const { return m_drawsTranslucency; }
    void setDrawsTranslucency(bool translucent);

    // What of the overlay is to be seen when it cannot be translucent, in its own coordinates; empty when
    // nothing is (also while translucent).
    QPainterPath outline() const;
    // A redraw is scheduled: something still moves or has yet to end.
    bool isAnimating() const { return m_frames.isFramePending() || m_endTimer != 0; }
    // The reduce-motion setting read when the current effect began.
    bool reducesMotion() const { return m_palette.reduceMotion; }

Q_SIGNALS:
    // The outline changed (only while not translucent).
    void outlineChanged(const QPainterPath &outline);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void modelChanged();
    void scheduleFrame();
    void frameDue();
    void publishOutline();
    // Clock uptime when the last running highlight or glyph ends; none when nothing runs.
    std::optional<double> effectEnd() const;
    void paintHighlight(QPainter &painter, double now) const;
    void paintGlyphs(QPainter &painter, double now) const;
    QLinearGradient effectGradient(double x0, double x1, double opacity = 1.0) const;

    FocusedFieldTypingEffectModel &m_model;
    Clock &m_clock;
    const Appearance *m_appearance;
    // Taken from the appearance when an effect begins, and kept for it.
    Palette m_palette;
    bool m_drawsTranslucency = true;
    FrameTicker m_frames;
    // Reduced motion draws no frames: one redraw clears the effect at its end.
    Clock::TimerId m_endTimer = 0;
    QPainterPath m_publishedOutline;
};
