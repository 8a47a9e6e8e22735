#pragma once
// A capsule button with a symbol and a title, as in the launcher's filter bar: filled with the user's
// accent colour while selected, bolder when emphasized ("All"), dimmed and a little smaller while it is
// being dragged. Its tooltip is its title and its object name "filter" followed by the title, by which
// tests and accessibility tools find it.

#include "ui/Palette.h"

#include <QAbstractButton>

#include <functional>

class SymbolTable;

class FilterPill : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int pillHeight = 28;
    static constexpr int horizontalPadding = 12;
    static constexpr int symbolSize = 13;
    static constexpr int symbolGap = 5;
    static constexpr double titleSize = 12;
    static constexpr double draggedScale = 0.98;
    static constexpr double draggedOpacity = 0.4;

    // `systemImage` is a symbol name; empty for none. `palette` is asked at every paint (its accent colour
    // fills a selected pill).
    FilterPill(const QString &title, const QString &systemImage, const SymbolTable &symbols,
               std::function<Palette()> palette, QWidget *parent = nullptr);

    QString title() const { return text(); }
    void setTitle(const QString &title);
    QString systemImage() const { return m_systemImage; }
    void setSystemImage(const QString &name);
    bool isSelected() const { return m_isSelected; }
    void setSelected(bool selected);
    bool isEmphasized() const { return m_isEmphasized; }
    void setEmphasized(bool emphasized);
    // How far the pill shows as dragged: 0 not at all, 1 fully (0.98 scale, 0.4 opacity).
    double draggedAmount() const { return m_draggedAmount; }
    void setDraggedAmount(double amount);

    // Runs on every click.
    std::function<void()> action;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void nextCheckState() override {}

private:
    QFont titleFont() const;

    QString m_systemImage;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    bool m_isSelected = false;
    bool m_isEmphasized = false;
    double m_draggedAmount = 0;
    bool m_isHovered = false;
};
