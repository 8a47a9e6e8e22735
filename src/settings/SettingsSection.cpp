#include "settings/SettingsSection.h"

#include "ui/CornerPath.h"
#include "ui/FontTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr double cardRadius = 10;

// Paints the card and the hairlines between its rows.
class SettingsCard : public QWidget {
public:
    SettingsCard(std::function<Palette()> palette, QWidget *parent)
        : QWidget(parent)
        , m_palette(std::move(palette))
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const Palette palette = m_palette ? m_palette() : Palette();
        const bool dark = palette.isDark();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const QPainterPath card = CornerPath::continuousRoundedRect(bounds, cardRadius);
        painter.fillPath(card, dark ? Palette::white(0.05) : QColor(Qt::white));
        painter.setPen(QPen(dark ? Palette::white(0.08) : Palette::black(0.08), 1));
        painter.drawPath(card);
        const QColor line = dark ? Palette::white(0.07) : Palette::black(0.07);
        const QObjectList rows = children();
        bool first = true;
        for (const QObject *child : rows) {
            const auto *row = qobject_cast<const QWidget *>(child);
            if (!row || !row->isVisible())
                continue;
            if (!first)
                painter.fillRect(QRectF(16, row->y() - 0.5, width() - 32, 1), line);
            first = false;
        }
    }

private:
    std::function<Palette()> m_palette;
};

} // namespace

SettingsSection::SettingsSection(const QString &title, std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_palette(std::move(palette))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (!title.isEmpty()) {
        auto *heading = new QLabel(title.toUpper(), this);
        QFont font = FontTable::systemFont(11, QFont::DemiBold);
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
        heading->setFont(font);
        heading->setProperty("role", QStringLiteral("secondary"));
        heading->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(heading);
    }
    m_card = new SettingsCard(m_palette, this);
    m_rows = new QVBoxLayout(m_card);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    layout->addWidget(m_card);
}

QWidget *SettingsSection::addRow(const QString &title, const QString &description, QWidget *control)
{
    auto *row = new QWidget(m_card);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(24);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto *titleLabel = new QLabel(title, row);
    titleLabel->setFont(FontTable::systemFont(13, QFont::Medium));
    texts->addWidget(titleLabel);
    if (!description.isEmpty()) {
        auto *descriptionLabel = new QLabel(description, row);
        descriptionLabel->setFont(FontTable::systemFont(11.5));
        descriptionLabel->setWordWrap(true);
        descriptionLabel->setProperty("role", QStringLiteral("secondary"));
        texts->addWidget(descriptionLabel);
    }
    layout->addLayout(texts, 1);
    control->setParent(row);
    layout->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(title);
    m_rows->addWidget(row);
    return row;
}

void SettingsSection::addWidget(QWidget *widget)
{
    widget->setParent(m_card);
    m_rows->addWidget(widget);
}
