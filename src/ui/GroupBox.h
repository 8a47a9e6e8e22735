#pragma once
// A titled group: a small title above a rounded, lightly filled box that holds one content widget,
// inset by a fixed margin, as the review and result windows frame their texts.

#include "ui/Palette.h"

#include <QWidget>

#include <functional>

class QLabel;

class GroupBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int contentInset = 8;
    static constexpr double cornerRadius = 8;

    GroupBox(const QString &title, std::function<Palette()> palette, QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    // The box takes `content` (a previous one is deleted).
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }
    // Follows the palette's colours (call when the colour scheme changes).
    void applyPalette();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF boxRect() const;

    std::function<Palette()> m_palette;
    QLabel *m_title = nullptr;
    QWidget *m_box = nullptr;
    QWidget *m_content = nullptr;
};
