#pragma once
// What the global hot key needs of the launcher service: the desktop-switch listener made ready, and
// the launcher for a screen point shown with the clipboard list.

#include <QPointF>

class NotchShortcutLauncher {
public:
    virtual ~NotchShortcutLauncher() = default;
    // Creates the desktop-switch monitor when missing and installs its input listener when it has none.
    virtual void prepareDesktopSwitchMonitor() = 0;
    // Shows the demo window when one is alive, else the notch launcher of the screen under `point`
    // (never a compact field window), with the clipboard list; a demo configuration is told the list.
    // Does nothing when there is no such window.
    virtual void showClipboardLauncher(QPointF point) = 0;
};
