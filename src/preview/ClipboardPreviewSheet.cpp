#include "preview/ClipboardPreviewSheet.h"

#include "ui/CornerPath.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>

ClipboardPreviewSheet::ClipboardPreviewSheet(QWidget &host, std::function<Palette()> palette, double hostCornerRadius)
    : QWidget(&host)
    , m_palette(std::move(palette))
    , m_hostCornerRadius(hostCornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
    host.installEventFilter(this);
    setGeometry(host.rect());
    hide();
}

void ClipboardPreviewSheet::present(QWidget *content, QWidget *focus)
{
    dismiss();
    m_content = content;
    content->setParent(this);
    setGeometry(parentWidget()->rect());
    layoutContent();
    content->show();
    show();
    raise();
    (focus ? focus : content)->setFocus();
}

void ClipboardPreviewSheet::dismiss()
{
    if (QWidget *content = m_content.data()) {
        m_content.clear();
        content->hide();
        content->deleteLater();
    }
    hide();
    if (parentWidget())
        parentWidget()->setFocus();
}

QRect ClipboardPreviewSheet::cardRect() const
{
    if (!m_content)
        return {};
    const QSize room = size() - QSize(2 * margin, 2 * margin);
    const QSize wanted = m_content->sizeHint().expandedTo(m_content->minimumSize());
    const QSize card = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - card.width()) / 2, (height() - card.height()) / 2), card);
}

void ClipboardPreviewSheet::layoutContent()
{
    if (m_content) {
        m_content->setGeometry(cardRect());
        // Laid out now, so that its first paint already has its final sizes.
        if (QLayout *layout = m_content->layout())
            layout->activate();
    }
    update();
}

bool ClipboardPreviewSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void ClipboardPreviewSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutContent();
}

void ClipboardPreviewSheet::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The preview behind goes quiet; the card stands on it with a soft edge.
    painter.fillPath(CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_hostCornerRadius),
                     dark ? Palette::black(0.45) : Palette::black(0.22));
    const QRectF card = QRectF(cardRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (card.isEmpty())
        return;
    for (int i = 1; i <= 3; ++i)
        painter.fillPath(CornerPath::continuousRoundedRect(card.adjusted(-i, -i + 2, i, i + 2), cornerRadius + i),
                         Palette::black(0.06));
    const QPainterPath outline = CornerPath::continuousRoundedRect(card, cornerRadius);
    painter.fillPath(outline, dark ? QColor(38, 38, 41) : QColor(252, 252, 253));
    painter.setPen(QPen(dark ? Palette::white(0.14) : Palette::black(0.12), 1));
    painter.drawPath(outline);
}
