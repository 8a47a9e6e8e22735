#pragma once
// The settings record: every user setting in one value, stored as JSON and compared as a whole.

#include "model/AccentColorOption.h"
#include "model/LauncherPresentation.h"
#include "model/TintConfig.h"

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <optional>

struct UserSettingsData {
    static constexpr int currentSchemaVersion = 15;
    static constexpr int minimumRetentionDays = 1;
    static constexpr int maximumRetentionDays = 7;

    int schemaVersion = currentSchemaVersion;
    AccentColorOption accentColor = AccentColorOption::blue;
    // The three windows' tints: the launcher at the notch, the launcher as a window, the compact field window.
    TintConfig notchTint;
    TintConfig windowTint;
    TintConfig fieldWindowTint;
    // Acts both at capture (rich text is rewritten as plain text) and at paste.
    bool pasteAsPlainText = false;
    int clipboardHistoryRetentionDays = maximumRetentionDays;
    // On: hovering over the notch expands the launcher; off: a click does. None counts as on.
    std::optional<bool> notchExpandOnHover = true;
    LauncherPresentation launcherPresentation = LauncherPresentation::notch;
    // The compact window beside the pointer; also decides whether field windows are built.
    bool fieldWindowEnabled = true;
    bool clearFieldBeforePaste = true;
    bool aiEnabled = false;
    // Works only together with aiEnabled (see areFieldSuggestionsActive()).
    bool fieldSuggestionsEnabled = false;
    bool hasRequestedEventPostingPermission = false;

    bool expandsOnHover() const { return notchExpandOnHover.value_or(true); }
    bool areFieldSuggestionsActive() const { return aiEnabled && fieldSuggestionsEnabled; }

    QJsonObject toJsonObject() const;
    QByteArray toJson() const;
    // Missing keys take the fresh value and the schema version is always the current one. A key holding a
    // value of the wrong kind or out of its range (a retention outside 1...7) also takes the fresh value and
    // is named in `problems`. None when the text is not a JSON object at all.
    static std::optional<UserSettingsData> fromJson(const QByteArray &json, QStringList *problems = nullptr);
    static UserSettingsData fromJsonObject(const QJsonObject &object, QStringList *problems = nullptr);

    friend bool operator==(const UserSettingsData &, const UserSettingsData &) = default;
};
