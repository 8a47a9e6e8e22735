#pragma once
// Where a paste or a typed value goes: an application and, when one could be read, its focused field.

#include "model/FocusedFieldTarget.h"
#include "platform/Workspace.h"

#include <optional>

struct ClipboardPasteTarget {
    RunningApplication application;
    std::optional<FocusedFieldTarget> field;

    bool isEmpty() const { return !application.isValid(); }
    friend bool operator==(const ClipboardPasteTarget &, const ClipboardPasteTarget &) = default;
};
