#include "platform/sim/SimPlatform.h"

SimPlatform::SimPlatform() = default;
SimPlatform::~SimPlatform() = default;

Platform SimPlatform::platform()
{
    Platform p;
    p.clock = &clock;
    p.preferences = &preferences;
    p.storage = &storage;
    p.workspace = &workspace;
    p.permissions = &permissions;
    p.keyboard = &keyboard;
    p.beeper = &beeper;
    p.pasteboard = &pasteboard;
    p.panels = &panels;
    p.eventMonitors = &eventMonitors;
    p.screens = &screens;
    p.hotKeys = &hotKeys;
    p.desktopSwitchSignals = &desktopSwitchSignals;
    p.appearance = &appearance;
    p.accessibility = &accessibility;
    p.secrets = &secrets;
    p.languageModel = &languageModel;
    p.textRecognizer = &textRecognizer;
    p.primarySelection = &primarySelection;
    p.textServices = &textServices;
    p.notifications = &notifications;
    return p;
}
