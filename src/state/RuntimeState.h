#pragma once
// Run-time counters the views watch.

#include <QObject>

class RuntimeState : public QObject {
    Q_OBJECT
    Q_PROPERTY(int clipboardPulseToken READ clipboardPulseToken NOTIFY clipboardPulseTokenChanged)
    Q_PROPERTY(int settingsPresentationToken READ settingsPresentationToken NOTIFY settingsPresentationTokenChanged)
public:
    explicit RuntimeState(QObject *parent = nullptr);

    // Raised by one on every new capture, every paste and every typed field value; drives the logo pulse.
    int clipboardPulseToken() const { return m_clipboardPulseToken; }
    void raiseClipboardPulse();

    // A change asks the application to open the settings window and come to the front.
    int settingsPresentationToken() const { return m_settingsPresentationToken; }
    void requestSettingsPresentation();

Q_SIGNALS:
    void clipboardPulseTokenChanged(int token);
    void settingsPresentationTokenChanged(int token);

private:
    int m_clipboardPulseToken = 0;
    int m_settingsPresentationToken = 0;
};
