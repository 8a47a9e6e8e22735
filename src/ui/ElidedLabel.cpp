#include "ui/ElidedLabel.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

// Nothing past this can show on one line of any screen: cut before measuring.
constexpr qsizetype maximumMeasuredCharacters = 1000;

} // namespace

ElidedLabel::ElidedLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    updateShownText();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return QSize(0, QLabel::minimumSizeHint().height());
}

QSize ElidedLabel::sizeHint() const
{
    return QSize(0, QLabel::sizeHint().height());
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateShownText();
}

void ElidedLabel::updateShownText()
{
    QString line = m_fullText.section(QLatin1Char('\n'), 0, 0).left(maximumMeasuredCharacters);
    const QString shown = fontMetrics().elidedText(line, Qt::ElideRight, std::max(contentsRect().width(), 0));
    if (shown != text())
        setText(shown);
}
