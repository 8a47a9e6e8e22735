#include "fields/views/NotchAIContentView.h"

#include "fields/views/NotchAIContentViewAccessible.h"

#include "platform/Clock.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/NotchListSectionHeader.h"
#include "ui/SymbolTable.h"
#include "ui/TutorialOutline.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double rowHeight = NotchSuggestionRow::height;
constexpr double headerHeight = NotchListSectionHeader::height;
constexpr double manualPadding = 12;
constexpr double manualSpacing = 8;
constexpr double manualIconSize = 11;
constexpr double manualButtonSize = 17;
constexpr double pointsPerWheelNotch = 48;
const QString manualSymbol = QStringLiteral("text.cursor");
const QString manualButtonSymbol = QStringLiteral("arrow.right.circle.fill");

QList<QUuid> idsOf(const QList<FocusedFieldSuggestion> &suggestions)
{
    QList<QUuid> ids;
    ids.reserve(suggestions.size());
    for (const FocusedFieldSuggestion &s : suggestions)
        ids.append(s.id);
    return ids;
}

} // namespace

// --- The rules of the pane ---

bool NotchAIContentView::isSearching(const Inputs &inputs)
{
    return isSuggestionSearch(inputs.searchQuery);
}

QList<FocusedFieldSuggestion> NotchAIContentView::visibleSuggestions(const Inputs &inputs)
{
    if (isSearching(inputs))
        return filterFocusedFieldSuggestions(inputs.context, inputs.searchQuery);
    return inputs.context.historySuggestions + inputs.context.randomSuggestions;
}

std::optional<QUuid> NotchAIContentView::validSelection(const Inputs &inputs)
{
    const QList<FocusedFieldSuggestion> visible = visibleSuggestions(inputs);
    const std::optional<QUuid> &selected = inputs.selectedSuggestionID;
    if (selected
        && std::any_of(visible.cbegin(), visible.cend(), [&](const FocusedFieldSuggestion &s) { return s.id == *selected; }))
        return selected;
    if (visible.isEmpty())
        return std::nullopt;
    return visible.first().id;
}

std::optional<FocusedFieldSuggestion> NotchAIContentView::manualSuggestion(const QString &manualValue)
{
    const QString value = manualValue.trimmed();
    if (value.isEmpty())
        return std::nullopt;
    FocusedFieldSuggestion suggestion;
    suggestion.title = enteredValueTitle;
    suggestion.value = value;
    suggestion.systemImage = manualSymbol;
    return suggestion;
}

