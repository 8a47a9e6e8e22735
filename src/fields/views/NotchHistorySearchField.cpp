#include "fields/views/NotchHistorySearchField.h"

#include "ui/FontTable.h"
#include "ui/NotchListSearchBar.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

QString NotchHistorySearchField::accessibilityLabel(const QString &fieldName)
{
    return QStringLiteral("Search ") + fieldName + QStringLiteral(" history");
}

NotchHistorySearchField::NotchHistorySearchField(const SymbolTable &symbols, std::function<Palette()> palette,
                                                 std::function<double()> now, QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_field = new QLineEdit;
    m_field->setFrame(false);
    // Only a click (or the launcher) puts the caret here: a window that takes the keyboard must not hand its
    // first focus to this field, or Space would type into it instead of opening a value's details.
    m_field->setFocusPolicy(Qt::ClickFocus);
    m_field->setFont(FontTable::systemFont(12, QFont::Medium));
    m_field->setPlaceholderText(prompt);
    m_field->setObjectName(identifier);
    m_field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    m_field->setAccessibleName(accessibilityLabel(QStringLiteral("field")));
    m_field->installEventFilter(this);
    m_bar = new NotchListSearchBar(m_field, symbols, std::move(palette), std::move(now), this);
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_bar->setQuery(text);
        if (onQueryChange)
            onQueryChange(text);
    });
    connect(m_bar, &NotchListSearchBar::clearRequested, this, [this] {
        setQuery(QString());
        if (onQueryChange)
            onQueryChange(QString());
    });
}

void NotchHistorySearchField::setQuery(const QString &query)
{
    if (m_field->text() != query)
        m_field->setText(query);
    m_bar->setQuery(query);
}

QString NotchHistorySearchField::query() const
{
    return m_field->text();
}

void NotchHistorySearchField::setFieldName(const QString &fieldName)
{
    m_field->setAccessibleName(accessibilityLabel(fieldName));
}

bool NotchHistorySearchField::hasKeyboardFocus() const
{
    return m_field->hasFocus();
}

void NotchHistorySearchField::reportFocus(bool focused)
{
    if (onFocusChange)
        onFocusChange(focused);
}

bool NotchHistorySearchField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        // Tab and Shift+Tab end editing: the field gives up the keyboard, so Space opens the selected
        // value's details. A click brings the caret back.
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<const QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                m_field->clearFocus();
                return true;
            }
        }
        if (event->type() == QEvent::FocusIn)
            reportFocus(true);
        else if (event->type() == QEvent::FocusOut)
            reportFocus(false);
    }
    return QWidget::eventFilter(watched, event);
}

void NotchHistorySearchField::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Off screen the field cannot hold the keyboard, whatever Qt still remembers for its window.
    if (m_field->hasFocus())
        m_field->clearFocus();
    reportFocus(false);
}

void NotchHistorySearchField::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_bar->setGeometry(rect());
}
