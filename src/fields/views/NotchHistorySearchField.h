#pragma once
// The search field of a field's value history, in the launcher header while the recent list is selected:
// the launcher's search bar around a one-line field. Typing writes the query the value-history pane
// filters by; the field reports whether it holds the keyboard, and that it no longer does once it leaves
// the screen. Tab and Shift+Tab end editing; Return, Escape and the arrows do nothing here.

#include "ui/Palette.h"

#include <QString>
#include <QWidget>

#include <functional>

class NotchListSearchBar;
class QLineEdit;
class SymbolTable;

class NotchHistorySearchField : public QWidget {
    Q_OBJECT
public:
    static inline const QString prompt = QStringLiteral("Search…");
    static inline const QString identifier = QStringLiteral("notchHistorySearchField");

    // "Search <field name> history".
    static QString accessibilityLabel(const QString &fieldName);

    NotchHistorySearchField(const SymbolTable &symbols, std::function<Palette()> palette, std::function<double()> now,
                            QWidget *parent = nullptr);

    // The two values the field is bound to: the query (read and written) and the focus flag (written only).
    std::function<void(const QString &)> onQueryChange;
    std::function<void(bool)> onFocusChange;

    void setQuery(const QString &query);
    QString query() const;
    void setFieldName(const QString &fieldName);
    // Whether the text field holds the keyboard now.
    bool hasKeyboardFocus() const;

    QLineEdit *textField() const { return m_field; }
    NotchListSearchBar *searchBar() const { return m_bar; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void reportFocus(bool focused);

    QLineEdit *m_field = nullptr;
    NotchListSearchBar *m_bar = nullptr;
};