NotchAIContentView::Content NotchAIContentView::content(const Inputs &inputs)
{
    Content out;
    const QList<FocusedFieldSuggestion> visible = visibleSuggestions(inputs);
    const bool tutorialRow = inputs.tutorialHighlights.contains(NotchDemoHighlight::suggestion);
    double y = 0;
    auto add = [&](Item item) {
        item.top = y;
        y += item.height;
        out.items.append(std::move(item));
    };
    auto addMessage = [&](const QString &text) {
        Item item;
        item.kind = Item::Kind::message;
        item.height = messageHeight;
        item.text = text;
        add(item);
    };
    auto addManual = [&](bool focuses) {
        Item item;
        item.kind = Item::Kind::manualEntry;
        item.height = rowHeight;
        item.focusesOnAppear = focuses;
        add(item);
    };
    auto addHeader = [&](const QString &title, double padding) {
        Item item;
        item.kind = Item::Kind::sectionHeader;
        item.height = headerHeight;
        item.text = title;
        item.horizontalPadding = padding;
        add(item);
    };
    auto addRow = [&](const FocusedFieldSuggestion &suggestion) {
        Item item;
        item.kind = Item::Kind::suggestion;
        item.height = rowHeight;
        item.suggestion = suggestion;
        item.showsBottomSeparator = visible.isEmpty() || visible.last().id != suggestion.id;
        item.isTutorialHighlighted = tutorialRow && !visible.isEmpty() && visible.first().id == suggestion.id;
        add(item);
    };

    if (isSearching(inputs)) {
        if (visible.isEmpty()) {
            addMessage(noMatchText);
        } else {
            // The results keep the wider padding in the compact window too.
            addHeader(searchResultsTitle, headerPadding);
            for (const FocusedFieldSuggestion &s : visible)
                addRow(s);
        }
        out.height = y;
        return out;
    }
    if (visible.isEmpty()) {
        if (inputs.isCompact)
            addMessage(noHistoryText);
        else
            addManual(true);
        out.height = y;
        return out;
    }

    const QList<FocusedFieldSuggestion> &history = inputs.context.historySuggestions;
    const QList<FocusedFieldSuggestion> &random = inputs.context.randomSuggestions;
    const double padding = inputs.isCompact ? compactHeaderPadding : headerPadding;
    if (history.isEmpty() && !inputs.isCompact)
        addManual(false);
    auto addSection = [&](const QString &title, NotchDemoHighlight key, const QList<FocusedFieldSuggestion> &rows,
                          bool isLast) {
        Section section;
        section.title = title;
        section.tutorialKey = key;
        section.top = y;
        addHeader(title, padding);
        for (const FocusedFieldSuggestion &s : rows)
            addRow(s);
        section.height = y - section.top;
        section.bottomCornerRadius = isLast ? lastSectionCornerRadius : 0;
        out.sections.append(section);
    };
    if (!history.isEmpty())
        addSection(latestTitle, NotchDemoHighlight::latestSection, history.mid(0, 1),
                   random.isEmpty() && history.size() == 1);
    if (history.size() > 1)
        addSection(mostUsedTitle, NotchDemoHighlight::mostUsedSection, history.mid(1), random.isEmpty());
    if (!random.isEmpty())
        addSection(randomTitle, NotchDemoHighlight::random, random, true);
    out.height = y;
    return out;
}

// --- The widget ---

NotchAIContentView::NotchAIContentView(const Platform &platform, const SymbolTable &symbols,
                                       std::function<Palette()> palette, Inputs inputs, Callbacks callbacks,
                                       QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
    , m_inputs(std::move(inputs))
    , m_callbacks(std::move(callbacks))
    , m_ticker(*platform.clock, [this] { update(); })
{
    // Qt keeps one factory list for the process; this adds the pane's painted parts to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(NotchAIContentViewAccessible::factory), true);
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);

    m_manualField = new QLineEdit(this);
    m_manualField->setFrame(false);
    m_manualField->setFocusPolicy(Qt::ClickFocus); // the focusing row takes the keyboard itself
    m_manualField->setFont(FontTable::systemFont(12, QFont::Medium));
    m_manualField->setPlaceholderText(manualPrompt);
    m_manualField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    connect(m_manualField, &QLineEdit::textChanged, this, [this] { updateManualButton(); });
    connect(m_manualField, &QLineEdit::returnPressed, this, [this] { submitManualValue(); });

    m_manualButton = new QToolButton(this);
    m_manualButton->setAutoRaise(true);
    m_manualButton->setFocusPolicy(Qt::NoFocus);
    m_manualButton->setCursor(Qt::PointingHandCursor);
    m_manualButton->setToolTip(manualButtonHelp);
    m_manualButton->setAccessibleName(manualButtonLabel);
    m_manualButton->setStyleSheet(QStringLiteral("QToolButton { background: transparent; border: none; padding: 0; }"));
    m_manualButton->setIconSize(QSize(int(manualButtonSize), int(manualButtonSize)));
    connect(m_manualButton, &QToolButton::clicked, this, [this] { submitManualValue(); });

    m_manualField->hide();
    m_manualButton->hide();
    rebuild();
    m_visibleIDs = idsOf(visibleSuggestions(m_inputs));
}

NotchAIContentView::~NotchAIContentView() = default;

void NotchAIContentView::setClipShape(const QPainterPath &shape)
{
    if (shape == m_clipShape)
        return;
    m_clipShape = shape;
    update();
}

double NotchAIContentView::now() const
{
    return m_platform.clock->uptime();
}

