#include "app/RuntimeState.h"

#include "launcher/NotchLauncherService.h"

RuntimeState::RuntimeState(QObject *parent)
    : QObject(parent)
{
}

void RuntimeState::raiseClipboardPulse()
{
    ++m_clipboardPulseToken;
    Q_EMIT clipboardPulseTokenChanged(m_clipboardPulseToken);
}

void RuntimeState::requestSettingsPresentation()
{
    ++m_settingsPresentationToken;
    Q_EMIT settingsPresentationTokenChanged(m_settingsPresentationToken);
}

NotchLauncherService *RuntimeState::notchLauncherService() const
{
    return m_notchLauncherService;
}

void RuntimeState::setNotchLauncherService(NotchLauncherService *service)
{
    m_notchLauncherService = service;
}
