#include "launcher/NotchShortcutService.h"

#include "launcher/HotkeyHelper.h"
#include "launcher/NotchShortcutLauncher.h"
#include "platform/Screens.h"

NotchShortcutService::NotchShortcutService(NotchShortcutLauncher &launcher, Screens &screens, QObject *parent)
    : QObject(parent)
    , m_launcher(launcher)
    , m_screens(screens)
{
}

NotchShortcutService::~NotchShortcutService() = default;

bool NotchShortcutService::registerClipboardHotKey(HotKeys &hotKeys, Clock &clock)
{
    QPointer<NotchShortcutService> self(this);
    m_clipboardHotKey = std::make_unique<HotkeyHelper>(hotKeys, clock, clipboardHotKeyID, [self] {
        if (self)
            self->handleHotKey();
    });
    return m_clipboardHotKey->registerHotKey(clipboardHotKeyKeysym, clipboardHotKeyModifiers);
}

void NotchShortcutService::handleHotKey()
{
    // Out of the key handler: the launcher opens on a later turn, and not at all once we are gone.
    QMetaObject::invokeMethod(this, &NotchShortcutService::showUnderPointer, Qt::QueuedConnection);
}

void NotchShortcutService::showUnderPointer()
{
    m_launcher.prepareDesktopSwitchMonitor();
    m_launcher.showClipboardLauncher(m_screens.pointerLocation());
}

void NotchShortcutService::stop()
{
    if (m_clipboardHotKey)
        m_clipboardHotKey->unregisterHotKey();
    m_clipboardHotKey.reset();
}
