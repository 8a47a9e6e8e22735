#include "settings/FiltersSettingsPage.h"

#include "model/FilterManager.h"
#include "settings/SettingsSection.h"
#include "settings/SettingsSwitch.h"
#include "ui/FontTable.h"
#include "ui/SymbolTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

// A square button showing one symbol, tinted for the scheme.
class SymbolButton : public QToolButton {
public:
    SymbolButton(const QString &symbol, const QString &help, const SymbolTable &symbols,
                 std::function<Palette()> palette, QWidget *parent)
        : QToolButton(parent)
        , m_symbol(symbol)
        , m_symbols(symbols)
        , m_palette(std::move(palette))
    {
        setToolTip(help);
        setAccessibleName(help);
        setFixedSize(26, 26);
        setCursor(Qt::PointingHandCursor);
        setAutoRaise(true);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const Palette palette = m_palette ? m_palette() : Palette();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!isEnabled())
            painter.setOpacity(0.3);
        if (underMouse() && isEnabled()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(palette.isDark() ? Palette::white(0.1) : Palette::black(0.07));
            painter.drawRoundedRect(QRectF(rect()), 6, 6);
        }
        m_symbols.draw(painter, m_symbol, QRectF(rect()).adjusted(6, 6, -6, -6), palette.secondary());
    }

private:
    QString m_symbol;
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
};

// The filter's symbol before its name.
class SymbolLabel : public QWidget {
public:
    SymbolLabel(const SymbolTable &symbols, std::function<Palette()> palette, QWidget *parent)
        : QWidget(parent)
        , m_symbols(symbols)
        , m_palette(std::move(palette))
    {
        setFixedSize(20, 20);
    }
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const Palette palette = m_palette ? m_palette() : Palette();
        m_symbols.draw(painter, property("symbol").toString(), QRectF(rect()).adjusted(2, 2, -2, -2),
                       palette.primary());
    }

private:
    const SymbolTable &m_symbols;
    std::function<Palette()> m_palette;
};

} // namespace

FiltersSettingsPage::FiltersSettingsPage(FilterManager &filters, const SymbolTable &symbols,
                                         std::function<Palette()> palette, QWidget *parent)
    : QWidget(parent)
    , m_filters(&filters)
    , m_symbols(symbols)
    , m_palette(std::move(palette))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 28, 32, 28);
    layout->setSpacing(22);
    auto *heading = new QLabel(title(), this);
    heading->setFont(FontTable::systemFont(22, QFont::Bold));
    layout->addWidget(heading);
    auto *intro = new QLabel(QStringLiteral("Filters narrow the launcher's list to one kind of item. Turned-on filters "
                                            "show as pills above the list, in this order; you can also drag the pills "
                                            "there to reorder them."),
                             this);
    intro->setWordWrap(true);
    intro->setFont(FontTable::systemFont(12));
    intro->setProperty("role", QStringLiteral("secondary"));
    layout->addWidget(intro);
    m_section = new SettingsSection(QString(), m_palette, this);
    m_rowsHost = new QWidget;
    m_rowsLayout = new QVBoxLayout(m_rowsHost);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_section->addWidget(m_rowsHost);
    layout->addWidget(m_section);
    layout->addStretch(1);
    connect(&filters, &FilterManager::filtersChanged, this, &FiltersSettingsPage::rebuild);
    rebuild();
}

qsizetype FiltersSettingsPage::indexOf(const QUuid &id) const
{
    if (!m_filters)
        return -1;
    const QList<ClipboardFilter> &filters = m_filters->filters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters.at(i).id == id)
            return i;
    return -1;
}

