#include "fields/views/FocusedFieldTypingEffect.h"

#include "fields/views/FocusedFieldTypingEffectMetrics.h"
#include "fields/views/FocusedFieldTypingEffectModel.h"
#include "platform/Appearance.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace Metrics = FocusedFieldTypingEffectMetrics;

namespace {

QColor withAlpha(QColor color, double alpha)
{
    return Palette::withOpacity(color, alpha);
}

QPainterPath roundedRect(const QRectF &rect, double radius)
{
    QPainterPath path;
    const double r = std::max(0.0, std::min({radius, rect.width() / 2, rect.height() / 2}));
    path.addRoundedRect(rect, r, r);
    return path;
}

// The overlay is decoration: screen readers are told it is not there.
class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::NoRole)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

QAccessibleInterface *hiddenAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("FocusedFieldTypingEffect") && object && object->isWidgetType())
        return new HiddenAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

FocusedFieldTypingEffect::FocusedFieldTypingEffect(FocusedFieldTypingEffectModel &model, Clock &clock,
                                                   const Appearance *appearance, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clock(clock)
    , m_appearance(appearance)
    , m_palette(Palette::from(appearance, QColor()))
    , m_frames(clock, [this] { frameDue(); })
{
    // Qt keeps one factory list for the process; this adds ours to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(hiddenAccessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    connect(&m_model, &FocusedFieldTypingEffectModel::changed, this, &FocusedFieldTypingEffect::modelChanged);
}

FocusedFieldTypingEffect::~FocusedFieldTypingEffect()
{
    if (m_endTimer)
        m_clock.cancelTimer(m_endTimer);
}

QLinearGradient FocusedFieldTypingEffect::effectGradient(double x0, double x1, double opacity) const
{
    QLinearGradient gradient(x0, 0, x1, 0);
    gradient.setColorAt(0.0, withAlpha(m_palette.system(SystemColor::cyan), opacity));
    gradient.setColorAt(1.0 / 3.0, withAlpha(m_palette.system(SystemColor::blue), opacity));
    gradient.setColorAt(2.0 / 3.0, withAlpha(m_palette.system(SystemColor::purple), opacity));
    gradient.setColorAt(1.0, withAlpha(m_palette.system(SystemColor::pink), opacity));
    return gradient;
}

void FocusedFieldTypingEffect::setDrawsTranslucency(bool translucent)
{
    if (m_drawsTranslucency == translucent)
        return;
    m_drawsTranslucency = translucent;
    update();
    publishOutline();
}

void FocusedFieldTypingEffect::modelChanged()
{
    // The appearance is read when an effect begins and holds for it.
    m_palette = Palette::from(m_appearance, QColor());
    update();
    publishOutline();
    scheduleFrame();
}

std::optional<double> FocusedFieldTypingEffect::effectEnd() const
{
    std::optional<double> end;
    if (const auto &highlight = m_model.pasteHighlight())
        end = highlight->startedAt + Metrics::highlightDurationFor(m_palette.reduceMotion);
    const double glyphDuration = Metrics::glyphDurationFor(m_palette.reduceMotion);
    for (const FocusedFieldTypingGlyph &glyph : m_model.glyphs())
        end = std::max(end.value_or(glyph.startedAt + glyphDuration), glyph.startedAt + glyphDuration);
    return end;
}

void FocusedFieldTypingEffect::scheduleFrame()
{
    if (m_endTimer) {
        m_clock.cancelTimer(m_endTimer);
        m_endTimer = 0;
    }
    const std::optional<double> end = effectEnd();
    if (!end)
        return;
    const double remaining = *end - m_clock.uptime();
    // The metrics count a frame this close to the end as the end.
    if (remaining <= 1e-9)
        return;
    if (!m_palette.reduceMotion) {
        // A frame past the end draws nothing, which clears the effect.
        m_frames.requestFrame();
        return;
    }
    QPointer<FocusedFieldTypingEffect> self(this);
    m_endTimer = m_clock.callAfter(remaining, [self] {
        if (!self)
            return;
        self->m_endTimer = 0;
        self->frameDue();
    });
}

void FocusedFieldTypingEffect::frameDue()
{
    update();
    publishOutline();
    scheduleFrame();
}

QPainterPath FocusedFieldTypingEffect::outline() const
{
    const auto &highlight = m_model.pasteHighlight();
    if (m_drawsTranslucency || !highlight || width() <= 6 || height() <= 6)
        return {};
    const Metrics::Highlight frame =
        Metrics::highlight(size(), m_clock.uptime() - highlight->startedAt, m_palette.reduceMotion);
    if (frame.progress >= 1)
        return {};
    // A ring two pixels wide just inside the field's edge, where the field keeps its margin, never its text.
    const QRectF bounds(0, 0, width(), height());
    QPainterPath ring = roundedRect(bounds.adjusted(1, 1, -1, -1), frame.cornerRadius);
    ring.addPath(roundedRect(bounds.adjusted(3, 3, -3, -3), std::max(0.0, frame.cornerRadius - 2)));
    ring.setFillRule(Qt::OddEvenFill);
    if (m_palette.reduceMotion)
        return ring;
    // The lit stretch travels with the sweep and shrinks as the highlight fades.
    const double length = frame.band * frame.fade;
    QPainterPath stretch;
    stretch.addRect(QRectF(frame.sweepX - length / 2, 0, length, height()));
    return ring.intersected(stretch).simplified();
}

void FocusedFieldTypingEffect::publishOutline()
{
    if (m_drawsTranslucency)
        return;
    const QPainterPath current = outline();
    if (current == m_publishedOutline)
        return;
    m_publishedOutline = current;
    Q_EMIT outlineChanged(current);
}

void FocusedFieldTypingEffect::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    publishOutline();
}

