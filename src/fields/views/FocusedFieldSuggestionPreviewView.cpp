#include "fields/views/FocusedFieldSuggestionPreviewView.h"

#include "fields/views/NotchSuggestionRow.h"
#include "platform/Appearance.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString rgba(const QColor &color)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alpha());
}

// The locale's long date without the weekday, and its time without the zone.
QString longDatePattern(const QLocale &locale)
{
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    pattern.remove(QRegularExpression(QStringLiteral("'[^']*'")));
    // The weekday is ddd or dddd, with whatever separates it from the rest.
    pattern.remove(QRegularExpression(QStringLiteral("d{3,4}[^A-Za-z]*")));
    pattern = pattern.trimmed();
    if (!pattern.contains(QLatin1Char('d')) || !pattern.contains(QLatin1String("MMMM")) || !pattern.contains(QLatin1Char('y')))
        return QStringLiteral("d MMMM yyyy");
    return pattern;
}

QString longTimePattern(const QLocale &locale)
{
    QString pattern = locale.timeFormat(QLocale::LongFormat);
    pattern.remove(QRegularExpression(QStringLiteral("'[^']*'")));
    pattern.remove(QRegularExpression(QStringLiteral("[^A-Za-z]*t+")));
    pattern = pattern.trimmed();
    if (!pattern.contains(QLatin1Char('m')) || !pattern.contains(QLatin1Char('s')))
        return QStringLiteral("HH:mm:ss");
    return pattern;
}

} // namespace

// --- What the window shows ---

QString FocusedFieldSuggestionPreviewView::shownValue(const FocusedFieldSuggestion &suggestion)
{
    return NotchSuggestionRow::displayText(suggestion);
}

QString FocusedFieldSuggestionPreviewView::dateText(const QDateTime &date, const QLocale &locale)
{
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), longDatePattern(locale)) + QStringLiteral(", ")
        + locale.toString(local.time(), longTimePattern(locale));
}

QList<QPair<QString, QString>> FocusedFieldSuggestionPreviewView::detailRows(const FocusedFieldSuggestion &suggestion,
                                                                             const QLocale &locale)
{
    QList<QPair<QString, QString>> rows;
    if (!suggestion.details)
        return rows;
    const FocusedFieldSuggestionDetails &d = *suggestion.details;
    auto add = [&](const char *label, const std::optional<QString> &text) {
        if (text && !text->isEmpty())
            rows.append({QString::fromUtf8(label), *text});
    };
    auto date = [&](const std::optional<QDateTime> &value) -> std::optional<QString> {
        if (!value || !value->isValid())
            return std::nullopt;
        return dateText(*value, locale);
    };
    add("Uses", QString::number(suggestion.usageCount));
    add("Application", d.applicationId);
    add("Environment", d.webOrigin);
    add("Field", d.fieldName);
    add("Type", d.fieldType);
    add("DOM identifier", d.domIdentifier);
    add("Accessibility identifier", d.accessibilityIdentifier);
    add("Created", date(d.createdAt));
    add("Updated", date(d.updatedAt));
    add("Last used", date(d.lastUsedAt));
    return rows;
}

QList<QDateTime> FocusedFieldSuggestionPreviewView::usageDates(const FocusedFieldSuggestion &suggestion)
{
    if (!suggestion.details)
        return {};
    QList<QDateTime> dates = suggestion.details->recentUsageDates;
    std::stable_sort(dates.begin(), dates.end(), [](const QDateTime &a, const QDateTime &b) { return a > b; });
    return dates;
}

// --- The view ---

