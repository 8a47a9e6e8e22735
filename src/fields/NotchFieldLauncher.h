#pragma once
// What the field value engine needs of the launcher windows: the compact window (or the launcher) opened
// for a paste target, a field's suggestions shown, and every window collapsed or emptied of its field
// context. The launcher service implements it; points and frames are in the global screen space.

#include "clipboard/ClipboardPasteTarget.h"
#include "fields/views/NotchAIContext.h"
#include "model/NotchLauncherListKind.h"

#include <QPointF>
#include <QRectF>

#include <optional>

class NotchFieldLauncher {
public:
    virtual ~NotchFieldLauncher() = default;

    // With a point and the compact window enabled, the compact window of the screen under the point
    // opens there (beside `anchor`, the field's frame, when given) with the paste target; otherwise the
    // demo window or the launcher of the screen under the point (the pointer without one) opens.
    virtual void openLauncher(NotchLauncherListKind list, std::optional<QPointF> at, std::optional<QRectF> anchor,
                              std::optional<ClipboardPasteTarget> pasteTarget) = 0;
    // Shows a field's suggestion context with the list: in the compact window of the screen under `point`
    // when the compact window is enabled and the field's frame is known, else in the demo window or the
    // launcher of that screen; nothing when there is none. A window already open keeps its place and
    // target when the launcher itself asked (`pointGiven` false).
    virtual void presentFieldContext(const NotchAIContext &context, NotchLauncherListKind list,
                                     const ClipboardPasteTarget &target, std::optional<QRectF> fieldFrame,
                                     QPointF point, bool pointGiven) = 0;
    // Collapses and empties every window that shows a field context.
    virtual void clearAIContexts() = 0;
    virtual void collapseAllExpanded() = 0;
};
