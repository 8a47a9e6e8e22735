#include "state/RuntimeState.h"

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
