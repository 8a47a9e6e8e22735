#include "launcher/panel/NotchLauncherView.h"

#include "launcher/panel/NotchLauncherViewModel.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

NotchLauncherView::NotchLauncherView(NotchLauncherViewModel &model, Callbacks callbacks, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_callbacks(std::move(callbacks))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_model, &NotchLauncherViewModel::changed, this, &NotchLauncherView::modelChanged);
}

NotchChromeShape NotchLauncherView::chromeShape() const
{
    const bool floating = m_model.isFloatingWindow();
    const bool expanded = m_model.isExpanded();
    const bool notch = m_model.hasRealNotch();
    const double bar = m_model.realNotchBarHeight();
    NotchChromeShape shape;
    shape.isFloatingWindow = floating;
    shape.bottomCornerRadius = floating || expanded ? 20.0
        : notch                                     ? m_model.realNotchBottomCornerRadius()
                                                    : std::max(bar * 0.34, 1.0);
    shape.shoulderDepth = floating ? 0.0 : expanded ? 21.344 : notch ? 0.0 : std::max(bar * 0.23, 1.0);
    shape.shoulderCurveFactor = expanded ? 0.06 : 0.1;
    return shape;
}

double NotchLauncherView::topInset() const
{
    if (m_model.isFloatingWindow())
        return 0;
    const bool notch = m_model.hasRealNotch();
    const double headerBar = notch ? std::max(m_model.realNotchBarHeight(), 30.0) : 30.0;
    if (m_model.isExpanded())
        return headerBar + (notch ? 0 : 8);
    const double band = notch ? m_model.realNotchBarHeight() : std::clamp(height() - 4.0, 20.0, 30.0);
    return band + (notch ? 0 : 2);
}

bool NotchLauncherView::showsList() const
{
    return m_model.isExpanded() && m_model.isListContentVisible()
        && m_model.displayedList() == NotchLauncherListKind::clipboard;
}

void NotchLauncherView::setClipboardItems(const QList<ClipboardItem> &items)
{
    m_items = items;
    m_hoveredRow.reset();
    if (m_model.visibleClipboardItemCount() != int(items.size())) {
        m_model.setVisibleClipboardItemCount(int(items.size()));
        if (m_callbacks.onContentLayoutChanged)
            m_callbacks.onContentLayoutChanged();
    }
    update();
}

void NotchLauncherView::modelChanged()
{
    const QPainterPath path = chromePath();
    if (path != m_lastPath) {
        m_lastPath = path;
        Q_EMIT chromeShapeChanged(path);
    }
    update();
}

void NotchLauncherView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    modelChanged();
}

std::optional<int> NotchLauncherView::rowAt(QPointF position) const
{
    if (!showsList())
        return std::nullopt;
    const double y = position.y() - topInset() - listTopInset;
    if (y < 0)
        return std::nullopt;
    const int row = int(y / rowHeight);
    return row < m_items.size() ? std::optional<int>(row) : std::nullopt;
}

void NotchLauncherView::pointerEntered()
{
    if (m_model.demoClipboardItems() || m_pointerInside)
        return;
    m_pointerInside = true;
    if (m_callbacks.onHoverChanged)
        m_callbacks.onHoverChanged(true);
}

void NotchLauncherView::pointerExited()
{
    if (!m_pointerInside)
        return;
    m_pointerInside = false;
    m_hoveredRow.reset();
    update();
    if (m_callbacks.onHoverChanged)
        m_callbacks.onHoverChanged(false);
}

void NotchLauncherView::pointerMoved(QPointF position)
{
    if (m_model.demoClipboardItems())
        return;
    const std::optional<int> row = rowAt(position);
    if (row == m_hoveredRow)
        return;
    m_hoveredRow = row;
    update();
    if (!row)
        return;
    // Hovering a row selects it and hands the keyboard back to the list.
    m_model.setSelectedClipboardItemID(m_items.at(*row).id());
    m_model.setHighlightedClipboardItemID(std::nullopt);
    if (m_callbacks.onClipboardListFocus)
        m_callbacks.onClipboardListFocus();
}

void NotchLauncherView::pointerClicked(QPointF position)
{
    if (m_model.demoClipboardItems())
        return;
    if (!m_model.isExpanded()) {
        if (m_expandOnHover == false && m_callbacks.onCollapsedTap)
            m_callbacks.onCollapsedTap();
        return;
    }
    if (const std::optional<int> row = rowAt(position); row && m_callbacks.onClipboardItemSelect)
        m_callbacks.onClipboardItemSelect(m_items.at(*row));
}

void NotchLauncherView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    pointerEntered();
}

void NotchLauncherView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    pointerExited();
}

void NotchLauncherView::mouseMoveEvent(QMouseEvent *event)
{
    pointerMoved(event->position());
}

void NotchLauncherView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pointerClicked(event->position());
}

void NotchLauncherView::paintEvent(QPaintEvent *)
{
    // The collapsed floating window is not drawn at all.
    if (m_model.isFloatingWindow() && !m_model.isExpanded())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = chromePath();
    painter.setClipPath(path);
    painter.fillPath(path, m_model.isFloatingWindow() ? QColor(28, 28, 30) : QColor(Qt::black));
    if (!showsList())
        return;

    const NotchChromeShape shape = chromeShape();
    const double inner = std::max(width() - 2 * shape.shoulderDepth, 1.0);
    const double left = shape.shoulderDepth + 16;
    const double rowWidth = inner - 32;
    double y = topInset() + listTopInset;
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    painter.setFont(font);
    const std::optional<QUuid> active = m_model.highlightedClipboardItemID() ? m_model.highlightedClipboardItemID()
                                                                              : m_model.selectedClipboardItemID();
    for (const ClipboardItem &item : std::as_const(m_items)) {
        if (y >= height())
            break;
        const QRectF row(left, y, rowWidth, rowHeight);
        if (active && *active == item.id()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(255, 255, 255, 30));
            painter.drawRoundedRect(row.adjusted(-6, 4, 6, -4), 10, 10);
        }
        painter.setPen(QColor(245, 245, 247));
        const QString title = painter.fontMetrics().elidedText(item.displayTitle(), Qt::ElideRight, int(rowWidth));
        painter.drawText(row, Qt::AlignVCenter | Qt::AlignLeft, title);
        y += rowHeight;
    }
}
