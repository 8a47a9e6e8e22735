#pragma once
// Scripted permissions: what is granted now and what a prompt would answer. Both are granted by default,
// as on a usual Linux desktop; refusal tests turn them off.

#include "platform/Permissions.h"

class SimPermissions : public Permissions {
    Q_OBJECT
public:
    using Permissions::Permissions;

    bool isTrusted() const override { return trusted; }
    bool canPostEvents() const override { return postEvents; }
    bool requestTrust() override;
    bool requestEventPosting() override;
    bool openAccessibilitySettings() override;

    bool trusted = true;
    bool postEvents = true;
    // What the user answers when asked.
    bool trustPromptGrants = false;
    bool postingPromptGrants = false;
    // Whether there is a settings tool to open.
    bool hasSettings = true;

    int trustRequests = 0;
    int postingRequests = 0;
    int settingsOpened = 0;
};
