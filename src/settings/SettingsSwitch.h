#pragma once
// An on/off switch for one setting: a capsule track filled with the accent colour when on and a knob that
// slides to the on side. Keyboard: Space toggles it when it has the focus.

#include "ui/Palette.h"

#include <QAbstractButton>

#include <functional>

class SettingsSwitch : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr QSize trackSize{38, 22};

    explicit SettingsSwitch(std::function<Palette()> palette, QWidget *parent = nullptr);

    QSize sizeHint() const override { return trackSize; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<Palette()> m_palette;
};
