#include "settings/SettingsPage.h"

#include "model/SettingsStore.h"
#include "settings/AccentColorPicker.h"
#include "settings/SettingsSection.h"
#include "settings/SettingsSwitch.h"
#include "ui/FontTable.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>

namespace {

// A choice drawn in the window's own look (a rounded field with a chevron) in either colour scheme; its
// list is the toolkit's own.
class ChoiceBox : public QComboBox {
public:
    explicit ChoiceBox(std::function<Palette()> palette)
        : m_palette(std::move(palette))
    {
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        int widest = 0;
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
        return QSize(widest + 48, 28);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const Palette palette = m_palette ? m_palette() : Palette();
        const bool dark = palette.isDark();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(hasFocus() ? palette.accent : dark ? Palette::white(0.14) : Palette::black(0.14), 1));
        painter.setBrush(dark ? Palette::white(underMouse() ? 0.12 : 0.08) : QColor(Qt::white));
        painter.drawRoundedRect(box, 7, 7);
        painter.setPen(palette.primary());
        painter.setFont(font());
        painter.drawText(box.adjusted(10, 0, -26, 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());
        // A small chevron, drawn rather than taken from an icon so it follows the scheme exactly.
        const QPointF tip(box.right() - 14, box.center().y() + 2.5);
        painter.setPen(QPen(palette.secondary(), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({tip + QPointF(-4, -4.5), tip, tip + QPointF(4, -4.5)}));
    }

private:
    std::function<Palette()> m_palette;
};

} // namespace

SettingsPage::SettingsPage(const QString &title, SettingsStore &store, std::function<Palette()> palette,
                           QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_palette(std::move(palette))
    , m_title(title)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(32, 28, 32, 28);
    m_layout->setSpacing(22);
    auto *heading = new QLabel(title, this);
    heading->setFont(FontTable::systemFont(22, QFont::Bold));
    m_layout->addWidget(heading);
    connect(&store, &SettingsStore::settingsChanged, this, &SettingsPage::refresh);
}

SettingsSection *SettingsPage::addSection(const QString &title)
{
    auto *section = new SettingsSection(title, m_palette, this);
    m_layout->addWidget(section);
    return section;
}

void SettingsPage::finish()
{
    m_layout->addStretch(1);
    refresh();
}

void SettingsPage::refresh()
{
    const UserSettingsData &settings = m_store.settings();
    for (const auto &refresher : std::as_const(m_refreshers))
        refresher(settings);
}

SettingsSwitch *SettingsPage::addSwitch(SettingsSection *section, const QString &title, const QString &description,
                                        Getter get, Setter set, Getter enabledWhen)
{
    auto *control = new SettingsSwitch(m_palette);
    QWidget *row = section->addRow(title, description, control);
    QPointer<QWidget> rowGuard(row);
    connect(control, &SettingsSwitch::toggled, this, [this, set](bool on) {
        m_store.update([&](UserSettingsData &settings) { set(settings, on); });
    });
    m_refreshers.append([control, rowGuard, get, enabledWhen](const UserSettingsData &settings) {
        const QSignalBlocker quiet(control);
        control->setChecked(get(settings));
        if (rowGuard && enabledWhen)
            rowGuard->setEnabled(enabledWhen(settings));
    });
    return control;
}

QComboBox *SettingsPage::addRetentionPicker(SettingsSection *section, const QString &title, const QString &description)
{
    auto *control = new ChoiceBox(m_palette);
    control->setFont(FontTable::systemFont(13));
    for (int days = UserSettingsData::minimumRetentionDays; days <= UserSettingsData::maximumRetentionDays; ++days)
        control->addItem(days == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(days), days);
    section->addRow(title, description, control);
    connect(control, &QComboBox::activated, this, [this, control](int index) {
        const int days = control->itemData(index).toInt();
        m_store.update([days](UserSettingsData &settings) { settings.clipboardHistoryRetentionDays = days; });
    });
    m_refreshers.append([control](const UserSettingsData &settings) {
        const QSignalBlocker quiet(control);
        control->setCurrentIndex(std::max(0, control->findData(settings.clipboardHistoryRetentionDays)));
    });
    return control;
}

AccentColorPicker *SettingsPage::addAccentColorPicker(SettingsSection *section, const QString &title,
                                                      const QString &description)
{
    auto *control = new AccentColorPicker(m_palette);
    section->addRow(title, description, control);
    connect(control, &AccentColorPicker::chosen, this, [this](AccentColorOption option) {
        m_store.update([option](UserSettingsData &settings) { settings.accentColor = option; });
    });
    m_refreshers.append([control](const UserSettingsData &settings) { control->setValue(settings.accentColor); });
    return control;
}
