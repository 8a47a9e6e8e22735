#include "platform/sim/SimPermissions.h"

bool SimPermissions::requestTrust()
{
    ++trustRequests;
    trusted = trusted || trustPromptGrants;
    return trusted;
}

bool SimPermissions::requestEventPosting()
{
    ++postingRequests;
    postEvents = postEvents || postingPromptGrants;
    return postEvents;
}

bool SimPermissions::openAccessibilitySettings()
{
    if (!hasSettings)
        return false;
    ++settingsOpened;
    return true;
}
