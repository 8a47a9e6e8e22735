#include "ui/GroupBox.h"

#include "ui/CornerPath.h"
#include "ui/FontTable.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

GroupBox::GroupBox(const QString &title, std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_palette(std::move(palette))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_title = new QLabel(title, this);
    m_title->setFont(FontTable::textStyle(TextStyle::subheadline, QFont::DemiBold));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setContentsMargins(2, 0, 0, 0);
    layout->addWidget(m_title);
    applyPalette();
}

QString GroupBox::title() const
{
    return m_title->text();
}

void GroupBox::setTitle(const QString &title)
{
    m_title->setText(title);
}

void GroupBox::setContent(QWidget *content)
{
    delete m_box;
    m_box = nullptr;
    m_content = content;
    if (!content)
        return;
    // The content sits inset in a frame of its own, around which the box is painted.
    m_box = new QWidget(this);
    auto *inset = new QVBoxLayout(m_box);
    inset->setContentsMargins(contentInset, contentInset, contentInset, contentInset);
    inset->addWidget(content);
    static_cast<QVBoxLayout *>(layout())->addWidget(m_box, 1);
}

void GroupBox::applyPalette()
{
    const Palette colors = m_palette ? m_palette() : Palette();
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, colors.secondary());
    m_title->setPalette(palette);
    update();
}

QRectF GroupBox::boxRect() const
{
    if (!m_box)
        return {};
    return QRectF(m_box->geometry()).adjusted(0.5, 0.5, -0.5, -0.5);
}

void GroupBox::paintEvent(QPaintEvent *)
{
    if (!m_box)
        return;
    const Palette colors = m_palette ? m_palette() : Palette();
    const bool dark = colors.isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath box = CornerPath::continuousRoundedRect(boxRect(), cornerRadius);
    painter.fillPath(box, dark ? Palette::white(0.05) : Palette::black(0.035));
    painter.setPen(QPen(dark ? Palette::white(0.08) : Palette::black(0.08), 1));
    painter.drawPath(box);
}
