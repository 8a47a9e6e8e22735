#pragma once
// Where a selected text lives in another application, taken through accessibility when a spelling check
// starts (the element, its whole text, the selected range and text), and the one way a correction goes
// back there: only when none of that changed meanwhile, and checked by reading the element back, so the
// person's text is never left half-replaced.

#include "platform/AccessibilityElement.h"
#include "platform/AccessibilityValue.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

#include <QString>

#include <optional>

class SpellingSelectionTarget {
public:
    enum class Replacement {
        replaced,         // the element holds the correction in place of the selection
        refused,          // the application, the element, its text or its selection changed: nothing written
        restored,         // the element did not take the correction as written; its text was put back
        failedToRestore,  // as restored, but the original text could not be put back either
    };

    AccessibilityElement element;
    RunningApplication application;
    QString originalText;
    QString originalValue;
    AccessibilityTextRange originalRange;

    // The selection of the frontmost other application's focused element when it is `expectedText` and
    // can be written; none otherwise (no accessibility, Tavlen in front, a password field, another
    // selection, a read-only element...). Never asks for permissions.
    static std::optional<SpellingSelectionTarget> capture(const Platform &platform, const QString &expectedText);
    static std::optional<AccessibilityTextRange> selectedTextRange(const AccessibilityElement &element);

    // Writes `corrected` over the captured selection, reads the element back and puts the original text
    // back when the element does not hold what was written. On success the application comes to the front.
    Replacement replaceSelection(const QString &corrected, const Platform &platform) const;

    // Texts compared as people read them (canonically equivalent forms are equal).
    static bool sameText(const QString &a, const QString &b);

private:
    // Whether the element and its application are still the ones captured, unchanged.
    bool isUnchanged(const Platform &platform) const;
    Replacement restoreOriginal() const;
};
