#include "launcher/panel/NotchHeaderEntrance.h"

NotchHeaderEntrance::Look NotchHeaderEntrance::look(bool isVisible, bool reduceMotion) const
{
    Look result;
    result.saturation = isVisible || !isEnabled ? 1 : 0;
    result.rotationDegrees = isEnabled && spins && isVisible && !reduceMotion ? -360 : 0;
    result.offsetX = isEnabled && !isVisible && !reduceMotion ? 30 : 0;
    result.opacity = isVisible ? 1 : (isEnabled ? 0 : 1);
    return result;
}

Animation NotchHeaderEntrance::animation(bool reduceMotion)
{
    return reduceMotion ? Animation::easeOut(0.16) : Animation::springWith(0.55, 1.0);
}
