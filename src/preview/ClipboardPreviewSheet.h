#pragma once
// A sheet over the preview: it dims the whole preview and holds one content widget (a result sheet or an
// alert) on a card in its middle, following the preview's size. The content has the keyboard while it
// shows; presenting new content replaces the old.

#include "ui/Palette.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class ClipboardPreviewSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr int margin = 24;
    static constexpr double cornerRadius = 14;

    // Covers `host` (and follows its size); hidden until something is presented.
    ClipboardPreviewSheet(QWidget &host, std::function<Palette()> palette, double hostCornerRadius);

    // Takes `content`, sized to its size hint within the preview (at least its minimum size); `focus`
    // gets the keyboard (the content itself when null).
    void present(QWidget *content, QWidget *focus = nullptr);
    // Removes and deletes the content; nothing when none is presented.
    void dismiss();
    bool isPresented() const { return m_content != nullptr; }
    QWidget *content() const { return m_content; }
    QRect cardRect() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutContent();

    std::function<Palette()> m_palette;
    double m_hostCornerRadius;
    QPointer<QWidget> m_content;
};
