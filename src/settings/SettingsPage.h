#pragma once
// One page of the settings window: a heading and sections of rows whose controls are bound to the settings
// record. Changing a control writes through the SettingsStore (which saves and tells every observer, the
// launchers among them); a change of the record from anywhere (another control, say) updates the
// controls, and a control whose precondition is off is disabled with its row.

#include "model/UserSettingsData.h"
#include "ui/Palette.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class AccentColorPicker;
class QComboBox;
class QVBoxLayout;
class SettingsSection;
class SettingsStore;
class SettingsSwitch;

class SettingsPage : public QWidget {
    Q_OBJECT
public:
    using Getter = std::function<bool(const UserSettingsData &)>;
    using Setter = std::function<void(UserSettingsData &, bool)>;

    SettingsPage(const QString &title, SettingsStore &store, std::function<Palette()> palette,
                 QWidget *parent = nullptr);

    QString title() const { return m_title; }
    SettingsSection *addSection(const QString &title);
    // A switch showing `get` of the record and writing with `set`; disabled while `enabledWhen` is false.
    SettingsSwitch *addSwitch(SettingsSection *section, const QString &title, const QString &description,
                              Getter get, Setter set, Getter enabledWhen = {});
    // The history's retention, one to seven days.
    QComboBox *addRetentionPicker(SettingsSection *section, const QString &title, const QString &description);
    AccentColorPicker *addAccentColorPicker(SettingsSection *section, const QString &title,
                                            const QString &description);
    // Ends the page's content (what follows is empty space).
    void finish();

    // Shows the record as it is now.
    void refresh();

private:
    SettingsStore &m_store;
    std::function<Palette()> m_palette;
    QString m_title;
    QVBoxLayout *m_layout = nullptr;
    // Each control's way of showing the record.
    QList<std::function<void(const UserSettingsData &)>> m_refreshers;
};
