#include "launcher/panel/NotchFilterBar.h"

#include "launcher/panel/NotchFilterDropHandler.h"
#include "launcher/panel/NotchLauncherViewModel.h"
#include "model/FilterManager.h"
#include "platform/Clock.h"
#include "preview/FilterPill.h"
#include "ui/ListSeparator.h"
#include "ui/FrameTicker.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

const char *const filterIDProperty = "tavlenFilterID";

QUuid filterIDOf(const QObject *pill)
{
    return pill->property(filterIDProperty).toUuid();
}

} // namespace

NotchFilterBar::NotchFilterBar(NotchLauncherViewModel &model, FilterManager &filters, std::function<Palette()> palette,
                               Clock &clock, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_filters(&filters)
    , m_palette(std::move(palette))
    , m_clock(clock)
{
    m_ticker = new FrameTicker(clock, [this] { placePills(); }, this);
    runDrag = [this](const QString &text) { runQDrag(text); };
    setFixedHeight(barHeight);
    setAttribute(Qt::WA_TranslucentBackground);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_row = new QWidget;
    m_row->setAutoFillBackground(false);
    m_scroll->setWidget(m_row);
    // The bar is drawn over the panel's own background.
    for (QWidget *layer : {static_cast<QWidget *>(m_scroll), m_scroll->viewport(), m_row}) {
        QPalette clear = layer->palette();
        clear.setColor(QPalette::Window, Qt::transparent);
        clear.setColor(QPalette::Base, Qt::transparent);
        layer->setPalette(clear);
    }

    // Pills that run past an edge fade out there, so the row reads as going on; a mouse wheel turned either
    // way runs it sideways.
    m_edgeFade = new QGraphicsOpacityEffect(m_scroll);
    m_edgeFade->setOpacity(1);
    m_scroll->setGraphicsEffect(m_edgeFade);
    m_scroll->viewport()->installEventFilter(this);
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, &NotchFilterBar::updateEdgeFade);
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::rangeChanged, this, &NotchFilterBar::updateEdgeFade);

    m_allPill = new FilterPill(QStringLiteral("All"), QString(), m_symbols, m_palette, m_row);
    m_allPill->setEmphasized(true);
    m_allPill->action = [this] { m_model.setSelectedClipboardFilterID(std::nullopt); };

    connect(&filters, &FilterManager::filtersChanged, this, &NotchFilterBar::rebuild);
    connect(&m_model, &NotchLauncherViewModel::selectedClipboardFilterIDChanged, this, &NotchFilterBar::updateSelection);
    rebuild();
}

NotchFilterBar::~NotchFilterBar() = default;

QList<FilterPill *> NotchFilterBar::pills() const
{
    QList<FilterPill *> pills{m_allPill};
    for (const QUuid &id : m_order)
        pills.append(m_pills.value(id));
    return pills;
}

FilterPill *NotchFilterBar::pill(const QUuid &filterID) const
{
    return m_pills.value(filterID);
}

QSize NotchFilterBar::sizeHint() const
{
    return QSize(m_row->width(), barHeight);
}

int NotchFilterBar::scrollOffset() const
{
    return m_scroll->horizontalScrollBar()->value();
}

void NotchFilterBar::selectClipboardFilter(const ClipboardFilter &filter)
{
    m_model.setSelectedClipboardFilterID(filter.id);
}

std::optional<ClipboardFilter> NotchFilterBar::enabledFilter(const QUuid &id) const
{
    if (!m_filters)
        return std::nullopt;
    const std::optional<ClipboardFilter> filter = m_filters->filter(id);
    if (!filter || !filter->isEnabled)
        return std::nullopt;
    return filter;
}

FilterPill *NotchFilterBar::makePill(const ClipboardFilter &filter)
{
    auto *pill = new FilterPill(filter.name, filter.options.iconName, m_symbols, m_palette, m_row);
    pill->setProperty(filterIDProperty, filter.id);
    pill->setAcceptDrops(true);
    pill->installEventFilter(this);
    const QUuid id = filter.id;
    pill->action = [this, id] {
        // The filter as it is now, not as it was when the pill was made.
        if (const std::optional<ClipboardFilter> current = enabledFilter(id))
            selectClipboardFilter(*current);
    };
    pill->show();
    return pill;
}

