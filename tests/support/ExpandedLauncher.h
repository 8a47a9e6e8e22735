#pragma once
// The launcher window that is open now, for desktop tests that open it by the hot key or the pointer.

#include "app/AppDelegate.h"
#include "launcher/NotchLauncherService.h"
#include "launcher/NotchLauncherWindow.h"

inline NotchLauncherWindow *expandedLauncher(AppDelegate &delegate)
{
    for (NotchLauncherWindow *window : delegate.launcherService()->windows())
        if (window->isExpanded())
            return window;
    return nullptr;
}
