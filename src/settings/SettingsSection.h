#pragma once
// A titled group of settings on a rounded card: each row names a setting, says in a line what it does and
// holds its control on the trailing side. Text colours come from the window's style (SettingsView).

#include "ui/Palette.h"

#include <QWidget>

#include <functional>

class QLabel;
class QVBoxLayout;

class SettingsSection : public QWidget {
    Q_OBJECT
public:
    SettingsSection(const QString &title, std::function<Palette()> palette, QWidget *parent = nullptr);

    // Adds a row with `control` (owned by the row); answers the row, which a caller may disable as a whole.
    QWidget *addRow(const QString &title, const QString &description, QWidget *control);
    // Adds a widget that fills the card's width (a list).
    void addWidget(QWidget *widget);

private:
    std::function<Palette()> m_palette;
    QWidget *m_card = nullptr;
    QVBoxLayout *m_rows = nullptr;
};
