#pragma once
// Every simulated backend in one place, for tests: `SimPlatform sim; sim.clock.advance(0.5);`.
// Each backend is a public member so a test can script it; platform() hands the interfaces on.

#include "platform/Platform.h"
#include "platform/sim/SimClock.h"

#include <QTemporaryDir>

class SimPlatform {
public:
    SimPlatform();
    ~SimPlatform();

    Platform platform();

    SimClock clock;
    // (each simulated backend is added here as a member, constructed in SimPlatform.cpp)
};
