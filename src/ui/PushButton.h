#pragma once
// A push button drawn the way every Tavlen window draws its actions: `bordered` (a quiet rounded fill) or
// `borderedProminent` (filled with the accent colour, for the action a window leads to), optionally with a
// symbol before the title. Disabled buttons fade; the keyboard focus shows as an accent ring.

#include "ui/Palette.h"

#include <QAbstractButton>

#include <functional>

class SymbolTable;

class PushButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { bordered, borderedProminent };

    static constexpr int height = 28;
    static constexpr int horizontalPadding = 14;
    static constexpr int minimumWidth = 72;
    static constexpr int symbolSize = 14;

    // `palette` is asked at every paint; `symbols` may be null when no symbol is drawn.
    PushButton(const QString &title, Style style, std::function<Palette()> palette, QWidget *parent = nullptr);

    Style style() const { return m_style; }
    void setStyle(Style style);
    void setSymbol(const SymbolTable *symbols, const QString &name);
    void setTitle(const QString &title);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Style m_style;
    std::function<Palette()> m_palette;
    const SymbolTable *m_symbols = nullptr;
    QString m_symbol;
    bool m_isHovered = false;
};