FocusedFieldSuggestionPreviewView::FocusedFieldSuggestionPreviewView(const Platform &platform,
                                                                     FocusedFieldSuggestion suggestion,
                                                                     std::function<void()> onClose, Panel *window,
                                                                     QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , m_suggestion(std::move(suggestion))
    , m_onClose(std::move(onClose))
    , m_window(window)
{
    setAttribute(Qt::WA_TranslucentBackground);
    const QLocale locale;

    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("detailsContent"));
    content->setAutoFillBackground(false);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(int(padding), int(padding), int(padding), int(padding));
    column->setSpacing(int(sectionSpacing));

    // Header: symbol, title and the value's own title, close button.
    auto *header = new QHBoxLayout;
    header->setSpacing(12);
    m_icon = new QLabel;
    m_icon->setFixedSize(20, 20);
    header->addWidget(m_icon, 0, Qt::AlignVCenter);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto *title = new QLabel(headerTitle);
    title->setFont(FontTable::textStyle(TextStyle::headline));
    m_primaryTexts.append(title);
    auto *subtitle = new QLabel(m_suggestion.title);
    subtitle->setFont(FontTable::textStyle(TextStyle::caption));
    m_secondaryLabels.append(subtitle);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    header->addLayout(titles, 1);
    m_closeButton = new QToolButton;
    m_closeButton->setAutoRaise(true);
    m_closeButton->setToolTip(closeHelp);
    m_closeButton->setAccessibleName(closeHelp);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_closeButton->setIconSize(QSize(17, 17));
    m_closeButton->setStyleSheet(QStringLiteral("QToolButton { background: transparent; border: none; padding: 0; }"));
    connect(m_closeButton, &QToolButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    header->addWidget(m_closeButton, 0, Qt::AlignVCenter);
    column->addLayout(header);

    // The value.
    auto *valueSection = new QVBoxLayout;
    valueSection->setSpacing(8);
    valueSection->addWidget(sectionTitle(QStringLiteral("Value")));
    m_valueBox = selectableText(shownValue(m_suggestion), FontTable::monospacedFont(FontTable::pixelSize(TextStyle::body)));
    m_valueBox->setObjectName(QStringLiteral("valueBox"));
    m_valueBox->document()->setDocumentMargin(14);
    valueSection->addWidget(m_valueBox);
    column->addLayout(valueSection);

    // Where and when it was used.
    if (m_suggestion.details) {
        auto *details = new QVBoxLayout;
        details->setSpacing(10);
        details->addWidget(sectionTitle(QStringLiteral("Details")));
        for (const auto &[label, text] : detailRows(m_suggestion, locale)) {
            auto *row = new QHBoxLayout;
            row->setSpacing(12);
            auto *name = new QLabel(label);
            name->setFont(FontTable::textStyle(TextStyle::callout));
            name->setFixedWidth(int(labelWidth));
            name->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            m_secondaryLabels.append(name);
            row->addWidget(name, 0, Qt::AlignTop);
            row->addWidget(selectableText(text, FontTable::textStyle(TextStyle::callout)), 1, Qt::AlignTop);
            details->addLayout(row);
        }
        column->addLayout(details);
    }

    // Every recorded use.
    const QList<QDateTime> dates = usageDates(m_suggestion);
    auto *usage = new QVBoxLayout;
    usage->setSpacing(10);
    auto *usageHeader = new QHBoxLayout;
    usageHeader->addWidget(sectionTitle(QStringLiteral("All usage dates")));
    usageHeader->addStretch(1);
    auto *count = new QLabel(QString::number(dates.size()));
    count->setFont(FontTable::textStyle(TextStyle::caption, QFont::DemiBold));
    m_secondaryLabels.append(count);
    usageHeader->addWidget(count);
    usage->addLayout(usageHeader);
    if (dates.isEmpty()) {
        auto *none = new QLabel(noUsageText);
        none->setFont(FontTable::textStyle(TextStyle::callout));
        none->setContentsMargins(0, 10, 0, 10);
        m_secondaryLabels.append(none);
        usage->addWidget(none);
    } else {
        m_usageList = new QWidget;
        m_usageList->setObjectName(QStringLiteral("usageList"));
        m_usageList->setAttribute(Qt::WA_StyledBackground);
        auto *list = new QVBoxLayout(m_usageList);
        list->setContentsMargins(12, 0, 12, 0);
        list->setSpacing(0);
        for (int i = 0; i < dates.size(); ++i) {
            auto *entry = new QHBoxLayout;
            entry->setContentsMargins(0, 9, 0, 9);
            entry->setSpacing(12);
            auto *position = new QLabel(QString::number(i + 1));
            position->setFont(FontTable::textStyle(TextStyle::caption));
            position->setFixedWidth(28);
            position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_tertiaryLabels.append(position);
            auto *when = new QLabel(dateText(dates.at(i), locale));
            when->setFont(FontTable::textStyle(TextStyle::callout));
            when->setTextInteractionFlags(Qt::TextSelectableByMouse);
            m_primaryTexts.append(when);
            entry->addWidget(position);
            entry->addWidget(when);
            entry->addStretch(1);
            list->addLayout(entry);
            if (i + 1 < dates.size()) {
                auto *divider = new QWidget;
                divider->setFixedHeight(1);
                divider->setAttribute(Qt::WA_StyledBackground);
                m_dividers.append(divider);
                list->addWidget(divider);
            }
        }
        usage->addWidget(m_usageList);
    }
    column->addLayout(usage);
    column->addStretch(1);

    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(content);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);

    if (m_platform.appearance)
        connect(m_platform.appearance, &Appearance::changed, this, [this] { applyPalette(); });
    applyPalette();
}

FocusedFieldSuggestionPreviewView::~FocusedFieldSuggestionPreviewView()
{
    removeKeyMonitor();
}

Palette FocusedFieldSuggestionPreviewView::palette() const
{
    return Palette::from(m_platform.appearance, QColor(10, 132, 255));
}

