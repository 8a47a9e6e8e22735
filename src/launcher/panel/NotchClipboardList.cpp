#include "launcher/panel/NotchClipboardList.h"

#include "clipboard/ClipboardSearchIndex.h"
#include "launcher/panel/NotchClipboardListAccessible.h"
#include "platform/Clock.h"
#include "ui/FontTable.h"
#include "ui/NotchListTimestamp.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Points a wheel notch scrolls the list, and how far ahead a released drag is predicted to travel.
constexpr double pointsPerWheelNotch = 48;
constexpr double predictionSeconds = 0.25;

const ClipboardSearchPresentation *presentationOf(const NotchRowPaintContext &context, const ClipboardItem &item)
{
    if (!context.presentations)
        return nullptr;
    const auto found = context.presentations->constFind(item.id());
    return found == context.presentations->cend() ? nullptr : &*found;
}

} // namespace

NotchClipboardList::NotchClipboardList(const Platform &platform, std::function<NotchRowPaintContext()> context,
                                       Callbacks callbacks, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_context(std::move(context))
    , m_callbacks(std::move(callbacks))
    , m_ticker(*platform.clock, [this] { update(); })
{
    // Qt keeps one factory list for the process; this adds ours to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(NotchClipboardListAccessible::factory), true);
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    if (m_platform.eventMonitors) {
        QPointer<NotchClipboardList> self = this;
        m_scrollMonitor = m_platform.eventMonitors->addLocalScrollMonitor([self](const ScrollEvent &event) {
            if (self)
                self->handleScroll(event);
            // The list still scrolls: the event goes on.
            return EventDisposition::Pass;
        });
    }
}

NotchClipboardList::~NotchClipboardList()
{
    if (m_scrollMonitor && m_platform.eventMonitors)
        m_platform.eventMonitors->removeMonitor(*m_scrollMonitor);
    // A row sliding out still deletes its item.
    const auto rows = std::exchange(m_rows, {});
    for (const auto &row : rows)
        row->swipe().finishPendingDelete();
}

double NotchClipboardList::now() const
{
    return m_platform.clock->uptime();
}

void NotchClipboardList::expectRemoval(const QUuid &id)
{
    m_expectedRemoval = id;
}

void NotchClipboardList::setItems(const QList<ClipboardItem> &items)
{
    if (m_expectedRemoval && m_indexes.contains(*m_expectedRemoval)
        && std::none_of(items.begin(), items.end(), [&](const ClipboardItem &item) { return item.id() == *m_expectedRemoval; })) {
        const std::shared_ptr<NotchClipboardRow> row = m_rows.value(*m_expectedRemoval);
        m_leaving.reset();
        if (row) {
            m_leaving = Leaving{row, m_indexes.value(*m_expectedRemoval)};
            m_leave.setValue(1);
            m_leave.animateTo(0, Animation::easeOut(leaveDuration), now());
            m_ticker.requestFrame();
        }
        m_expectedRemoval.reset();
    }
    if (NotchClipboardListAccessible *accessible = NotchClipboardListAccessible::of(this))
        accessible->itemsReplacing(items);
    const QHash<QUuid, int> previous = std::exchange(m_indexes, {});
    m_items = items;
    m_indexes.reserve(items.size());
    for (int i = 0; i < items.size(); ++i)
        m_indexes.insert(items.at(i).id(), i);
    clampScroll();
    syncRows();
    updateHoveredRow(false);
    update();
    if (NotchClipboardListAccessible *accessible = NotchClipboardListAccessible::listening(this)) {
        QList<QUuid> arrived;
        for (const ClipboardItem &item : items) {
            if (!previous.contains(item.id()))
                arrived.append(item.id());
        }
        accessible->itemsReplaced(arrived);
    }
}

std::optional<int> NotchClipboardList::indexOf(const QUuid &id) const
{
    const auto found = m_indexes.constFind(id);
    if (found == m_indexes.cend())
        return std::nullopt;
    return *found;
}

QString NotchClipboardList::accessibleTitle(int index) const
{
    const ClipboardItem &item = m_items.at(index);
    const NotchRowPaintContext context = m_context();
    const QString shown = NotchClipboardRow::title(item, presentationOf(context, item));
    // The title of an item with nothing of its own to show.
    static const QString untitled = ClipboardItem().displayTitle();
    if (shown == untitled) {
        // Nothing to read but "Clipboard item": say what it is and how big.
        const qint64 bytes = item.type() == ClipboardItemType::image ? item.imageByteCount() : item.fileSize();
        const QString kind = ClipboardSearchIndex::typeLabel(item.type());
        return bytes > 0 ? kind + QStringLiteral(", ") + context.locale.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat)
                         : kind;
    }
    // A reader says every character: no line feeds at the end, and no page of text.
    QString name = shown.left(maximumAccessibleTitleLength + 1);
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    if (name.size() > maximumAccessibleTitleLength) {
        name.truncate(maximumAccessibleTitleLength);
        if (name.back().isHighSurrogate())
            name.chop(1);
        name.append(QChar(0x2026));
    }
    return name;
}

