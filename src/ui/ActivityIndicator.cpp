#include "ui/ActivityIndicator.h"

#include "platform/Clock.h"
#include "ui/FontTable.h"
#include "ui/FrameTicker.h"

#include <QPainter>

#include <cmath>

ActivityIndicator::ActivityIndicator(Clock &clock, std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_clock(clock)
    , m_palette(std::move(palette))
{
    m_ticker = new FrameTicker(clock, [this] { frame(); }, this);
    setFont(FontTable::textStyle(TextStyle::callout));
    setAttribute(Qt::WA_TranslucentBackground);
}

ActivityIndicator::~ActivityIndicator() = default;

void ActivityIndicator::setLabel(const QString &label)
{
    if (m_label == label)
        return;
    m_label = label;
    setAccessibleName(label);
    updateGeometry();
    update();
}

QSize ActivityIndicator::sizeHint() const
{
    const int text = m_label.isEmpty() ? 0 : QFontMetrics(font()).horizontalAdvance(m_label) + 8;
    return QSize(diameter + text, std::max(diameter, QFontMetrics(font()).height()));
}

void ActivityIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_ticker->requestFrame();
}

void ActivityIndicator::frame()
{
    if (!isVisible())
        return;
    update();
    m_ticker->requestFrame();
}

void ActivityIndicator::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette ? m_palette() : Palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double turn = std::fmod(m_clock.uptime() / period, 1.0);
    const int lead = int(turn * spokes) % spokes;
    const QPointF centre(diameter / 2.0, height() / 2.0);
    for (int i = 0; i < spokes; ++i) {
        // The spoke just passed is darkest; the ones behind it fade.
        const int age = (lead - i + spokes) % spokes;
        QColor ink = colors.secondary();
        ink.setAlphaF(float(ink.alphaF() * (1.0 - age / double(spokes) * 0.8)));
        painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
        const double angle = 2 * M_PI * i / spokes;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(centre + direction * 3.5, centre + direction * 7);
    }
    if (!m_label.isEmpty()) {
        painter.setPen(colors.secondary());
        painter.setFont(font());
        painter.drawText(QRectF(diameter + 8, 0, width() - diameter - 8, height()), Qt::AlignLeft | Qt::AlignVCenter, m_label);
    }
}