QLabel *FocusedFieldSuggestionPreviewView::sectionTitle(const QString &title)
{
    auto *label = new QLabel(title.toUpper());
    QFont font = FontTable::textStyle(TextStyle::caption2, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    label->setFont(font);
    m_secondaryLabels.append(label);
    return label;
}

QTextEdit *FocusedFieldSuggestionPreviewView::selectableText(const QString &text, const QFont &font)
{
    auto *edit = new QTextEdit;
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setFont(font);
    // Long values without spaces (tokens, addresses) still wrap inside the card.
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit->document()->setDocumentMargin(0);
    edit->setPlainText(text);
    edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    edit->viewport()->setAutoFillBackground(false);
    edit->installEventFilter(this);
    m_primaryTexts.append(edit);
    fitHeight(edit);
    return edit;
}

void FocusedFieldSuggestionPreviewView::fitHeight(QTextEdit *text)
{
    const int width = std::max(text->viewport()->width(), 40);
    text->document()->setTextWidth(width);
    const int height = int(std::ceil(text->document()->size().height()));
    if (text->height() != height)
        text->setFixedHeight(height);
}

bool FocusedFieldSuggestionPreviewView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (auto *text = qobject_cast<QTextEdit *>(watched))
            fitHeight(text);
    }
    return QWidget::eventFilter(watched, event);
}

void FocusedFieldSuggestionPreviewView::applyPalette()
{
    const Palette colors = palette();
    for (QWidget *widget : std::as_const(m_primaryTexts))
        Palette::setTextColor(widget, colors.primary());
    for (QLabel *label : std::as_const(m_secondaryLabels))
        Palette::setTextColor(label, colors.secondary());
    for (QLabel *label : std::as_const(m_tertiaryLabels))
        Palette::setTextColor(label, colors.tertiary());
    for (QWidget *divider : std::as_const(m_dividers))
        divider->setStyleSheet(QStringLiteral("background: %1;").arg(rgba(Palette::withOpacity(colors.primary(), 0.1))));
    m_icon->setPixmap(m_symbols.pixmap(QStringLiteral("clock.arrow.circlepath"), 18, colors.secondary(), devicePixelRatioF()));
    m_closeButton->setIcon(QIcon(m_symbols.pixmap(QStringLiteral("xmark.circle.fill"), 17, colors.secondary(), devicePixelRatioF())));
    const QString boxes = QStringLiteral(
        "QScrollArea, QWidget#qt_scrollarea_viewport, QWidget#detailsContent { background: transparent; border: none; }"
        "QTextEdit { background: transparent; border: none; }"
        "QTextEdit#valueBox { background: %1; border-radius: 12px; }"
        "QWidget#usageList { background: %2; border-radius: 12px; }"
        "QScrollBar:vertical { background: transparent; width: 10px; margin: %3px 4px %3px 0; }"
        "QScrollBar::handle:vertical { background: %4; border-radius: 3px; min-height: 32px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
                              .arg(rgba(Palette::withOpacity(colors.primary(), 0.06)),
                                   rgba(Palette::withOpacity(colors.primary(), 0.05)))
                              .arg(int(cornerRadius / 2))
                              .arg(rgba(Palette::withOpacity(colors.secondary(), 0.6)));
    setStyleSheet(boxes);
    update();
}

// --- Keys ---

void FocusedFieldSuggestionPreviewView::installKeyMonitor()
{
    if (m_keyMonitor || !m_platform.eventMonitors)
        return;
    QPointer<FocusedFieldSuggestionPreviewView> self(this);
    m_keyMonitor = m_platform.eventMonitors->addLocalKeyDownMonitor([self](const KeyDownEvent &event) {
        return self ? self->handleKeyDown(event) : EventDisposition::Pass;
    });
}

void FocusedFieldSuggestionPreviewView::removeKeyMonitor()
{
    if (!m_keyMonitor)
        return;
    if (m_platform.eventMonitors)
        m_platform.eventMonitors->removeMonitor(*m_keyMonitor);
    m_keyMonitor.reset();
}

EventDisposition FocusedFieldSuggestionPreviewView::handleKeyDown(const KeyDownEvent &event)
{
    // Only this window's keys: Space typed into the launcher's search field, or Escape meant for another
    // window, goes where it was meant to.
    if (!m_window || event.window != m_window)
        return EventDisposition::Pass;
    if (event.key != Qt::Key_Space && event.key != Qt::Key_Escape)
        return EventDisposition::Pass;
    if (m_onClose)
        m_onClose();
    return EventDisposition::Consume;
}

// --- Painting ---

void FocusedFieldSuggestionPreviewView::paintEvent(QPaintEvent *)
{
    const Palette colors = palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath card = CornerPath::continuousRoundedRect(bounds, cornerRadius);
    // The glass: translucent where a compositor shows what lies behind, an opaque tone otherwise. Without
    // one, half-covered edge pixels would show black inside the window's shape (a dark line along its
    // edges): the tone reaches a pixel past the edge, and the shape rounds it.
    if (colors.translucency)
        painter.fillPath(card, dark ? QColor(30, 30, 32, 214) : QColor(246, 246, 248, 222));
    else
        painter.fillPath(CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(-1, -1, 1, 1), cornerRadius + 1),
                         dark ? QColor(34, 34, 37) : QColor(244, 244, 246));
    painter.setPen(QPen(dark ? Palette::white(0.14) : Palette::black(0.1), 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawPath(card);
}