void NotchFilterBar::rebuild()
{
    const QList<ClipboardFilter> enabled = m_filters ? m_filters->enabledFilters() : QList<ClipboardFilter>();
    QList<QUuid> order;
    QHash<QUuid, FilterPill *> pills;
    for (const ClipboardFilter &filter : enabled) {
        // Pills are kept across changes, so a pill under a running drag is never destroyed by a reorder.
        FilterPill *pill = m_pills.take(filter.id);
        if (!pill)
            pill = makePill(filter);
        pill->setTitle(filter.name);
        pill->setSystemImage(filter.options.iconName);
        order.append(filter.id);
        pills.insert(filter.id, pill);
    }
    for (FilterPill *gone : std::as_const(m_pills)) {
        m_motion.remove(gone);
        gone->hide();
        gone->deleteLater();
    }
    m_pills = pills;
    m_order = order;
    // A chosen filter that was turned off or removed would narrow the list with no pill showing it.
    if (const std::optional<QUuid> selected = m_model.selectedClipboardFilterID(); selected && !m_pills.contains(*selected))
        m_model.setSelectedClipboardFilterID(std::nullopt);
    layoutPills();
    updateSelection();
}

double NotchFilterBar::now() const
{
    return m_clock.uptime();
}

Animation NotchFilterBar::animation(const Animation &wanted) const
{
    const bool reduceMotion = m_palette && m_palette().reduceMotion;
    return reduceMotion ? Animation::none() : wanted;
}

void NotchFilterBar::updateSelection()
{
    const std::optional<QUuid> selected = m_model.selectedClipboardFilterID();
    m_allPill->setSelected(!selected);
    for (auto it = m_pills.cbegin(); it != m_pills.cend(); ++it) {
        it.value()->setSelected(selected && *selected == it.key());
        const bool dragged = m_draggingFilter && m_draggingFilter->id == it.key();
        m_motion[it.value()].dragged.animateTo(dragged ? 1 : 0, animation(draggedLookAnimation()), now());
        // The dragged pill passes over its neighbours as they glide.
        if (dragged)
            it.value()->raise();
    }
    placePills();
    // A filter chosen from the keyboard may sit past the edge: bring its pill into view.
    if (FilterPill *chosen = selected ? m_pills.value(*selected) : m_allPill; chosen && !isScrolledToShow(chosen))
        m_scroll->ensureWidgetVisible(chosen, edgeFadeWidth, 0);
}

QList<double> NotchFilterBar::targetPositions() const
{
    QList<double> positions;
    double x = horizontalPadding;
    for (FilterPill *pill : pills()) {
        positions.append(x);
        x += pill->sizeHint().width() + pillSpacing;
    }
    return positions;
}

void NotchFilterBar::layoutPills()
{
    const QList<FilterPill *> all = pills();
    const QList<double> positions = targetPositions();
    const Animation glide = animation(m_isDragMoving ? dragMoveAnimation() : listAnimation());
    for (qsizetype i = 0; i < all.size(); ++i) {
        FilterPill *pill = all.at(i);
        auto motion = m_motion.find(pill);
        if (motion == m_motion.end()) {
            // A new pill appears in its place; only pills already shown glide.
            motion = m_motion.insert(pill, PillMotion{AnimatedValue(positions.at(i)), AnimatedValue(0)});
        } else {
            motion->x.animateTo(positions.at(i), glide, now());
        }
    }
    const double width = all.isEmpty() ? 0 : positions.last() + all.last()->sizeHint().width() + horizontalPadding;
    m_row->resize(int(std::ceil(width)), barHeight);
    updateGeometry();
    placePills();
}

void NotchFilterBar::placePills()
{
    const double t = now();
    bool moving = false;
    for (auto it = m_motion.begin(); it != m_motion.end(); ++it) {
        FilterPill *pill = it.key();
        const QSize size = pill->sizeHint();
        pill->setGeometry(int(std::lround(it->x.value(t))), verticalPadding, size.width(), FilterPill::pillHeight);
        pill->setDraggedAmount(it->dragged.value(t));
        moving = moving || it->x.isAnimating(t) || it->dragged.isAnimating(t);
    }
    if (moving)
        m_ticker->requestFrame();
}

void NotchFilterBar::dragPill(const QUuid &filterID)
{
    const std::optional<ClipboardFilter> filter = enabledFilter(filterID);
    if (!filter)
        return;
    m_draggingFilter = filter;
    updateSelection();
    QPointer<NotchFilterBar> self(this);
    if (runDrag)
        runDrag(filterID.toString(QUuid::WithoutBraces).toUpper());
    if (!self)
        return;
    // However it ended (dropped on a pill, elsewhere, refused or cancelled), the drag is over.
    m_draggingFilter.reset();
    updateSelection();
}