QString NotchClipboardList::accessibleDescription(int index) const
{
    const ClipboardItem &item = m_items.at(index);
    const NotchRowPaintContext context = m_context();
    return NotchClipboardRow::kindLabel(item, presentationOf(context, item)) + QStringLiteral(", copied ")
        + NotchListTimestamp::spoken(item.date(), context.locale, QDate::currentDate());
}

bool NotchClipboardList::activeItemHasReaderFocus() const
{
    return m_activeID && isActiveWindow() && !(m_callbacks.isTypingInSearch && m_callbacks.isTypingInSearch());
}

void NotchClipboardList::pressItem(int index)
{
    if (m_interactive && m_callbacks.onTap)
        m_callbacks.onTap(m_items.at(index));
}

void NotchClipboardList::deleteItem(int index)
{
    if (m_interactive && m_callbacks.onDelete)
        m_callbacks.onDelete(m_items.at(index));
}

void NotchClipboardList::setActiveItemID(std::optional<QUuid> id)
{
    if (id == m_activeID)
        return;
    const std::optional<QUuid> previous = std::exchange(m_activeID, id);
    syncRows();
    update();
    if (NotchClipboardListAccessible *accessible = NotchClipboardListAccessible::listening(this))
        accessible->activeItemChanged(previous);
}

void NotchClipboardList::setTutorialFirstRow(bool highlighted)
{
    if (highlighted == m_tutorialFirstRow)
        return;
    m_tutorialFirstRow = highlighted;
    syncRows();
    update();
}

void NotchClipboardList::setInteractive(bool interactive)
{
    m_interactive = interactive;
}

void NotchClipboardList::setReveal(double opacity, double scaleY)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    scaleY = std::clamp(scaleY, 0.0, 1.0);
    if (opacity == m_revealOpacity && scaleY == m_revealScaleY)
        return;
    m_revealOpacity = opacity;
    m_revealScaleY = scaleY;
    update();
}

double NotchClipboardList::maximumScrollOffset() const
{
    const double content = m_items.isEmpty() ? emptyStateHeight : m_items.size() * rowHeight;
    return std::max(content - height(), 0.0);
}

double NotchClipboardList::scrollOffset() const
{
    return m_scroll.value(now());
}

void NotchClipboardList::clampScroll()
{
    const double clamped = std::clamp(m_scroll.target(), 0.0, maximumScrollOffset());
    if (clamped != m_scroll.target())
        m_scroll.setValue(clamped);
}

void NotchClipboardList::scrollTo(double offset, bool animated)
{
    const double target = std::clamp(offset, 0.0, maximumScrollOffset());
    if (animated)
        m_scroll.animateTo(target, Animation::easeOut(0.12), now());
    else
        m_scroll.setValue(target);
    syncRows();
    updateHoveredRow(false);
    update();
}

