#pragma once
// What the launcher asks of the field value engine: whether a field is focused, the field's suggestion
// context, and filling a suggestion or a clipboard item into a field. The launcher service holds its
// handler weakly (a QPointer), so the one conforming class is a QObject through this base.

#include "clipboard/ClipboardPasteTarget.h"
#include "fields/FocusedFieldSuggestion.h"
#include "model/ClipboardItem.h"
#include "model/FocusedFieldTarget.h"
#include "model/NotchLauncherListKind.h"
#include "platform/Task.h"
#include "platform/Workspace.h"

#include <QObject>
#include <QPointF>
#include <QRectF>

#include <optional>

class NotchAIActionHandling : public QObject {
    Q_OBJECT
public:
    // The field the value-history pane was last opened for, while it is still usable.
    struct NotchTarget {
        RunningApplication application;
        FocusedFieldTarget field;
        // Accessibility space: points, origin at the primary screen's top left, y down.
        QRectF frame;
    };

    // The frontmost other application has a focused, editable field that can be filled (and the feature
    // and both permissions are on).
    virtual bool hasFocusedField() = 0;
    // Reads the application's focused field (or takes the given one), builds its suggestions, remembers it
    // as the notch target and opens the launcher for that screen with them; beeps when it cannot.
    // `at` is where the pointer was, in the global screen space.
    virtual void requestAIContext(std::optional<RunningApplication> application,
                                  std::optional<FocusedFieldTarget> target, NotchLauncherListKind list,
                                  std::optional<QPointF> at) = 0;
    virtual std::optional<NotchTarget> currentNotchTarget() = 0;
    // Drops the launchers' field contexts and forgets the notch target.
    virtual void clearNotchTarget() = 0;
    // Starts putting the value into the field (refocused first); false when it cannot even start.
    virtual bool insertValue(const FocusedFieldSuggestion &suggestion, const FocusedFieldTarget &target,
                             const RunningApplication &application, const QRectF &frame) = 0;
#ifndef Q_MOC_RUN
    // Types the item's text into the target's field. True once the text is in the field, and also when
    // it could not be completed after typing had begun (a paste must not repeat it); false when nothing
    // was typed and the launcher may paste the item its usual way.
    virtual Task<bool> handleClipboardItemSelect(ClipboardItem item, ClipboardPasteTarget target) = 0;
#endif

protected:
    using QObject::QObject;
};