void NotchAIContentView::setInputs(const Inputs &inputs)
{
    const Inputs previous = m_inputs;
    m_inputs = inputs;
    if (m_applyingInputs) {
        // Written back by the launcher while a change handler runs: the running handlers see it.
        rebuild();
        return;
    }
    m_applyingInputs = true;
    rebuild();
    // The change handlers, in the order the pane declares them; a handler's own writes are seen by the
    // ones after it.
    if (inputs.listKind != previous.listKind) {
        setManualValue(QString());
        writeSearchQuery(QString());
        ensureValidSelection();
    }
    if (m_inputs.searchQuery != previous.searchQuery) {
        ensureValidSelection();
        if (m_callbacks.onContentLayoutChanged)
            m_callbacks.onContentLayoutChanged();
    }
    const QList<QUuid> ids = idsOf(visibleSuggestions(m_inputs));
    if (ids != m_visibleIDs) {
        m_visibleIDs = ids;
        ensureValidSelection();
    }
    m_applyingInputs = false;
    rebuild();
    announceSelection();
}

void NotchAIContentView::writeSelection(const std::optional<QUuid> &id)
{
    if (m_inputs.selectedSuggestionID == id)
        return;
    m_inputs.selectedSuggestionID = id;
    if (m_callbacks.onSelectedSuggestionIDChange)
        m_callbacks.onSelectedSuggestionIDChange(id);
    update();
    announceSelection();
}

void NotchAIContentView::announceSelection()
{
    const std::optional<QUuid> previous = std::exchange(m_announcedSelection, m_inputs.selectedSuggestionID);
    if (previous != m_announcedSelection && QAccessible::isActive())
        NotchAIContentViewAccessible::of(this)->selectionChanged(previous);
}

void NotchAIContentView::writeSearchQuery(const QString &query)
{
    if (m_inputs.searchQuery == query)
        return;
    m_inputs.searchQuery = query;
    if (m_callbacks.onSearchQueryChange)
        m_callbacks.onSearchQueryChange(query);
    rebuild();
}

void NotchAIContentView::ensureValidSelection()
{
    writeSelection(validSelection(m_inputs));
}

void NotchAIContentView::rebuild()
{
    Content next = content(m_inputs);
    NotchAIContentViewAccessible::of(this)->contentReplacing(next);
    m_content = std::move(next);
    // Rows keep their hover state and animations across rebuilds, by suggestion id.
    QHash<QUuid, NotchSuggestionRow> rows;
    QPointer<NotchAIContentView> self = this;
    Binding<std::optional<QUuid>> selection{
        [self] { return self ? self->m_inputs.selectedSuggestionID : std::nullopt; },
        [self](const std::optional<QUuid> &id) {
            if (self)
                self->writeSelection(id);
        }};
    for (const Item &item : std::as_const(m_content.items)) {
        if (item.kind != Item::Kind::suggestion)
            continue;
        NotchSuggestionRow row = m_rows.value(item.suggestion.id);
        row.suggestion = item.suggestion;
        row.showsDetails = m_inputs.listKind == NotchLauncherListKind::recent;
        row.isTutorialHighlighted = item.isTutorialHighlighted;
        row.showsBottomSeparator = item.showsBottomSeparator;
        row.onSelect = [self](const FocusedFieldSuggestion &suggestion) {
            if (self && self->m_callbacks.onSuggestionSelect)
                self->m_callbacks.onSuggestionSelect(suggestion);
        };
        row.selectedSuggestionID = selection;
        row.showsSelectionBackground = m_inputs.tutorialHighlights.isEmpty();
        rows.insert(item.suggestion.id, row);
    }
    m_rows = std::move(rows);
    if (m_hoveredID && !m_rows.contains(*m_hoveredID))
        m_hoveredID.reset();
    scrollTo(m_scroll.target());
    layoutManualRow();
    update();
}

// --- Manual entry ---

QString NotchAIContentView::manualValue() const
{
    return m_manualField->text();
}

void NotchAIContentView::setManualValue(const QString &value)
{
    if (m_manualField->text() != value)
        m_manualField->setText(value);
}