void NotchClipboardList::scrollToItem(const QUuid &id)
{
    const auto it = m_indexes.constFind(id);
    if (it == m_indexes.constEnd())
        return;
    const double rowCentre = (*it + 0.5) * rowHeight;
    scrollTo(rowCentre - height() / 2.0, true);
}

std::pair<int, int> NotchClipboardList::visibleRange() const
{
    if (m_items.isEmpty() || height() <= 0)
        return {0, 0};
    // Both where the list is and where it is heading, so rows exist for the whole of a scroll animation.
    const double a = std::min(scrollOffset(), m_scroll.target());
    const double b = std::max(scrollOffset(), m_scroll.target()) + height();
    const int first = std::clamp(int(std::floor(a / rowHeight)), 0, int(m_items.size()));
    const int last = std::clamp(int(std::ceil(b / rowHeight)), first, int(m_items.size()));
    return {first, last};
}

double NotchClipboardList::leavingGap(int index) const
{
    if (!m_leaving || index < m_leaving->index)
        return 0;
    return m_leave.value(now()) * rowHeight;
}

QRectF NotchClipboardList::rowRect(int index) const
{
    return QRectF(0, index * rowHeight - scrollOffset() + leavingGap(index), width(), rowHeight);
}

std::optional<int> NotchClipboardList::indexAt(QPointF position) const
{
    if (m_items.isEmpty() || position.x() < 0 || position.x() >= width() || position.y() < 0 || position.y() >= height())
        return std::nullopt;
    double y = position.y() + scrollOffset();
    if (y < 0)
        return std::nullopt;
    if (m_leaving && y >= m_leaving->index * rowHeight) {
        // The space the leaving row still takes belongs to no item.
        const double gap = leavingGap(m_leaving->index);
        if (y < m_leaving->index * rowHeight + gap)
            return std::nullopt;
        y -= gap;
    }
    const int index = int(y / rowHeight);
    return index < m_items.size() ? std::optional<int>(index) : std::nullopt;
}

NotchClipboardRow *NotchClipboardList::row(const QUuid &id) const
{
    const auto it = m_rows.constFind(id);
    return it == m_rows.constEnd() ? nullptr : it->get();
}

std::unique_ptr<NotchClipboardRow> NotchClipboardList::makeRow(const ClipboardItem &item)
{
    QPointer<NotchClipboardList> self = this;
    const ClipboardItem swiped = item;
    // Deleting goes by the row's own item, so a list that changed under the gesture loses exactly this one.
    auto onDelete = [self, swiped] {
        if (self && self->m_callbacks.onDelete)
            self->m_callbacks.onDelete(swiped);
    };
    auto onChange = [self] {
        if (self) {
            self->update();
            self->m_ticker.requestFrame();
        }
    };
    return std::make_unique<NotchClipboardRow>(*m_platform.clock, item, onDelete, onChange);
}

void NotchClipboardList::syncRows()
{
    const auto [first, last] = visibleRange();
    QHash<QUuid, std::shared_ptr<NotchClipboardRow>> kept;
    kept.reserve(last - first);
    for (int i = first; i < last; ++i) {
        const ClipboardItem &item = m_items.at(i);
        std::shared_ptr<NotchClipboardRow> row = m_rows.take(item.id());
        if (!row)
            row = makeRow(item);
        else
            row->setItem(item);
        row->isActive = m_activeID && *m_activeID == item.id();
        row->isTutorialHighlighted = m_tutorialFirstRow && i == 0;
        row->showsBottomSeparator = i != m_items.size() - 1;
        kept.insert(item.id(), row);
    }
    // Rows that left the screen go; one that was sliding out still deletes its item.
    const auto gone = std::exchange(m_rows, kept);
    for (const auto &row : gone)
        row->swipe().finishPendingDelete();
}