void NotchFilterBar::runQDrag(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    QDrag drag(m_row);
    drag.setMimeData(mime);
    // No drag image: the dimmed pill itself marks the drag.
    QPixmap clear(1, 1);
    clear.fill(Qt::transparent);
    drag.setPixmap(clear);
    drag.exec(Qt::MoveAction);
}

bool NotchFilterBar::dragEnteredPill(const QUuid &filterID, double x)
{
    const std::optional<ClipboardFilter> target = m_filters ? m_filters->filter(filterID) : std::nullopt;
    if (!target || !m_filters)
        return false;
    NotchFilterDropHandler handler(*target, *m_filters, m_draggingFilter);
    m_isDragMoving = true;
    handler.dropEntered(x);
    m_isDragMoving = false;
    return handler.validateDrop();
}

bool NotchFilterBar::dragMovedOverPill(const QUuid &filterID)
{
    const std::optional<ClipboardFilter> target = m_filters ? m_filters->filter(filterID) : std::nullopt;
    if (!target || !m_filters)
        return false;
    return NotchFilterDropHandler(*target, *m_filters, m_draggingFilter).dropUpdated() == DropOperation::move;
}

bool NotchFilterBar::droppedOnPill(const QUuid &filterID)
{
    const std::optional<ClipboardFilter> target = m_filters ? m_filters->filter(filterID) : std::nullopt;
    if (!target || !m_filters) {
        m_draggingFilter.reset();
        updateSelection();
        return false;
    }
    const bool accepted = NotchFilterDropHandler(*target, *m_filters, m_draggingFilter).performDrop();
    updateSelection();
    return accepted;
}

void NotchFilterBar::updateEdgeFade()
{
    const QScrollBar *bar = m_scroll->horizontalScrollBar();
    const bool before = bar->value() > bar->minimum();
    const bool after = bar->value() < bar->maximum();
    m_edgeFade->setEnabled(before || after);
    if (!before && !after)
        return;
    const double width = std::max(m_scroll->width(), 1);
    const double fade = std::min(edgeFadeWidth / width, 0.5);
    QLinearGradient mask(0, 0, width, 0);
    mask.setColorAt(0, before ? Qt::transparent : Qt::black);
    mask.setColorAt(fade, Qt::black);
    mask.setColorAt(1 - fade, Qt::black);
    mask.setColorAt(1, after ? Qt::transparent : Qt::black);
    m_edgeFade->setOpacityMask(mask);
}

bool NotchFilterBar::isScrolledToShow(const FilterPill *pill) const
{
    const QRect shown(QPoint(m_scroll->horizontalScrollBar()->value(), 0), m_scroll->viewport()->size());
    return shown.contains(pill->geometry());
}

void NotchFilterBar::scrollSideways(const QWheelEvent &wheel)
{
    const QPoint pixels = wheel.pixelDelta();
    const QPoint angle = wheel.angleDelta();
    const int delta = !pixels.isNull() ? (pixels.x() != 0 ? pixels.x() : pixels.y())
                                       : (angle.x() != 0 ? angle.x() : angle.y()) * wheelStep / 120;
    QScrollBar *bar = m_scroll->horizontalScrollBar();
    bar->setValue(bar->value() - delta);
}

bool NotchFilterBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        scrollSideways(*static_cast<QWheelEvent *>(event));
        return true;
    }
    auto *pill = qobject_cast<FilterPill *>(watched);
    if (!pill || pill == m_allPill)
        return QWidget::eventFilter(watched, event);
    const QUuid id = filterIDOf(pill);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            m_pressPosition = mouse->position().toPoint();
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_pressPosition && (mouse->buttons() & Qt::LeftButton)
            && (mouse->position().toPoint() - *m_pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
            m_pressPosition.reset();
            pill->setDown(false);
            dragPill(id);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_pressPosition.reset();
        break;
    case QEvent::DragEnter: {
        auto *drag = static_cast<QDragEnterEvent *>(event);
        if (dragEnteredPill(id, drag->position().x())) {
            drag->setDropAction(Qt::MoveAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (dragMovedOverPill(id)) {
            drag->setDropAction(Qt::MoveAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (droppedOnPill(id)) {
            drop->setDropAction(Qt::MoveAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void NotchFilterBar::paintEvent(QPaintEvent *)
{
    // The hairline under the bar.
    QPainter painter(this);
    ListSeparator{0, 1}.paint(painter, QRectF(rect()), m_palette ? m_palette() : Palette());
}

void NotchFilterBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scroll->setGeometry(rect());
    updateEdgeFade();
}
