#pragma once
// The filters page of the settings window: every filter of the list, in its order, with a switch that
// shows or hides its pill, its name to rename, buttons that move it up and down, and, for filters of the
// user's own (never for built-in ones), a button that deletes it. Every change goes through the
// FilterManager, which saves it; changes made elsewhere (the filter bar) show here at once.

#include "ui/Palette.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>

class FilterManager;
class QLineEdit;
class QToolButton;
class QVBoxLayout;
class SettingsSection;
class SettingsSwitch;
class SymbolTable;

class FiltersSettingsPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int maximumNameLength = 40;

    FiltersSettingsPage(FilterManager &filters, const SymbolTable &symbols, std::function<Palette()> palette,
                        QWidget *parent = nullptr);

    QString title() const { return QStringLiteral("Filters"); }

    // The controls of one filter's row, for tests and keyboard users alike; null for an unknown id.
    SettingsSwitch *enabledSwitch(const QUuid &id) const;
    QLineEdit *nameField(const QUuid &id) const;
    QToolButton *moveUpButton(const QUuid &id) const;
    QToolButton *moveDownButton(const QUuid &id) const;
    QToolButton *deleteButton(const QUuid &id) const;
    // The filter ids in the order the rows show them.
    QList<QUuid> rowOrder() const;

    // What the row's controls do.
    void setFilterEnabled(const QUuid &id, bool enabled);
    // A name is trimmed; an empty name, or one longer than allowed, is refused and the field shows the old one.
    bool rename(const QUuid &id, const QString &name);
    void moveUp(const QUuid &id);
    void moveDown(const QUuid &id);
    bool remove(const QUuid &id);

private:
    struct Row {
        QWidget *widget = nullptr;
        // Draws the filter's symbol, kept in its "symbol" property.
        QWidget *symbol = nullptr;
        QWidget *builtInBadge = nullptr;
        SettingsSwitch *enabled = nullptr;
        QLineEdit *name = nullptr;
        QToolButton *up = nullptr;
        QToolButton *down = nullptr;
        QToolButton *remove = nullptr;
    };

    void rebuild();
    Row makeRow(const QUuid &id);
    qsizetype indexOf(const QUuid &id) const;

    QPointer<FilterManager> m_filters;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    SettingsSection *m_section = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QWidget *m_rowsHost = nullptr;
    QHash<QUuid, Row> m_rows;
    QList<QUuid> m_order;
};