FiltersSettingsPage::Row FiltersSettingsPage::makeRow(const QUuid &id)
{
    Row row;
    row.widget = new QWidget(m_rowsHost);
    auto *layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(16, 8, 12, 8);
    layout->setSpacing(10);
    row.symbol = new SymbolLabel(m_symbols, m_palette, row.widget);
    layout->addWidget(row.symbol);
    row.name = new QLineEdit(row.widget);
    row.name->setFont(FontTable::systemFont(13, QFont::Medium));
    row.name->setMaxLength(maximumNameLength);
    row.name->setFrame(false);
    row.name->setAccessibleName(QStringLiteral("Filter name"));
    row.name->setMinimumWidth(180);
    layout->addWidget(row.name, 1);
    auto *builtIn = new QLabel(QStringLiteral("Built-in"), row.widget);
    builtIn->setFont(FontTable::systemFont(11, QFont::Medium));
    builtIn->setProperty("role", QStringLiteral("secondary"));
    layout->addWidget(builtIn);
    row.builtInBadge = builtIn;
    row.up = new SymbolButton(QStringLiteral("chevron.up"), QStringLiteral("Move up"), m_symbols, m_palette, row.widget);
    row.down = new SymbolButton(QStringLiteral("chevron.down"), QStringLiteral("Move down"), m_symbols, m_palette,
                                row.widget);
    row.remove = new SymbolButton(QStringLiteral("trash"), QStringLiteral("Delete filter"), m_symbols, m_palette,
                                  row.widget);
    layout->addWidget(row.up);
    layout->addWidget(row.down);
    layout->addWidget(row.remove);
    row.enabled = new SettingsSwitch(m_palette, row.widget);
    row.enabled->setAccessibleName(QStringLiteral("Show filter"));
    layout->addSpacing(6);
    layout->addWidget(row.enabled);

    connect(row.enabled, &SettingsSwitch::toggled, this, [this, id](bool on) { setFilterEnabled(id, on); });
    connect(row.name, &QLineEdit::editingFinished, this, [this, id, field = row.name] { rename(id, field->text()); });
    connect(row.up, &QToolButton::clicked, this, [this, id] { moveUp(id); });
    connect(row.down, &QToolButton::clicked, this, [this, id] { moveDown(id); });
    connect(row.remove, &QToolButton::clicked, this, [this, id] { remove(id); });
    return row;
}

void FiltersSettingsPage::rebuild()
{
    const QList<ClipboardFilter> filters = m_filters ? m_filters->filters() : QList<ClipboardFilter>();
    QHash<QUuid, Row> rows;
    QList<QUuid> order;
    // Rows are kept across changes, so the control in use keeps the keyboard focus.
    for (const ClipboardFilter &filter : filters) {
        Row row = m_rows.contains(filter.id) ? m_rows.take(filter.id) : makeRow(filter.id);
        m_rowsLayout->removeWidget(row.widget);
        m_rowsLayout->addWidget(row.widget);
        {
            const QSignalBlocker quiet(row.enabled);
            row.enabled->setChecked(filter.isEnabled);
        }
        if (!row.name->hasFocus() || row.name->text().isEmpty())
            row.name->setText(filter.name);
        row.symbol->setProperty("symbol", filter.options.iconName);
        row.symbol->update();
        row.builtInBadge->setVisible(filter.isBuiltIn);
        row.remove->setVisible(!filter.isBuiltIn);
        row.up->setEnabled(!order.isEmpty());
        row.down->setEnabled(order.size() < filters.size() - 1);
        rows.insert(filter.id, row);
        order.append(filter.id);
    }
    for (const Row &gone : std::as_const(m_rows))
        gone.widget->deleteLater();
    m_rows = rows;
    m_order = order;
    m_rowsHost->update();
}

SettingsSwitch *FiltersSettingsPage::enabledSwitch(const QUuid &id) const { return m_rows.value(id).enabled; }
QLineEdit *FiltersSettingsPage::nameField(const QUuid &id) const { return m_rows.value(id).name; }
QToolButton *FiltersSettingsPage::moveUpButton(const QUuid &id) const { return m_rows.value(id).up; }
QToolButton *FiltersSettingsPage::moveDownButton(const QUuid &id) const { return m_rows.value(id).down; }
QToolButton *FiltersSettingsPage::deleteButton(const QUuid &id) const { return m_rows.value(id).remove; }
QList<QUuid> FiltersSettingsPage::rowOrder() const { return m_order; }

void FiltersSettingsPage::setFilterEnabled(const QUuid &id, bool enabled)
{
    if (m_filters)
        m_filters->setFilterEnabled(id, enabled);
}

bool FiltersSettingsPage::rename(const QUuid &id, const QString &name)
{
    const std::optional<ClipboardFilter> filter = m_filters ? m_filters->filter(id) : std::nullopt;
    if (!filter)
        return false;
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > maximumNameLength) {
        if (QLineEdit *field = nameField(id))
            field->setText(filter->name);
        return false;
    }
    if (QLineEdit *field = nameField(id); field && field->text() != trimmed)
        field->setText(trimmed);
    if (trimmed == filter->name)
        return true;
    ClipboardFilter renamed = *filter;
    renamed.name = trimmed;
    return m_filters->updateFilter(renamed);
}

void FiltersSettingsPage::moveUp(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index > 0)
        m_filters->moveFilter(index, index - 1);
}

void FiltersSettingsPage::moveDown(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    // The list's move puts a filter before the position given, counted before it was taken out.
    if (index >= 0 && index < m_filters->filters().size() - 1)
        m_filters->moveFilter(index, index + 2);
}

bool FiltersSettingsPage::remove(const QUuid &id)
{
    return m_filters && m_filters->removeFilter(id);
}
