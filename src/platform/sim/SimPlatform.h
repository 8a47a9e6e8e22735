#pragma once
// Every simulated backend in one place, for tests: `SimPlatform sim; sim.clock.advance(0.5);`.
// Each backend is a public member so a test can script it; platform() hands the interfaces on.

#include "platform/Platform.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimEventMonitors.h"
#include "platform/sim/SimPanelFactory.h"

#include <QTemporaryDir>

class SimPlatform {
public:
    SimPlatform();
    ~SimPlatform();

    Platform platform();

    SimClock clock;
    SimPanelFactory panels{clock};
    SimEventMonitors eventMonitors{clock};
    // (each simulated backend is added here as a member, constructed in SimPlatform.cpp)
};