bool NotchAIContentView::hasManualValue() const
{
    return !manualValue().trimmed().isEmpty();
}

bool NotchAIContentView::isManualValueFocused() const
{
    return m_manualField->hasFocus();
}

void NotchAIContentView::submitManualValue()
{
    const std::optional<FocusedFieldSuggestion> suggestion = manualSuggestion(manualValue());
    if (!suggestion)
        return;
    setManualValue(QString());
    if (m_callbacks.onSuggestionSelect)
        m_callbacks.onSuggestionSelect(*suggestion);
}

void NotchAIContentView::updateManualButton()
{
    m_manualButton->setEnabled(hasManualValue());
    const Palette palette = m_palette ? m_palette() : Palette();
    const double dpr = devicePixelRatioF();
    if (m_manualIconScheme == palette.scheme && m_manualIconScale == dpr)
        return;
    m_manualIconScheme = palette.scheme;
    m_manualIconScale = dpr;
    const int side = int(manualButtonSize);
    QIcon icon;
    // Enabled: the symbol painted with the spectrum gradient; disabled: the secondary colour, faint.
    QPixmap lit = m_symbols.pixmap(manualButtonSymbol, side, Qt::white, dpr);
    if (!lit.isNull()) {
        QPainter painter(&lit);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        QLinearGradient gradient(0, 0, side, 0);
        const QList<SystemColor> colors{SystemColor::cyan, SystemColor::blue, SystemColor::purple, SystemColor::pink};
        for (int i = 0; i < colors.size(); ++i)
            gradient.setColorAt(double(i) / (colors.size() - 1), palette.system(colors.at(i)));
        painter.fillRect(QRectF(0, 0, side, side), gradient);
        painter.end();
        icon.addPixmap(lit, QIcon::Normal);
    }
    const QPixmap dim = m_symbols.pixmap(manualButtonSymbol, side, Palette::withOpacity(palette.secondary(), 0.35), dpr);
    if (!dim.isNull())
        icon.addPixmap(dim, QIcon::Disabled);
    m_manualButton->setIcon(icon);
}

void NotchAIContentView::layoutManualRow()
{
    std::optional<bool> shown;
    QRectF rect;
    for (int i = 0; i < m_content.items.size(); ++i) {
        const Item &item = m_content.items.at(i);
        if (item.kind == Item::Kind::manualEntry) {
            shown = item.focusesOnAppear;
            rect = itemRect(i);
            break;
        }
    }
    m_manualField->setAccessibleName(QStringLiteral("Value to paste into ") + m_inputs.context.fieldName);
    if (shown) {
        const double left = rect.left() + manualPadding + manualIconSize + manualSpacing;
        const double right = rect.right() - manualPadding - manualButtonSize - manualSpacing;
        m_manualField->setGeometry(QRectF(left, rect.center().y() - 12, std::max(right - left, 0.0), 24).toAlignedRect());
        m_manualButton->setGeometry(QRectF(rect.right() - manualPadding - manualButtonSize - 4,
                                           rect.center().y() - manualButtonSize / 2 - 4, manualButtonSize + 8,
                                           manualButtonSize + 8)
                                        .toAlignedRect());
        updateManualButton();
    }
    m_manualField->setVisible(shown.has_value());
    m_manualButton->setVisible(shown.has_value());
    manualRowShown(isVisible() ? shown : std::nullopt);
}

void NotchAIContentView::manualRowShown(std::optional<bool> focusesOnAppear)
{
    if (focusesOnAppear == m_manualRow)
        return;
    // Another row (or none): whatever the previous one was about to do ends here.
    ++m_manualRowGeneration;
    m_manualRow = focusesOnAppear;
    if (!focusesOnAppear || !*focusesOnAppear)
        return;
    // Yield once, then take the keyboard, unless the row left the screen meanwhile.
    QPointer<NotchAIContentView> self = this;
    const quint64 generation = m_manualRowGeneration;
    QTimer::singleShot(0, this, [self, generation] {
        if (self && self->m_manualRowGeneration == generation && self->m_manualField->isVisible())
            self->m_manualField->setFocus(Qt::OtherFocusReason);
    });
}

