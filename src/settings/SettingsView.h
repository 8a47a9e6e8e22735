#pragma once
// The content of the settings window: a sidebar of pages (General, Launcher, Filters, Intelligence) and the
// page chosen there. It draws in the desktop's colour scheme and the user's accent colour, following both
// as they change.

#include "platform/Platform.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QWidget>

class ClipboardAIController;
class FilterManager;
class FiltersSettingsPage;
class QListWidget;
class QStackedWidget;
class SettingsPage;
class SettingsStore;
class SystemStatus;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    // `ai`, when given, shows whether the local language model can be used; `status`, where the history is
    // kept and where the model answers from.
    SettingsView(SettingsStore &settings, FilterManager &filters, const Platform &platform,
                 ClipboardAIController *ai = nullptr, SystemStatus *status = nullptr, QWidget *parent = nullptr);

    Palette palette() const;
    // The page titles, in sidebar order.
    QStringList pageTitles() const;
    void showPage(const QString &title);
    QString currentPageTitle() const;
    // The page with `title`, as a widget; null when there is none.
    QWidget *page(const QString &title) const;
    FiltersSettingsPage *filtersPage() const { return m_filtersPage; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addPage(const QString &symbol, const QString &title, QWidget *page);
    void applyPalette();

    SettingsStore &m_settings;
    Platform m_platform;
    SymbolTable m_symbols;
    QListWidget *m_sidebar = nullptr;
    QStackedWidget *m_pages = nullptr;
    FiltersSettingsPage *m_filtersPage = nullptr;
    QStringList m_symbolNames;
};
