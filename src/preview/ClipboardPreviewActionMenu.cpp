#include "preview/ClipboardPreviewActionMenu.h"

#include "ui/ActivityIndicator.h"
#include "ui/CornerPath.h"
#include "ui/FontTable.h"
#include "ui/SymbolTable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int symbolSize = 14;
constexpr int padding = 10;
constexpr double cornerRadius = 12;

// The open list: one row per action, chosen by click or by arrows and Return.
class ActionList : public QWidget {
public:
    ActionList(ClipboardPreviewActionMenu &menu, const SymbolTable &symbols, std::function<Palette()> palette)
        : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
        , m_menu(menu)
        , m_symbols(symbols)
        , m_palette(std::move(palette))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_DeleteOnClose);
        setMouseTracking(true);
        setAccessibleName(QStringLiteral("Text actions"));
        const int rows = int(allClipboardAIActions().size());
        setFixedSize(ClipboardPreviewActionMenu::menuWidth,
                     rows * ClipboardPreviewActionMenu::rowHeight + 2 * ClipboardPreviewActionMenu::menuPadding);
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        // Without a compositor what the list leaves transparent shows black: the window takes its outline's
        // shape instead. Asked at each opening, as a compositor may have come or gone.
        if (m_palette().translucency)
            clearMask();
        else
            setMask(QRegion(CornerPath::continuousRoundedRect(QRectF(rect()), cornerRadius).toFillPolygon().toPolygon()));
        QWidget::showEvent(event);
    }
    void paintEvent(QPaintEvent *) override
    {
        const Palette colors = m_palette();
        const bool dark = colors.isDark();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath outline = CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius);
        // Without a compositor the ground reaches a pixel past the edge, so no half-covered pixel inside the
        // window's shape shows black.
        painter.fillPath(colors.translucency ? outline
                                             : CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(-1, -1, 1, 1), cornerRadius + 1),
                         dark ? QColor(44, 44, 47) : QColor(252, 252, 253));
        painter.setPen(QPen(dark ? Palette::white(0.14) : Palette::black(0.14), 1));
        painter.drawPath(outline);
        const QList<ClipboardAIAction> &actions = allClipboardAIActions();
        for (int i = 0; i < actions.size(); ++i) {
            const QRectF row = rowRect(i);
            if (i == m_highlighted)
                painter.fillPath(CornerPath::continuousRoundedRect(row, 8), Palette::withOpacity(colors.accent, 0.85));
            const QColor ink = i == m_highlighted ? QColor(Qt::white) : colors.primary();
            const QColor quiet = i == m_highlighted ? Palette::white(0.8) : colors.secondary();
            m_symbols.draw(painter, symbolName(actions[i]),
                           QRectF(row.left() + 10, row.center().y() - 9, 18, 18),
                           i == m_highlighted ? QColor(Qt::white) : colors.accent);
            const QRectF text = row.adjusted(40, 7, -10, -7);
            painter.setPen(ink);
            painter.setFont(FontTable::systemFont(13, QFont::Medium));
            painter.drawText(QRectF(text.left(), text.top(), text.width(), text.height() / 2), Qt::AlignLeft | Qt::AlignVCenter,
                             title(actions[i]));
            painter.setPen(quiet);
            painter.setFont(FontTable::systemFont(11));
            const QString detail = QFontMetrics(painter.font())
                                       .elidedText(ClipboardPreviewActionMenu::subtitle(actions[i]), Qt::ElideRight, int(text.width()));
            painter.drawText(QRectF(text.left(), text.center().y(), text.width(), text.height() / 2),
                             Qt::AlignLeft | Qt::AlignVCenter, detail);
        }
    }
    void mouseMoveEvent(QMouseEvent *event) override { highlight(rowAt(event->position())); }
    void leaveEvent(QEvent *) override { highlight(-1); }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const int row = rowAt(event->position());
        if (row >= 0)
            chooseRow(row);
        else if (!rect().contains(event->position().toPoint()))
            close();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        const int count = int(allClipboardAIActions().size());
        switch (event->key()) {
        case Qt::Key_Down:
            highlight(m_highlighted < 0 ? 0 : std::min(m_highlighted + 1, count - 1));
            return;
        case Qt::Key_Up:
            highlight(m_highlighted < 0 ? count - 1 : std::max(m_highlighted - 1, 0));
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_highlighted >= 0)
                chooseRow(m_highlighted);
            return;
        case Qt::Key_Escape:
            close();
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    QRectF rowRect(int index) const
    {
        const int pad = ClipboardPreviewActionMenu::menuPadding;
        return QRectF(pad, pad + index * ClipboardPreviewActionMenu::rowHeight, width() - 2 * pad,
                      ClipboardPreviewActionMenu::rowHeight);
    }
    int rowAt(QPointF point) const
    {
        for (int i = 0; i < allClipboardAIActions().size(); ++i)
            if (rowRect(i).contains(point))
                return i;
        return -1;
    }
    void highlight(int row)
    {
        if (row == m_highlighted)
            return;
        m_highlighted = row;
        update();
    }
    void chooseRow(int row)
    {
        const ClipboardAIAction action = allClipboardAIActions().at(row);
        ClipboardPreviewActionMenu &menu = m_menu;
        close();
        menu.choose(action);
    }

    ClipboardPreviewActionMenu &m_menu;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    int m_highlighted = -1;
};

} // namespace