// --- Scrolling and pointer ---

double NotchAIContentView::scrollOffset() const
{
    return m_scroll.value(now());
}

double NotchAIContentView::maximumScrollOffset() const
{
    return std::max(m_content.height - height(), 0.0);
}

void NotchAIContentView::scrollTo(double offset)
{
    const double target = std::clamp(offset, 0.0, maximumScrollOffset());
    if (target != m_scroll.target()) {
        m_scroll.setValue(target);
        layoutManualRow();
    }
    // Rows that moved under a resting pointer take the hover look, but only a moving pointer selects.
    if (m_pointer)
        setHoveredRow(suggestionAt(*m_pointer), false);
    update();
}

QRectF NotchAIContentView::itemRect(int index) const
{
    if (index < 0 || index >= m_content.items.size())
        return {};
    const Item &item = m_content.items.at(index);
    return QRectF(0, item.top - m_scroll.target(), width(), item.height);
}

std::optional<int> NotchAIContentView::itemAt(QPointF position) const
{
    if (position.x() < 0 || position.x() >= width() || position.y() < 0 || position.y() >= height())
        return std::nullopt;
    const double y = position.y() + m_scroll.target();
    for (int i = 0; i < m_content.items.size(); ++i) {
        const Item &item = m_content.items.at(i);
        if (y >= item.top && y < item.top + item.height)
            return i;
    }
    return std::nullopt;
}

NotchSuggestionRow *NotchAIContentView::row(const QUuid &id)
{
    const auto it = m_rows.find(id);
    return it == m_rows.end() ? nullptr : &*it;
}

std::optional<QUuid> NotchAIContentView::suggestionAt(QPointF position) const
{
    const std::optional<int> index = itemAt(position);
    if (!index || m_content.items.at(*index).kind != Item::Kind::suggestion)
        return std::nullopt;
    return m_content.items.at(*index).suggestion.id;
}

void NotchAIContentView::setHoveredRow(std::optional<QUuid> id, bool movesSelection)
{
    if (id == m_hoveredID)
        return;
    const bool reduceMotion = m_palette ? m_palette().reduceMotion : false;
    const std::optional<QUuid> previous = std::exchange(m_hoveredID, id);
    // The looks first; the selection last, since writing it may rebuild the rows.
    if (previous) {
        if (NotchSuggestionRow *old = row(*previous))
            old->setHovered(false, now(), reduceMotion, false);
    }
    if (id) {
        if (NotchSuggestionRow *current = row(*id))
            current->setHovered(true, now(), reduceMotion, false);
    }
    m_ticker.requestFrame();
    update();
    if (id && movesSelection)
        writeSelection(id);
}

void NotchAIContentView::pointerMoved(QPointF position)
{
    if (m_pointer == position)
        return;
    m_pointer = position;
    setHoveredRow(suggestionAt(position), true);
}

void NotchAIContentView::pointerLeft()
{
    m_pointer.reset();
    setHoveredRow(std::nullopt, true);
}

void NotchAIContentView::pointerClicked(QPointF position)
{
    if (const std::optional<QUuid> id = suggestionAt(position))
        clickSuggestion(*id);
}

void NotchAIContentView::clickSuggestion(const QUuid &id)
{
    if (NotchSuggestionRow *target = row(id)) {
        // The row may go away inside its own callback: click a copy.
        const NotchSuggestionRow clicked = *target;
        clicked.click();
    }
}

QString NotchAIContentView::helpTagAt(QPointF position) const
{
    const std::optional<int> index = itemAt(position);
    if (!index || m_content.items.at(*index).kind != Item::Kind::suggestion)
        return {};
    return NotchSuggestionRow::displayText(m_content.items.at(*index).suggestion);
}

void NotchAIContentView::mouseMoveEvent(QMouseEvent *event)
{
    pointerMoved(event->position());
}

void NotchAIContentView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        pointerClicked(event->position());
}

void NotchAIContentView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    pointerLeft();
}

