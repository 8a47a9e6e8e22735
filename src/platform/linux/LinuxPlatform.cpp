#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/SettingsFilePreferences.h"
#include "platform/linux/LinuxBeeper.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/LinuxKeyboardOutput.h"
#include "platform/linux/LinuxPanelFactory.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgStorageLocations.h"

LinuxPlatform::LinuxPlatform(QObject *parent)
    : QObject(parent)
{
    // Backends are children of this object, so they live exactly as long as the platform.
    m_platform.clock = new SystemClock(this);
    m_platform.workspace = new LinuxWorkspace(this);
    m_platform.permissions = new LinuxPermissions(this);
    m_platform.keyboard = new LinuxKeyboardOutput(*m_platform.clock, this);
    m_platform.beeper = new LinuxBeeper(this);
    m_platform.pasteboard = new LinuxPasteboard(this);
    m_platform.panels = new LinuxPanelFactory(this);
    m_platform.eventMonitors = new LinuxEventMonitors(this);
    m_platform.storage = new XdgStorageLocations(this);
    m_platform.preferences = new SettingsFilePreferences(*m_platform.storage, this);
}

LinuxPlatform::~LinuxPlatform() = default;
