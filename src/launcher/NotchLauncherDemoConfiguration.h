#pragma once
// The onboarding demo's take-over of a launcher window: the sample items it shows and where the user's
// choices go instead of the paste service and the field value engine.

#include "fields/FocusedFieldSuggestion.h"
#include "model/ClipboardItem.h"
#include "model/NotchLauncherListKind.h"

#include <QList>
#include <QString>

#include <functional>

struct NotchLauncherDemoConfiguration {
    QList<ClipboardItem> clipboardItems;
    std::function<void(const ClipboardItem &)> onClipboardItemSelect;
    std::function<void(const ClipboardItem &)> onClipboardPreview;
    std::function<void(const FocusedFieldSuggestion &)> onAISuggestionSelect;
    std::function<void(NotchLauncherListKind)> onListKindSelect;
    std::function<void(const QString &)> onSearch;
    std::function<void()> onSettingsOpen;
    // Carried for the demo; the window never calls it.
    std::function<void()> onClipboardPreviewClose;
};
