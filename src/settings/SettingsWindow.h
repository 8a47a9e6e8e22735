#pragma once
// The settings window: one ordinary window with the identifier "tavlen-settings", 920 x 620 points when it
// first opens. Opening it while it is open brings it to the front instead of making another. Closing it
// destroys it, so that nothing of it stays for a screen reader to find; the next opening builds it again
// where and as large as the user left it, on the page shown last.

#include "platform/Platform.h"

#include <QObject>
#include <QPointer>
#include <QSize>

class ClipboardAIController;
class FilterManager;
class SettingsStore;
class SettingsView;
class SystemStatus;

class SettingsWindow : public QObject {
    Q_OBJECT
public:
    static inline const QString identifier = QStringLiteral("tavlen-settings");
    static constexpr QSize defaultSize{920, 620};
    static constexpr QSize minimumSize{720, 480};

    // With `ai`, each opening reads the language model's availability again; with `status`, where the
    // history is kept and where the model answers from.
    SettingsWindow(SettingsStore &settings, FilterManager &filters, const Platform &platform,
                   ClipboardAIController *ai = nullptr, SystemStatus *status = nullptr, QObject *parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window (building it the first time), raises it over other windows and gives it the keyboard.
    void show();
    bool isOpen() const;
    // The window's content; null before the first show.
    SettingsView *view() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Forgets the view, keeping where it was and its page for the next one; answers the view.
    SettingsView *letGo();

    SettingsStore &m_settings;
    FilterManager &m_filters;
    Platform m_platform;
    QPointer<ClipboardAIController> m_ai;
    QPointer<SystemStatus> m_status;
    QPointer<SettingsView> m_view;
    // Where the closed window was, and its page.
    QByteArray m_geometry;
    QString m_page;
};
