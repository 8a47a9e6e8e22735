#pragma once
// The platform services the program runs on, chosen once at start-up: the Linux desktop or the
// simulation used by tests. Feature code receives the pieces it needs from here by reference.

class Clock;
class Preferences;
class StorageLocations;
class Pasteboard;
class Workspace;
class Permissions;
class KeyboardOutput;
class Beeper;
class Screens;
class PanelFactory;
class EventMonitors;
class HotKeys;
class DesktopSwitchSignals;
class Appearance;
class Accessibility;
class SecretStore;
class LanguageModel;
class TextRecognizer;
class PrimarySelection;
class TextServices;
class Notifications;

struct Platform {
    Clock *clock = nullptr;
    Preferences *preferences = nullptr;
    StorageLocations *storage = nullptr;
    Pasteboard *pasteboard = nullptr;
    Workspace *workspace = nullptr;
    Permissions *permissions = nullptr;
    KeyboardOutput *keyboard = nullptr;
    Beeper *beeper = nullptr;
    Screens *screens = nullptr;
    PanelFactory *panels = nullptr;
    EventMonitors *eventMonitors = nullptr;
    HotKeys *hotKeys = nullptr;
    DesktopSwitchSignals *desktopSwitchSignals = nullptr;
    Appearance *appearance = nullptr;
    Accessibility *accessibility = nullptr;
    SecretStore *secrets = nullptr;
    LanguageModel *languageModel = nullptr;
    TextRecognizer *textRecognizer = nullptr;
    PrimarySelection *primarySelection = nullptr;
    TextServices *textServices = nullptr;
    Notifications *notifications = nullptr;
};
