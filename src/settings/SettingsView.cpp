#include "settings/SettingsView.h"

#include "intelligence/ClipboardAIController.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"
#include "settings/FiltersSettingsPage.h"
#include "settings/SettingsPage.h"
#include "settings/SettingsSection.h"
#include "state/SystemStatus.h"
#include "ui/AccessibleItemList.h"
#include "ui/FontTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>

namespace {

constexpr int sidebarWidth = 210;

QString rgba(const QColor &color)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alpha());
}

// A line of state under a section's rows, kept up to date with `text`.
void addStateLine(SettingsSection *section, const QString &name, SystemStatus *status, std::function<QString()> text)
{
    auto *line = new QLabel(text());
    line->setObjectName(name);
    line->setWordWrap(true);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->setFont(FontTable::systemFont(12));
    line->setContentsMargins(16, 10, 16, 10);
    section->addWidget(line);
    QObject::connect(status, &SystemStatus::changed, line, [line, text] { line->setText(text()); });
}

SettingsPage *generalPage(SettingsStore &store, const std::function<Palette()> &palette, SystemStatus *status)
{
    auto *page = new SettingsPage(QStringLiteral("General"), store, palette);
    SettingsSection *look = page->addSection(QStringLiteral("Appearance"));
    page->addAccentColorPicker(look, QStringLiteral("Accent colour"),
                               QStringLiteral("Marks the chosen filter and the launcher's glow when something is copied."));
    SettingsSection *history = page->addSection(QStringLiteral("History"));
    page->addRetentionPicker(history, QStringLiteral("Keep history for"),
                             QStringLiteral("Older items are removed on their own. At most 5,000 items are kept."));
    page->addSwitch(
        history, QStringLiteral("Paste as plain text"),
        QStringLiteral("Copied and pasted text loses its fonts and colours. Images and files are kept as they are."),
        [](const UserSettingsData &s) { return s.pasteAsPlainText; },
        [](UserSettingsData &s, bool on) { s.pasteAsPlainText = on; });
    if (status)
        addStateLine(history, QStringLiteral("historyState"), status, [status] { return status->historyDescription(); });
    page->finish();
    return page;
}

SettingsPage *launcherPage(SettingsStore &store, const std::function<Palette()> &palette)
{
    auto *page = new SettingsPage(QStringLiteral("Launcher"), store, palette);
    SettingsSection *opening = page->addSection(QStringLiteral("Opening"));
    page->addSwitch(opening, QStringLiteral("Expand on hover"),
                    QStringLiteral("The launcher opens when the pointer rests at the top of the screen. "
                                   "When this is off, click there instead. Super+Shift+1 always opens it."),
                    [](const UserSettingsData &s) { return s.expandsOnHover(); },
                    [](UserSettingsData &s, bool on) { s.notchExpandOnHover = on; });
    page->addSwitch(opening, QStringLiteral("Compact window beside the pointer"),
                    QStringLiteral("Super + double-click anywhere opens a small launcher where you are."),
                    [](const UserSettingsData &s) { return s.fieldWindowEnabled; },
                    [](UserSettingsData &s, bool on) { s.fieldWindowEnabled = on; });
    page->finish();
    return page;
}

