#include "app/SpellingCheckRequest.h"

#include "intelligence/ClipboardAIError.h"
#include "intelligence/SpellingServiceProvider.h"
#include "platform/Accessibility.h"
#include "platform/AccessibilityAttribute.h"
#include "platform/AccessibilityValue.h"
#include "platform/PrimarySelection.h"
#include "platform/TextServices.h"
#include "platform/Workspace.h"

Task<std::variant<SpellingCheckRequest::Selection, QString>> SpellingCheckRequest::readSelection(Platform platform)
{
    // The focused field of the application in front, when it tells its selection.
    const std::optional<RunningApplication> front = platform.workspace ? platform.workspace->frontmostApplication()
                                                                       : std::nullopt;
    if (front && front->pid > 0 && !platform.workspace->isCurrentApplication(*front) && platform.accessibility
        && platform.accessibility->isAvailable()) {
        const std::optional<AccessibilityElement> field = platform.accessibility->applicationElement(front->pid)
                                                              .attribute(AccessibilityAttribute::focusedElement)
                                                              .element();
        if (field && field->isSecure())
            co_return passwordFieldMessage;
        const std::optional<QString> selected
            = field ? field->attribute(AccessibilityAttribute::selectedText).string() : std::nullopt;
        if (selected && !selected->isEmpty()) {
            if (selected->toUtf8().size() > maximumSelectionBytes)
                co_return ClipboardAIError::selectionTooLong().localizedDescription();
            co_return Selection{Selection::Source::field, *selected};
        }
    }
    // Otherwise the text selected last anywhere (terminals and other applications that tell nothing).
    if (!platform.primarySelection)
        co_return SpellingServiceProvider::noTextMessage;
    const std::optional<PasteboardRead> read = co_await platform.primarySelection->readText(maximumSelectionBytes);
    if (!read)
        co_return SpellingServiceProvider::noTextMessage;
    if (read->status == PasteboardRead::Status::overLimit)
        co_return ClipboardAIError::selectionTooLong().localizedDescription();
    const QString text = read->status == PasteboardRead::Status::data ? QString::fromUtf8(read->data) : QString();
    if (text.isEmpty())
        co_return SpellingServiceProvider::noTextMessage;
    co_return Selection{Selection::Source::primarySelection, text};
}

Task<std::optional<QString>> SpellingCheckRequest::run(Platform platform)
{
    const std::optional<std::variant<Selection, QString>> selection = co_await readSelection(platform);
    if (!selection)
        co_return std::nullopt;
    const QString *message = std::get_if<QString>(&*selection);
    // Nothing selected: the running Tavlen is asked with no text, so it refuses in its own order (local
    // intelligence off first) and shows the reason in its window; the command has no window of its own.
    if (message && *message == SpellingServiceProvider::noTextMessage && platform.textServices) {
        const std::optional<TextServiceReply> reply = co_await platform.textServices->requestSpellingCheck(QString(), replyTimeout);
        if (reply && reply->status == TextServiceReply::Status::refused)
            co_return reply->message;
        co_return *message;
    }
    if (message)
        co_return *message;
    if (!platform.textServices)
        co_return notRunningMessage;
    const QString text = std::get<Selection>(*selection).text;
    const std::optional<TextServiceReply> reply = co_await platform.textServices->requestSpellingCheck(text, replyTimeout);
    if (!reply)
        co_return std::nullopt;
    switch (reply->status) {
    case TextServiceReply::Status::accepted:
        co_return std::nullopt;
    case TextServiceReply::Status::refused:
        co_return reply->message;
    case TextServiceReply::Status::unreachable:
        co_return reply->message.isEmpty() ? notRunningMessage : reply->message;
    }
    co_return std::nullopt;
}