void FocusedFieldTypingEffect::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const double now = m_clock.uptime();
    if (!m_drawsTranslucency) {
        // Only the window's shape is seen: paint it all in the effect's colours.
        if (!outline().isEmpty())
            painter.fillRect(rect(), effectGradient(0, width()));
        return;
    }
    paintHighlight(painter, now);
    paintGlyphs(painter, now);
}

void FocusedFieldTypingEffect::paintHighlight(QPainter &painter, double now) const
{
    const auto &highlight = m_model.pasteHighlight();
    if (!highlight)
        return;
    const double w = width();
    const double h = height();
    const Metrics::Highlight frame = Metrics::highlight(size(), now - highlight->startedAt, m_palette.reduceMotion);
    if (frame.fade <= 0)
        return;
    const double k = frame.pulse * frame.fade;
    const QColor cyan = m_palette.system(SystemColor::cyan);
    const QColor blue = m_palette.system(SystemColor::blue);
    const QColor purple = m_palette.system(SystemColor::purple);
    const QColor pink = m_palette.system(SystemColor::pink);
    const QRectF bounds(0, 0, w, h);
    const double r = frame.cornerRadius;

    painter.save();
    painter.setClipPath(roundedRect(bounds.adjusted(2, 2, -2, -2), r));
    painter.setOpacity(frame.fade);
    const QPainterPath edge = roundedRect(bounds.adjusted(1.5, 1.5, -1.5, -1.5), r);

    // 1. Tint.
    painter.fillPath(edge, withAlpha(Qt::white, 0.055 * k));

    // 2. The travelling glow (its gradient already ends clear, which stands in for the blur).
    const QPointF centre(frame.sweepX, h / 2);
    QRadialGradient glow(centre, frame.band / 2);
    glow.setColorAt(0.0, withAlpha(cyan, 0.42 * k));
    glow.setColorAt(1.0 / 3.0, withAlpha(blue, 0.26 * k));
    glow.setColorAt(2.0 / 3.0, withAlpha(purple, 0.12 * k));
    glow.setColorAt(1.0, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, frame.band / 2, frame.band / 2);

    // 3. The rim, with its cyan and pink shadows spread by a few wider, fainter strokes.
    painter.setBrush(Qt::NoBrush);
    const auto stroke = [&](const QBrush &brush, double width, QPointF offset) {
        QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.drawPath(edge.translated(offset));
    };
    for (const double spread : {8.0, 5.0, 2.0}) {
        stroke(withAlpha(cyan, 0.4 * k / 3), frame.rimWidth + spread, QPointF(-1, 0));
        stroke(withAlpha(pink, 0.34 * k / 3), frame.rimWidth + spread, QPointF(1, 0));
    }
    stroke(effectGradient(0, w, 0.82 * k), frame.rimWidth, QPointF());

    // 4. The sheen riding on the glow.
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(Qt::white, 0.48 * k));
    painter.drawRoundedRect(QRectF(frame.sweepX - 1, h / 2 - frame.sheenHeight / 2, 2, frame.sheenHeight), 1, 1);
    painter.restore();
}

void FocusedFieldTypingEffect::paintGlyphs(QPainter &painter, double now) const
{
    const QColor cyan = m_palette.system(SystemColor::cyan);
    const QColor pink = m_palette.system(SystemColor::pink);
    for (const FocusedFieldTypingGlyph &glyph : m_model.glyphs()) {
        const Metrics::Glyph g = Metrics::glyph(glyph.frame, now - glyph.startedAt, m_palette.reduceMotion);
        if (g.remaining <= 0)
            continue;
        const QPointF centre = glyph.frame.center();
        painter.save();
        painter.setOpacity(g.remaining);
        if (glyph.character) {
            QFont font = this->font();
            font.setPixelSize(int(std::lround(g.fontSize)));
            font.setWeight(QFont::Medium);
            painter.setFont(font);
            const QRectF box(centre.x() - g.frameWidth / 2, glyph.frame.top(), g.frameWidth, glyph.frame.height());
            // Glow: the character offset in cyan and pink beneath the gradient-filled one.
            painter.setPen(withAlpha(cyan, 0.58 * g.glow));
            painter.drawText(box.translated(-1, 0), Qt::AlignCenter, *glyph.character);
            painter.setPen(withAlpha(pink, 0.52 * g.glow));
            painter.drawText(box.translated(1, 0), Qt::AlignCenter, *glyph.character);
            painter.setPen(QPen(QBrush(effectGradient(box.left(), box.right())), 1));
            painter.drawText(box, Qt::AlignCenter, *glyph.character);
        } else {
            const QRectF bar(centre.x() - 1, centre.y() - g.caretHeight / 2, 2, g.caretHeight);
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(cyan, 0.62 * g.glow * 0.5));
            painter.drawRoundedRect(bar.adjusted(-2, -2, 2, 2), 3, 3);
            painter.setBrush(withAlpha(pink, 0.48 * g.glow * 0.5));
            painter.drawRoundedRect(bar.adjusted(-1, -1, 1, 1), 2, 2);
            painter.setBrush(effectGradient(bar.left(), bar.right()));
            painter.drawRoundedRect(bar, 1, 1);
        }
        painter.restore();
    }
}
