#pragma once
// A small spinning indicator for work of unknown length, with an optional label beside it. It turns on
// the platform clock only while it is visible, so hidden indicators cost nothing.

#include "ui/Palette.h"

#include <QWidget>

#include <functional>

class Clock;
class FrameTicker;

class ActivityIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int diameter = 16;
    static constexpr int spokes = 8;
    // Seconds per turn.
    static constexpr double period = 0.8;

    ActivityIndicator(Clock &clock, std::function<Palette()> palette, QWidget *parent = nullptr);
    ~ActivityIndicator() override;

    QString label() const { return m_label; }
    void setLabel(const QString &label);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void frame();

    Clock &m_clock;
    std::function<Palette()> m_palette;
    FrameTicker *m_ticker = nullptr;
    QString m_label;
};
