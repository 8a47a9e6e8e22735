#include "ui/AlertView.h"

#include "ui/FontTable.h"
#include "ui/PushButton.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>

AlertView::AlertView(const QString &title, const QString &message, std::function<void()> onDismiss,
                                             std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_onDismiss(std::move(onDismiss))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    const Palette colors = palette();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 20, 22, 16);
    layout->setSpacing(8);
    m_title = new QLabel(title, this);
    m_title->setFont(FontTable::textStyle(TextStyle::headline, QFont::Bold));
    m_message = new QLabel(message, this);
    m_message->setFont(FontTable::textStyle(TextStyle::callout));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (const auto &[label, color] : {std::pair{m_title, colors.primary()}, std::pair{m_message, colors.secondary()}}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, color);
        label->setPalette(p);
    }
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    layout->addSpacing(8);
    m_ok = new PushButton(QStringLiteral("OK"), PushButton::Style::borderedProminent, std::move(palette), this);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
    connect(m_ok, &QAbstractButton::clicked, this, [this] { dismiss(); });
}

QString AlertView::title() const
{
    return m_title->text();
}

QString AlertView::message() const
{
    return m_message->text();
}

void AlertView::dismiss()
{
    if (const auto onDismiss = m_onDismiss)
        onDismiss();
}

QSize AlertView::sizeHint() const
{
    return QSize(width, layout()->heightForWidth(width));
}

void AlertView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}