SettingsPage *intelligencePage(SettingsStore &store, const std::function<Palette()> &palette, ClipboardAIController *ai,
                               SystemStatus *status)
{
    auto *page = new SettingsPage(QStringLiteral("Intelligence"), store, palette);
    const bool onThisComputer = !status || status->modelIsOnThisComputer();
    SettingsSection *local = page->addSection(onThisComputer ? QStringLiteral("On this computer")
                                                             : QStringLiteral("Language model"));
    page->addSwitch(local, QStringLiteral("Local intelligence"),
                    onThisComputer
                        ? QStringLiteral("New items get a title, a summary and tags from a language model running on "
                                         "this computer, and text in images becomes searchable. Nothing leaves the "
                                         "computer.")
                        : QStringLiteral("New items get a title, a summary and tags from a language model, and text "
                                         "in images becomes searchable."),
                    [](const UserSettingsData &s) { return s.aiEnabled; },
                    [](UserSettingsData &s, bool on) { s.aiEnabled = on; });
    if (ai) {
        // Whether the model can answer, in words; the window reads it again each time it opens. While another
        // user's program holds the model's address, the line below says why nothing answers: this one would
        // only contradict it.
        auto *availability = new QLabel;
        availability->setObjectName(QStringLiteral("modelAvailability"));
        availability->setWordWrap(true);
        availability->setFont(FontTable::systemFont(12));
        availability->setContentsMargins(16, 10, 16, 10);
        local->addWidget(availability);
        const auto update = [availability, ai, status] {
            availability->setText(availabilityDescription(ai->availability()));
            availability->setHidden(status && status->modelAddressIsTaken());
        };
        update();
        QObject::connect(ai, &ClipboardAIController::availabilityChanged, availability, update);
        if (status)
            QObject::connect(status, &SystemStatus::changed, availability, update);
    }
    if (status)
        addStateLine(local, QStringLiteral("modelLocation"), status, [status] { return status->modelDescription(); });
    SettingsSection *fields = page->addSection(QStringLiteral("Text fields"));
    page->addSwitch(fields, QStringLiteral("Field suggestions"),
                    QStringLiteral("Super + double-click in a text field offers the values used there before. "
                                   "Needs local intelligence."),
                    [](const UserSettingsData &s) { return s.fieldSuggestionsEnabled; },
                    [](UserSettingsData &s, bool on) { s.fieldSuggestionsEnabled = on; },
                    [](const UserSettingsData &s) { return s.aiEnabled; });
    if (status)
        addStateLine(fields, QStringLiteral("fieldValuesState"), status, [status] { return status->secretStoreDescription(); });
    page->addSwitch(fields, QStringLiteral("Clear the field before typing a value"),
                    QStringLiteral("In a one-line field, a chosen value replaces the field's text instead of being "
                                   "added to it; in a text of several lines it goes in at the caret."),
                    [](const UserSettingsData &s) { return s.clearFieldBeforePaste; },
                    [](UserSettingsData &s, bool on) { s.clearFieldBeforePaste = on; });
    page->finish();
    return page;
}

} // namespace

SettingsView::SettingsView(SettingsStore &settings, FilterManager &filters, const Platform &platform,
                           ClipboardAIController *ai, SystemStatus *status, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_platform(platform)
{
    // Qt keeps one factory list for the process; this adds the lists' to it once.
    static const bool factoryInstalled = (QAccessible::installFactory(AccessibleItemList::factory), true);
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("settingsView"));
    const auto palette = [this] { return this->palette(); };
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *sidebar = new QWidget(this);
    sidebar->setFixedWidth(sidebarWidth);
    auto *sidebarLayout = new QVBoxLayout(sidebar);
    sidebarLayout->setContentsMargins(14, 22, 14, 16);
    sidebarLayout->setSpacing(14);
    auto *name = new QLabel(QStringLiteral("Tavlen"), sidebar);
    name->setFont(FontTable::systemFont(15, QFont::Bold));
    name->setContentsMargins(8, 0, 0, 0);
    sidebarLayout->addWidget(name);
    m_sidebar = new QListWidget(sidebar);
    m_sidebar->setFont(FontTable::systemFont(13, QFont::Medium));
    m_sidebar->setIconSize(QSize(16, 16));
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setAccessibleName(QStringLiteral("Settings pages"));
    sidebarLayout->addWidget(m_sidebar, 1);
    layout->addWidget(sidebar);

    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages, 1);

    addPage(QStringLiteral("gearshape"), QStringLiteral("General"), generalPage(settings, palette, status));
    addPage(QStringLiteral("keyboard"), QStringLiteral("Launcher"), launcherPage(settings, palette));
    m_filtersPage = new FiltersSettingsPage(filters, m_symbols, palette);
    addPage(QStringLiteral("line.3.horizontal.decrease"), m_filtersPage->title(), m_filtersPage);
    addPage(QStringLiteral("sparkles"), QStringLiteral("Intelligence"), intelligencePage(settings, palette, ai, status));

    connect(m_sidebar, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);
    // A click below the pages or a Control-click clears the list's selection; the page shown stays marked.
    connect(m_sidebar, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_sidebar->selectedItems().isEmpty() && m_sidebar->currentItem())
            m_sidebar->currentItem()->setSelected(true);
    });
    m_sidebar->setCurrentRow(0);
    applyPalette();
    if (m_platform.appearance)
        connect(m_platform.appearance, &Appearance::changed, this, &SettingsView::applyPalette);
    connect(&settings, &SettingsStore::settingsChanged, this, &SettingsView::applyPalette);
}

Palette SettingsView::palette() const
{
    return Palette::from(m_platform.appearance, color(m_settings.settings().accentColor));
}

