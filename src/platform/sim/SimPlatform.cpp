#include "platform/sim/SimPlatform.h"

SimPlatform::SimPlatform() = default;
SimPlatform::~SimPlatform() = default;

Platform SimPlatform::platform()
{
    Platform p;
    p.clock = &clock;
    p.panels = &panels;
    p.eventMonitors = &eventMonitors;
    return p;
}
