#pragma once
// The frame around a list's search field: a magnifier, the caller's field (which keeps its own focus and
// keys), and a clear button while the query is not empty; 28 points high on a faint capsule. The onboarding
// tutorial can ring it in orange.

#include "ui/AnimatedValue.h"
#include "ui/Palette.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class NotchListSearchClearButton;
class SymbolTable;

class NotchListSearchBar : public QWidget {
    Q_OBJECT
public:
    static constexpr double barHeight = 28;
    static constexpr double horizontalPadding = 10;
    static constexpr double spacing = 6;
    static constexpr double iconSize = 12;
    static constexpr double cornerRadius = 14;

    // `searchField` becomes a child of the bar. `palette` is asked at every paint; `now` gives the clock.
    NotchListSearchBar(QWidget *searchField, const SymbolTable &symbols, std::function<Palette()> palette,
                       std::function<double()> now, QWidget *parent = nullptr);

    QWidget *searchField() const { return m_field; }
    // The query as the field shows it: decides the clear button.
    void setQuery(const QString &query);
    const QString &query() const { return m_query; }
    bool isClearButtonShown() const { return !m_query.isEmpty(); }
    QRectF clearButtonRect() const;
    NotchListSearchClearButton *clearButton() const { return m_clearButton; }
    void setTutorialHighlighted(bool highlighted);
    bool isTutorialHighlighted() const { return m_tutorialHighlighted; }
    // The clear button's action, also for tests: asks the owner to empty the query.
    void clear();

    QSize sizeHint() const override;

Q_SIGNALS:
    // The clear button was pressed: the owner sets the query to "".
    void clearRequested();
    // Something animates: the owner repaints on its next frame.
    void animating();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void layoutField();
    void applyTextColors(const Palette &palette);

    QPointer<QWidget> m_field;
    NotchListSearchClearButton *m_clearButton = nullptr;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
    std::function<double()> m_now;
    QString m_query;
    bool m_tutorialHighlighted = false;
    AnimatedValue m_outline;
};