void SettingsView::addPage(const QString &symbol, const QString &title, QWidget *page)
{
    auto *scroll = new QScrollArea(m_pages);
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setProperty("pageTitle", title);
    m_pages->addWidget(scroll);
    auto *item = new QListWidgetItem(title, m_sidebar);
    item->setData(Qt::AccessibleTextRole, title);
    m_symbolNames.append(symbol);
}

QStringList SettingsView::pageTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_sidebar->count(); ++i)
        titles.append(m_sidebar->item(i)->text());
    return titles;
}

void SettingsView::showPage(const QString &title)
{
    const int index = int(pageTitles().indexOf(title));
    if (index >= 0)
        m_sidebar->setCurrentRow(index);
}

QString SettingsView::currentPageTitle() const
{
    return m_sidebar->currentItem() ? m_sidebar->currentItem()->text() : QString();
}

QWidget *SettingsView::page(const QString &title) const
{
    const int index = int(pageTitles().indexOf(title));
    auto *scroll = qobject_cast<QScrollArea *>(m_pages->widget(index));
    return scroll ? scroll->widget() : nullptr;
}

void SettingsView::applyPalette()
{
    const Palette colors = palette();
    const bool dark = colors.isDark();
    const double ratio = devicePixelRatioF();
    for (int i = 0; i < m_sidebar->count(); ++i) {
        QIcon icon;
        icon.addPixmap(m_symbols.pixmap(m_symbolNames.value(i), 16, colors.accent, ratio), QIcon::Normal);
        icon.addPixmap(m_symbols.pixmap(m_symbolNames.value(i), 16, Qt::white, ratio), QIcon::Selected);
        m_sidebar->item(i)->setIcon(icon);
    }
    const QColor field = dark ? Palette::white(0.07) : Palette::black(0.04);
    const QColor stroke = dark ? Palette::white(0.14) : Palette::black(0.14);
    setStyleSheet(QStringLiteral(
        "QLabel { color: %1; }"
        "QLabel[role=\"secondary\"] { color: %2; }"
        "QLabel:disabled, QLabel[role=\"secondary\"]:disabled { color: %6; }"
        "QComboBox QAbstractItemView { background: %7; color: %1; selection-background-color: %3;"
        "  selection-color: white; border: 1px solid %4; outline: 0; }"
        "QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"
        "QListWidget { background: transparent; color: %1; outline: 0; }"
        "QListWidget::item { padding: 7px 8px; border-radius: 7px; margin: 1px 0; }"
        "QListWidget::item:hover:!selected { background: %5; }"
        "QListWidget::item:selected { background: %3; color: white; }"
        "QLineEdit { background: transparent; color: %1; border: 1px solid transparent; border-radius: 6px;"
        "  padding: 3px 6px; selection-background-color: %3; }"
        "QLineEdit:hover { border-color: %4; }"
        "QLineEdit:focus { border-color: %3; background: %5; }"
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 4px 2px 4px 0; }"
        "QScrollBar::handle:vertical { background: %4; border-radius: 4px; min-height: 32px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
                      .arg(rgba(colors.primary()), rgba(colors.secondary()), rgba(colors.accent), rgba(stroke),
                           rgba(field), rgba(colors.tertiary()),
                           rgba(dark ? QColor(44, 44, 46) : QColor(Qt::white))));
    QPalette widgets = QWidget::palette();
    widgets.setColor(QPalette::Window, colors.windowBackground());
    widgets.setColor(QPalette::WindowText, colors.primary());
    widgets.setColor(QPalette::Base, dark ? QColor(44, 44, 46) : QColor(Qt::white));
    widgets.setColor(QPalette::AlternateBase, dark ? QColor(50, 50, 52) : QColor(240, 240, 244));
    widgets.setColor(QPalette::Text, colors.primary());
    widgets.setColor(QPalette::Button, dark ? QColor(58, 58, 60) : QColor(Qt::white));
    widgets.setColor(QPalette::ButtonText, colors.primary());
    widgets.setColor(QPalette::Highlight, colors.accent);
    widgets.setColor(QPalette::HighlightedText, Qt::white);
    widgets.setColor(QPalette::PlaceholderText, colors.tertiary());
    QWidget::setPalette(widgets);
    update();
}

void SettingsView::paintEvent(QPaintEvent *)
{
    const bool dark = palette().isDark();
    QPainter painter(this);
    painter.fillRect(rect(), palette().windowBackground());
    painter.fillRect(QRect(0, 0, sidebarWidth, height()), dark ? QColor(40, 40, 43) : QColor(234, 234, 238));
    painter.fillRect(QRectF(sidebarWidth - 0.5, 0, 1, height()), dark ? Palette::white(0.08) : Palette::black(0.08));
}
