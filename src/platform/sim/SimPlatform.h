#pragma once
// Every simulated backend in one place, for tests: `SimPlatform sim; sim.clock.advance(0.5);`.
// Each backend is a public member so a test can script it; platform() hands the interfaces on.

#include "platform/Platform.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimBeeper.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimEventMonitors.h"
#include "platform/sim/SimPanelFactory.h"
#include "platform/sim/SimKeyboardOutput.h"
#include "platform/sim/SimPasteboard.h"
#include "platform/sim/SimPermissions.h"
#include "platform/sim/SimWorkspace.h"
#include "platform/sim/SimPreferences.h"
#include "platform/sim/SimStorageLocations.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimSecretStore.h"
#include "platform/sim/SimHotKeys.h"
#include "platform/sim/SimDesktopSwitchSignals.h"
#include "platform/sim/SimAppearance.h"
#include "platform/sim/SimLanguageModel.h"
#include "platform/sim/SimTextRecognizer.h"
#include "platform/sim/SimPrimarySelection.h"
#include "platform/sim/SimTextServices.h"
#include "platform/sim/SimNotifications.h"

#include <QTemporaryDir>

class SimPlatform {
public:
    SimPlatform();
    ~SimPlatform();

    Platform platform();

    SimClock clock;
    SimPreferences preferences;
    SimStorageLocations storage;
    SimWorkspace workspace{clock};
    SimPermissions permissions;
    SimKeyboardOutput keyboard{clock, workspace};
    SimBeeper beeper;
    SimPasteboard pasteboard{clock};
    SimPanelFactory panels{clock};
    SimEventMonitors eventMonitors{clock};
    SimScreens screens;
    SimHotKeys hotKeys;
    SimDesktopSwitchSignals desktopSwitchSignals;
    SimAppearance appearance;
    SimAccessibility accessibility;
    SimSecretStore secrets;
    SimLanguageModel languageModel{clock};
    SimTextRecognizer textRecognizer{clock};
    SimPrimarySelection primarySelection;
    SimTextServices textServices;
    SimNotifications notifications;
    // (each simulated backend is added here as a member, constructed in SimPlatform.cpp)
};