void NotchClipboardList::updateHoveredRow(bool fromPointerMovement)
{
    std::optional<QUuid> under;
    if (m_pointer && m_interactive) {
        if (const std::optional<int> index = indexAt(*m_pointer))
            under = m_items.at(*index).id();
    }
    // The looks follow whatever lies under the pointer.
    if (under != m_hoveredID) {
        const std::optional<QUuid> previous = std::exchange(m_hoveredID, under);
        const bool reduceMotion = m_context ? m_context().palette.reduceMotion : false;
        if (previous) {
            if (NotchClipboardRow *old = row(*previous))
                old->setPointerHovering(false, now(), reduceMotion);
        }
        if (under) {
            if (NotchClipboardRow *current = row(*under))
                current->setPointerHovering(true, now(), reduceMotion);
        }
        m_ticker.requestFrame();
        update();
    }
    // Only a pointer that moved selects: rows scrolling under a resting pointer do not.
    if (!fromPointerMovement || under == m_announcedID)
        return;
    if (m_announcedID) {
        const ClipboardItem left = m_announcedItem;
        m_announcedID.reset();
        if (m_callbacks.onHover)
            m_callbacks.onHover(left, false);
    }
    if (under) {
        m_announcedID = under;
        m_announcedItem = m_items.at(m_indexes.value(*under));
        if (m_callbacks.onHover)
            m_callbacks.onHover(m_announcedItem, true);
    }
}

void NotchClipboardList::pointerMoved(QPointF position)
{
    if (m_pointer && *m_pointer == position)
        return;
    m_pointer = position;
    updateHoveredRow(true);
}

void NotchClipboardList::pointerLeft()
{
    m_pointer.reset();
    updateHoveredRow(true);
}

void NotchClipboardList::pointerPressed(QPointF position)
{
    m_pressedID.reset();
    m_dragging = false;
    if (!m_interactive)
        return;
    if (const std::optional<int> index = indexAt(position))
        m_pressedID = m_items.at(*index).id();
    m_pressPosition = position;
    m_lastDragPosition = position;
    m_lastDragTime = now();
    m_dragVelocity = QPointF();
}

void NotchClipboardList::pointerDragged(QPointF position)
{
    if (!m_pressedID)
        return;
    const QPointF translation = position - m_pressPosition;
    if (!m_dragging && std::hypot(translation.x(), translation.y()) < dragMinimumDistance)
        return;
    m_dragging = true;
    const double t = now();
    if (t > m_lastDragTime)
        m_dragVelocity = (position - m_lastDragPosition) / (t - m_lastDragTime);
    m_lastDragPosition = position;
    m_lastDragTime = t;
    if (NotchClipboardRow *pressed = row(*m_pressedID))
        pressed->swipe().handleDragChanged(translation);
}

void NotchClipboardList::pointerReleased(QPointF position)
{
    const std::optional<QUuid> pressed = std::exchange(m_pressedID, std::nullopt);
    const bool dragged = std::exchange(m_dragging, false);
    if (!pressed)
        return;
    NotchClipboardRow *target = row(*pressed);
    if (!target)
        return;
    if (dragged) {
        const QPointF translation = position - m_pressPosition;
        target->swipe().handleDragEnded(translation, translation + m_dragVelocity * predictionSeconds);
        return;
    }
    // A click on the row it was pressed on pastes, unless a swipe just ended there.
    const std::optional<int> index = indexAt(position);
    if (!index || m_items.at(*index).id() != *pressed || target->swipe().suppressesTap())
        return;
    const ClipboardItem item = target->item();
    if (m_callbacks.onTap)
        m_callbacks.onTap(item);
}

void NotchClipboardList::wheelScrolled(double deltaY)
{
    scrollTo(m_scroll.target() - deltaY, false);
}

void NotchClipboardList::handleScroll(const ScrollEvent &event)
{
    if (!m_interactive || !m_pointer || !isVisible())
        return;
    const std::optional<int> index = indexAt(*m_pointer);
    if (!index)
        return;
    if (NotchClipboardRow *target = row(m_items.at(*index).id()))
        target->swipe().handleTrackpadScroll(event);
}