void NotchAIContentView::wheelEvent(QWheelEvent *event)
{
    const QPoint pixels = event->pixelDelta();
    const double dy = !pixels.isNull() ? pixels.y() : event->angleDelta().y() / 120.0 * pointsPerWheelNotch;
    if (dy != 0)
        scrollTo(m_scroll.target() - dy);
    event->accept();
}

bool NotchAIContentView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tag = helpTagAt(help->pos());
        if (tag.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tag, this);
        return true;
    }
    return QWidget::event(event);
}

void NotchAIContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    scrollTo(m_scroll.target());
    layoutManualRow();
}

void NotchAIContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ensureValidSelection();
    layoutManualRow();
}

// --- Painting ---

void NotchAIContentView::paintEvent(QPaintEvent *)
{
    const Palette palette = m_palette ? m_palette() : Palette();
    if (m_manualField->isVisible()) {
        // The button's symbol and the field's colours follow the appearance.
        if (m_manualIconScheme != palette.scheme)
            updateManualButton();
        QPalette colors = m_manualField->palette();
        if (colors.color(QPalette::Text) != palette.primary()
            || colors.color(QPalette::PlaceholderText) != palette.secondary()) {
            colors.setColor(QPalette::Text, palette.primary());
            colors.setColor(QPalette::PlaceholderText, palette.secondary());
            m_manualField->setPalette(colors);
        }
    }
    const double t = now();
    const QLocale locale;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_clipShape.isEmpty())
        painter.setClipPath(m_clipShape);
    bool animating = false;
    for (int i = 0; i < m_content.items.size(); ++i) {
        const QRectF rect = itemRect(i);
        if (rect.bottom() < 0 || rect.top() > height())
            continue;
        const Item &item = m_content.items.at(i);
        switch (item.kind) {
        case Item::Kind::sectionHeader:
            NotchListSectionHeader{item.text, item.horizontalPadding}.paint(painter, rect, palette);
            break;
        case Item::Kind::suggestion:
            if (NotchSuggestionRow *current = row(item.suggestion.id)) {
                current->paint(painter, rect, palette, locale, t);
                animating = animating || current->isAnimating(t);
            }
            break;
        case Item::Kind::manualEntry: {
            painter.fillRect(rect, Palette::withOpacity(palette.primary(), 0.04));
            const QRectF icon(rect.left() + manualPadding, rect.center().y() - manualIconSize / 2, manualIconSize,
                              manualIconSize);
            m_symbols.draw(painter, manualSymbol, icon, palette.secondary());
            break;
        }
        case Item::Kind::message:
            painter.setFont(FontTable::systemFont(11, QFont::Medium));
            painter.setPen(palette.secondary());
            painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, item.text);
            break;
        }
    }
    // The tutorial's outline over a highlighted section, fading in and out.
    for (const Section &section : std::as_const(m_content.sections)) {
        AnimatedValue &outline = m_sectionOutlines[section.tutorialKey];
        outline.animateTo(m_inputs.tutorialHighlights.contains(section.tutorialKey) ? 1 : 0,
                          TutorialOutline::transition(), t);
        const QRectF rect(0, section.top - m_scroll.target(), width(), section.height);
        const double r = section.bottomCornerRadius;
        TutorialOutline::tutorialOutline(painter, CornerPath::continuousRoundedRect(rect, CornerPath::Radii{0, 0, r, r}),
                                         sectionOutlineWidth, outline.value(t));
        animating = animating || outline.isAnimating(t);
    }
    // The scroll indicator while there is more than fits.
    const double maximum = maximumScrollOffset();
    if (maximum > 0) {
        const double track = height() - 2 * indicatorVerticalInset;
        const double knob = std::max(track * height() / (height() + maximum), 24.0);
        const double y = indicatorVerticalInset + (track - knob) * std::clamp(scrollOffset() / maximum, 0.0, 1.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::withOpacity(palette.secondary(), 0.7));
        painter.drawRoundedRect(QRectF(width() - indicatorTrailingInset - 3, y, 3, knob), 1.5, 1.5);
    }
    if (animating)
        m_ticker.requestFrame();
}
