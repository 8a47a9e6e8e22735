#pragma once
// A one-line label that never asks for more width than it is given: its text is cut with an ellipsis to
// fit, so a title of any length cannot widen the window that shows it.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    // The whole text; what shows is as much of its first line as fits.
    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateShownText();

    QString m_fullText;
};