void NotchClipboardList::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    clampScroll();
    syncRows();
}

void NotchClipboardList::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        pointerDragged(event->position());
    pointerMoved(event->position());
}

void NotchClipboardList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pointerPressed(event->position());
}

void NotchClipboardList::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pointerReleased(event->position());
}

void NotchClipboardList::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    pointerLeft();
}

void NotchClipboardList::wheelEvent(QWheelEvent *event)
{
    // Horizontal scrolling swipes rows (through the monitor); vertical scrolling moves the list.
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    const double dy = !pixels.isNull() ? pixels.y() : angle.y() / 120.0 * pointsPerWheelNotch;
    const double dx = !pixels.isNull() ? pixels.x() : angle.x() / 120.0 * pointsPerWheelNotch;
    if (std::abs(dy) >= std::abs(dx) && dy != 0)
        wheelScrolled(dy);
    event->accept();
}

void NotchClipboardList::contextMenuEvent(QContextMenuEvent *event)
{
    const std::optional<int> index = indexAt(event->pos());
    if (!index || !m_callbacks.onContextMenu || !m_interactive)
        return;
    const ClipboardItem item = m_items.at(*index);
    QPointer<NotchClipboardList> self = this;
    m_callbacks.onContextMenu(
        event->globalPos(),
        [self, item] {
            if (self && self->m_callbacks.onSelect)
                self->m_callbacks.onSelect(item);
        },
        [self, item] {
            if (self && self->m_callbacks.onPreview)
                self->m_callbacks.onPreview(item);
        });
}

void NotchClipboardList::setClipShape(const QPainterPath &shape)
{
    if (shape == m_clipShape)
        return;
    m_clipShape = shape;
    update();
}

void NotchClipboardList::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_clipShape.isEmpty())
        painter.setClipPath(m_clipShape);
    if (m_revealOpacity < 1)
        painter.setOpacity(m_revealOpacity);
    if (m_revealScaleY != 1)
        painter.scale(1, m_revealScaleY); // about the top edge
    NotchRowPaintContext context = m_context ? m_context() : NotchRowPaintContext{};
    context.now = now();
    if (m_items.isEmpty()) {
        painter.setFont(FontTable::systemFont(12, QFont::Medium));
        painter.setPen(context.palette.secondary());
        painter.drawText(QRectF(0, 0, width(), emptyStateHeight), Qt::AlignCenter, emptyText);
        return;
    }
    syncRows();
    const auto [first, last] = visibleRange();
    bool animating = m_scroll.isAnimating(context.now);
    if (m_leaving && !m_leave.isAnimating(context.now))
        m_leaving.reset();
    if (m_leaving) {
        animating = true;
        const double open = m_leave.value(context.now);
        const QRectF slot(0, m_leaving->index * rowHeight - scrollOffset(), width(), rowHeight);
        painter.save();
        painter.setOpacity(painter.opacity() * open);
        m_leaving->row->paint(painter, slot, context);
        painter.restore();
    }
    for (int i = first; i < last; ++i) {
        const QRectF rect = rowRect(i);
        if (rect.bottom() < 0 || rect.top() > height())
            continue;
        NotchClipboardRow *current = row(m_items.at(i).id());
        if (!current)
            continue;
        current->paint(painter, rect, context);
        animating = animating || current->isAnimating(context.now);
    }
    // The scroll indicator, while there is more than fits.
    const double maximum = maximumScrollOffset();
    if (maximum > 0) {
        const double track = height() - 2 * indicatorEndMargin;
        const double knob = std::max(track * height() / (height() + maximum), 24.0);
        const double y = indicatorEndMargin + (track - knob) * std::clamp(scrollOffset() / maximum, 0.0, 1.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::withOpacity(context.palette.secondary(), 0.7));
        painter.drawRoundedRect(QRectF(width() - indicatorMargin - 1.5, y, 3, knob), 1.5, 1.5);
    }
    if (animating)
        m_ticker.requestFrame();
}
