#pragma once
// The search bar's clear button as a widget of its own, so it has a tooltip and a screen reader finds and
// presses it. It draws nothing: the bar paints the symbol beneath it.

#include <QAbstractButton>

class NotchListSearchClearButton : public QAbstractButton {
    Q_OBJECT
public:
    static inline const QString label = QStringLiteral("Clear search");

    explicit NotchListSearchClearButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *) override {}
};