QString ClipboardPreviewActionMenu::subtitle(ClipboardAIAction action)
{
    switch (action) {
    case ClipboardAIAction::summarize: return QStringLiteral("A few sentences on what it says");
    case ClipboardAIAction::improveWriting: return QStringLiteral("Clearer wording, grammar, and tone");
    case ClipboardAIAction::checkSpelling: return QStringLiteral("Spelling, grammar, and punctuation only");
    case ClipboardAIAction::translateToEnglish: return QStringLiteral("The same text in natural English");
    case ClipboardAIAction::extractTasks: return QStringLiteral("The tasks in it as a checklist");
    }
    return {};
}

ClipboardPreviewActionMenu::ClipboardPreviewActionMenu(const SymbolTable &symbols, std::function<Palette()> palette,
                                                       Clock &clock, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
{
    setFont(FontTable::systemFont(12, QFont::Medium));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setObjectName(QStringLiteral("textActions"));
    m_indicator = new ActivityIndicator(clock, m_palette, this);
    m_indicator->setGeometry(padding, (height - ActivityIndicator::diameter) / 2, ActivityIndicator::diameter,
                             ActivityIndicator::diameter);
    m_indicator->hide();
    setAccessibleName(label());
    connect(this, &QAbstractButton::clicked, this, [this] { openMenu(); });
}

ClipboardPreviewActionMenu::~ClipboardPreviewActionMenu()
{
    delete m_menu.data();
}

QString ClipboardPreviewActionMenu::label() const
{
    return m_running ? title(*m_running) + QStringLiteral("…") : QStringLiteral("Actions");
}

void ClipboardPreviewActionMenu::setRunningAction(std::optional<ClipboardAIAction> action)
{
    if (m_running == action)
        return;
    m_running = action;
    if (action)
        closeMenu();
    m_indicator->setVisible(action.has_value());
    setEnabled(!action);
    setAccessibleName(label());
    updateGeometry();
    update();
}

void ClipboardPreviewActionMenu::openMenu()
{
    if (m_running || m_menu)
        return;
    auto *list = new ActionList(*this, m_symbols, m_palette);
    m_menu = list;
    // Below the button, its right edge under the button's.
    const QPoint anchor = mapToGlobal(QPoint(width(), height + 6));
    list->move(anchor.x() - list->width(), anchor.y());
    list->show();
    list->setFocus();
}

void ClipboardPreviewActionMenu::closeMenu()
{
    if (QWidget *list = m_menu.data()) {
        m_menu.clear();
        list->close();
    }
}

void ClipboardPreviewActionMenu::choose(ClipboardAIAction action)
{
    closeMenu();
    if (m_running)
        return;
    if (const auto run = onAction)
        run(action);
}

QSize ClipboardPreviewActionMenu::sizeHint() const
{
    const int text = QFontMetrics(font()).horizontalAdvance(label());
    return QSize(padding + symbolSize + 6 + text + 6 + 10 + padding, height);
}

void ClipboardPreviewActionMenu::paintEvent(QPaintEvent *)
{
    const Palette colors = m_palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath capsule = CornerPath::continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), height / 2.0);
    QColor fill = dark ? Palette::white(0.1) : Palette::black(0.06);
    if (isDown() || m_menu)
        fill = dark ? Palette::white(0.18) : Palette::black(0.11);
    else if (underMouse() && isEnabled())
        fill = dark ? Palette::white(0.14) : Palette::black(0.08);
    painter.fillPath(capsule, fill);
    const QColor ink = m_running ? colors.secondary() : colors.primary();
    if (!m_running)
        m_symbols.draw(painter, QStringLiteral("sparkles"), QRectF(padding, (height - symbolSize) / 2.0, symbolSize, symbolSize),
                       colors.accent);
    painter.setPen(ink);
    painter.setFont(font());
    const double textLeft = padding + symbolSize + 6;
    painter.drawText(QRectF(textLeft, 0, width() - textLeft, height), Qt::AlignLeft | Qt::AlignVCenter, label());
    if (!m_running)
        m_symbols.draw(painter, QStringLiteral("chevron.down"), QRectF(width() - padding - 10, (height - 10) / 2.0, 10, 10),
                       colors.secondary());
}
