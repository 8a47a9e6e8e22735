#include "ui/NotchListSearchBar.h"

#include "ui/TutorialOutline.h"
#include "ui/CornerPath.h"
#include "ui/NotchListSearchClearButton.h"
#include "ui/SymbolTable.h"

#include <QMouseEvent>
#include <QPainter>

NotchListSearchBar::NotchListSearchBar(QWidget *searchField, const SymbolTable &symbols,
                                       std::function<Palette()> palette, std::function<double()> now, QWidget *parent)
    : QWidget(parent)
    , m_field(searchField)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
    , m_now(std::move(now))
{
    setAttribute(Qt::WA_TranslucentBackground);
    if (m_field)
        m_field->setParent(this);
    setFixedHeight(int(barHeight));
    setToolTip(QString());
    m_clearButton = new NotchListSearchClearButton(this);
    connect(m_clearButton, &QAbstractButton::clicked, this, &NotchListSearchBar::clear);
}

QSize NotchListSearchBar::sizeHint() const
{
    return QSize(182, int(barHeight));
}

void NotchListSearchBar::setQuery(const QString &query)
{
    if (query == m_query)
        return;
    const bool hadButton = isClearButtonShown();
    m_query = query;
    if (hadButton != isClearButtonShown())
        layoutField();
    update();
}

void NotchListSearchBar::setTutorialHighlighted(bool highlighted)
{
    if (highlighted == m_tutorialHighlighted)
        return;
    m_tutorialHighlighted = highlighted;
    m_outline.animateTo(highlighted ? 1 : 0, TutorialOutline::transition(), m_now ? m_now() : 0);
    update();
    Q_EMIT animating();
}

void NotchListSearchBar::clear()
{
    Q_EMIT clearRequested();
}

QRectF NotchListSearchBar::clearButtonRect() const
{
    if (!isClearButtonShown())
        return {};
    // A generous square around the 12-point symbol, so the button is easy to hit.
    const double side = barHeight - 6;
    return QRectF(width() - horizontalPadding - iconSize / 2 - side / 2, (height() - side) / 2, side, side);
}

void NotchListSearchBar::layoutField()
{
    m_clearButton->setGeometry(clearButtonRect().toAlignedRect());
    m_clearButton->setVisible(isClearButtonShown());
    if (!m_field)
        return;
    const double left = horizontalPadding + iconSize + spacing;
    double right = width() - horizontalPadding;
    if (isClearButtonShown())
        right -= iconSize + spacing;
    m_field->setGeometry(QRect(int(left), 0, std::max(int(right - left), 0), height()));
}

void NotchListSearchBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutField();
}

void NotchListSearchBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && clearButtonRect().contains(event->position())) {
        clear();
        event->accept();
        return;
    }
    // A click on the frame puts the caret in the field.
    if (m_field)
        m_field->setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void NotchListSearchBar::applyTextColors(const Palette &palette)
{
    if (!m_field)
        return;
    // The field's text and prompt in the bar's colours, not the desktop style's.
    QPalette colors = m_field->palette();
    const QColor text = palette.primary();
    const QColor prompt = palette.secondary();
    if (colors.color(QPalette::Text) == text && colors.color(QPalette::PlaceholderText) == prompt)
        return;
    colors.setColor(QPalette::Text, text);
    colors.setColor(QPalette::PlaceholderText, prompt);
    m_field->setPalette(colors);
}

void NotchListSearchBar::paintEvent(QPaintEvent *)
{
    const Palette palette = m_palette ? m_palette() : Palette();
    applyTextColors(palette);
    const double now = m_now ? m_now() : 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect());
    const QPainterPath capsule = CornerPath::continuousRoundedRect(box, cornerRadius);
    painter.fillPath(capsule, Palette::withOpacity(palette.primary(), palette.isDark() ? 0.12 : 0.10));

    const double outline = m_outline.value(now);
    const QColor magnifier = outline > 0.5 ? TutorialOutline::tutorialHighlightColor() : palette.secondary();
    const QRectF icon(horizontalPadding, (height() - iconSize) / 2, iconSize, iconSize);
    m_symbols.draw(painter, QStringLiteral("magnifyingglass"), icon, magnifier);
    if (isClearButtonShown()) {
        const QRectF clearIcon(width() - horizontalPadding - iconSize, (height() - iconSize) / 2, iconSize, iconSize);
        m_symbols.draw(painter, QStringLiteral("xmark.circle.fill"), clearIcon, palette.secondary());
    }
    TutorialOutline::tutorialOutline(painter, CornerPath::continuousRoundedRect(box, cornerRadius), 1.2, outline);
    if (m_outline.isAnimating(now))
        Q_EMIT animating();
}
