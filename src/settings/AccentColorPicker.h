#pragma once
// The accent colour setting: one round swatch per option (the desktop's own colour first), the chosen one
// ringed. Arrow keys move the choice when it has the focus.

#include "model/AccentColorOption.h"
#include "ui/Palette.h"

#include <QWidget>

#include <functional>

class AccentColorPicker : public QWidget {
    Q_OBJECT
public:
    static constexpr int swatchSize = 20;
    static constexpr int spacing = 10;

    explicit AccentColorPicker(std::function<Palette()> palette, QWidget *parent = nullptr);

    AccentColorOption value() const { return m_value; }
    // Shows `value` as chosen, without announcing it.
    void setValue(AccentColorOption value);
    // The option drawn at `position`, if any.
    std::optional<AccentColorOption> optionAt(QPoint position) const;
    QRect swatchRect(AccentColorOption option) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user chose another colour.
    void chosen(AccentColorOption value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(AccentColorOption value);

    std::function<Palette()> m_palette;
    AccentColorOption m_value = AccentColorOption::blue;
};
