#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/SystemClock.h"

LinuxPlatform::LinuxPlatform(QObject *parent)
    : QObject(parent)
{
    // Backends are children of this object, so they live exactly as long as the platform.
    m_platform.clock = new SystemClock(this);
}

LinuxPlatform::~LinuxPlatform() = default;
