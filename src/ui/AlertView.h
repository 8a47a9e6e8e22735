#pragma once
// A short alert: a title, a message and OK, on a sheet of the item preview or in a window of its own.
// Return and Escape answer it like OK.

#include "ui/Palette.h"

#include <QWidget>

#include <functional>

class PushButton;
class QLabel;

class AlertView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 380;

    AlertView(const QString &title, const QString &message, std::function<void()> onDismiss,
                          std::function<Palette()> palette, QWidget *parent = nullptr);

    QString title() const;
    QString message() const;
    PushButton *okButton() const { return m_ok; }
    void dismiss();

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::function<void()> m_onDismiss;
    QLabel *m_title = nullptr;
    QLabel *m_message = nullptr;
    PushButton *m_ok = nullptr;
};
