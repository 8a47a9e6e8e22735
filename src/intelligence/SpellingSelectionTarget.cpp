#include "intelligence/SpellingSelectionTarget.h"

#include "platform/Accessibility.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityText.h"
#include "platform/Permissions.h"

bool SpellingSelectionTarget::sameText(const QString &a, const QString &b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

std::optional<AccessibilityTextRange> SpellingSelectionTarget::selectedTextRange(const AccessibilityElement &element)
{
    return element.attribute(AccessibilityAttribute::selectedTextRange).range();
}

std::optional<SpellingSelectionTarget> SpellingSelectionTarget::capture(const Platform &platform, const QString &expectedText)
{
    if (!platform.permissions || !platform.permissions->isTrusted() || !platform.workspace || !platform.accessibility)
        return std::nullopt;
    const std::optional<RunningApplication> front = platform.workspace->frontmostApplication();
    if (!front || front->pid <= 0 || platform.workspace->isCurrentApplication(*front))
        return std::nullopt;
    const AccessibilityElement application = platform.accessibility->applicationElement(front->pid);
    const std::optional<AccessibilityElement> element = application.attribute(AccessibilityAttribute::focusedElement).element();
    if (!element || element->isSecure())
        return std::nullopt;
    const std::optional<QString> selected = element->attribute(AccessibilityAttribute::selectedText).string();
    if (!selected || !sameText(*selected, expectedText))
        return std::nullopt;
    const std::optional<QString> value = element->attribute(AccessibilityAttribute::value).string();
    const std::optional<AccessibilityTextRange> range = selectedTextRange(*element);
    if (!value || !range)
        return std::nullopt;
    // The range must name the selected text within the value: a toolkit that counts offsets otherwise
    // would have the correction written over the wrong characters.
    const std::optional<QString> slice = AccessibilityText::slice(*value, *range);
    if (!slice || !sameText(*slice, *selected))
        return std::nullopt;
    if (!element->isTextEditable())
        return std::nullopt;
    return SpellingSelectionTarget{*element, *front, expectedText, *value, *range};
}

bool SpellingSelectionTarget::isUnchanged(const Platform &platform) const
{
    if (!platform.workspace || platform.workspace->isTerminated(application))
        return false;
    // The element itself, not the application's focus: once the review window has the keyboard, the other
    // application reports no focused element at all. A focus moved to another of its elements still counts.
    if (element.processIdentifier() != application.pid)
        return false;
    if (platform.accessibility) {
        const std::optional<AccessibilityElement> focused = platform.accessibility->applicationElement(application.pid)
                                                                .attribute(AccessibilityAttribute::focusedElement)
                                                                .element();
        if (focused && !(*focused == element))
            return false;
    }
    if (selectedTextRange(element) != originalRange)
        return false;
    const std::optional<QString> value = element.attribute(AccessibilityAttribute::value).string();
    if (!value || !sameText(*value, originalValue))
        return false;
    const std::optional<QString> selected = element.attribute(AccessibilityAttribute::selectedText).string();
    return selected && sameText(*selected, originalText);
}

SpellingSelectionTarget::Replacement SpellingSelectionTarget::replaceSelection(const QString &corrected,
                                                                               const Platform &platform) const
{
    if (!isUnchanged(platform))
        return Replacement::refused;
    const std::optional<QString> expected = AccessibilityText::replacing(originalValue, originalRange, corrected);
    if (!expected)
        return Replacement::refused;
    const bool written = element.replaceText(originalRange, corrected);
    const std::optional<QString> now = element.attribute(AccessibilityAttribute::value).string();
    if (written && now && *now == *expected) {
        if (platform.workspace)
            platform.workspace->activate(application);
        return Replacement::replaced;
    }
    // Refused before anything changed: nothing to put back.
    if (!written && now && *now == originalValue)
        return Replacement::refused;
    return restoreOriginal();
}

SpellingSelectionTarget::Replacement SpellingSelectionTarget::restoreOriginal() const
{
    const std::optional<QString> now = element.attribute(AccessibilityAttribute::value).string();
    if (!now)
        return Replacement::failedToRestore;
    if (*now == originalValue)
        return Replacement::restored;
    // What lies between the untouched text before and after the selection is what the write left there;
    // when even that is gone, the whole text goes back as it was.
    const QString before = AccessibilityText::slice(originalValue, {0, originalRange.location}).value_or(QString());
    const QString selected = AccessibilityText::slice(originalValue, originalRange).value_or(QString());
    const QString after = originalValue.mid(before.size() + selected.size());
    AccessibilityTextRange damaged{0, AccessibilityText::characterCount(*now)};
    QString replacement = originalValue;
    if (now->startsWith(before) && now->endsWith(after) && now->size() >= before.size() + after.size()) {
        damaged = {originalRange.location,
                   AccessibilityText::characterCount(now->mid(before.size(), now->size() - before.size() - after.size()))};
        replacement = selected;
    }
    element.replaceText(damaged, replacement);
    std::optional<QString> restored = element.attribute(AccessibilityAttribute::value).string();
    // A toolkit whose edits go wrong may still take its whole text at once.
    if (restored && *restored != originalValue) {
        element.replaceAllText(originalValue);
        restored = element.attribute(AccessibilityAttribute::value).string();
    }
    return restored && *restored == originalValue ? Replacement::restored : Replacement::failedToRestore;
}
