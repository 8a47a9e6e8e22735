#pragma once
// What the launcher asks of the field value engine: whether a field is focused, the field's suggestion
// context, and filling a suggestion or a clipboard item into a field. The launcher service holds its
// handler weakly (a QPointer), so the one conforming class is a QObject through this base.

#include "clipboard/ClipboardPasteTarget.h"
#include "fields/FocusedFieldSuggestion.h"
#include "model/ClipboardItem.h"
#include "model/FocusedFieldTarget.h"
#include "model/NotchLauncherListKind.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QPointF>

#include <optional>

class NotchAIActionHandling : public QObject {
    Q_OBJECT
public:
    // The frontmost other application has a focused, editable field that can be filled (and the feature
    // and both permissions are on).
    virtual bool hasFocusedField() = 0;
    // Reads the application's focused field, builds its suggestions, remembers it as the notch target and
    // puts the context into the launcher shown for that screen; nothing when the field cannot be read.
    virtual void requestAIContext(std::optional<RunningApplication> application,
                                  std::optional<FocusedFieldTarget> target, NotchLauncherListKind list,
                                  std::optional<QPointF> at) = 0;
    // The remembered field while it is still usable.
    virtual std::optional<FocusedFieldTarget> currentNotchTarget() = 0;
    // Refocuses the field and types the value into it.
    virtual void insertValue(const FocusedFieldSuggestion &suggestion, const FocusedFieldTarget &target) = 0;
    // Drops the launchers' field contexts and forgets the remembered field.
    virtual void clearNotchTarget() = 0;
    // Types the item's text into the target's field; answers whether it did.
    virtual bool handleClipboardItemSelect(const ClipboardItem &item, const ClipboardPasteTarget &target) = 0;

protected:
    using QObject::QObject;
};
