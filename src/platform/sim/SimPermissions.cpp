#include "platform/sim/SimPermissions.h"

bool SimPermissions::requestTrust()
{
    ++trustRequests;
    const bool before = trusted;
    trusted = trusted || trustPromptGrants;
    if (trusted != before)
        Q_EMIT changed();
    return trusted;
}

bool SimPermissions::requestEventPosting()
{
    ++postingRequests;
    const bool before = postEvents;
    postEvents = postEvents || postingPromptGrants;
    if (postEvents != before)
        Q_EMIT changed();
    return postEvents;
}

bool SimPermissions::openAccessibilitySettings()
{
    if (!hasSettings)
        return false;
    ++settingsOpened;
    return true;
}
