#pragma once
// The five text actions the local language model runs on any text, with the request text each sends.

#include <QList>
#include <QString>

#include <optional>

enum class ClipboardAIAction {
    summarize,
    improveWriting,
    checkSpelling,
    translateToEnglish,
    extractTasks,
};

// Every action in declaration order.
const QList<ClipboardAIAction> &allClipboardAIActions();
QString rawValue(ClipboardAIAction action);
// Exactly the five raw values (case-sensitive); none for anything else.
std::optional<ClipboardAIAction> clipboardAIActionFromRawValue(const QString &raw);
// What the transform asks the model to do.
QString requestText(ClipboardAIAction action);
// The answer's token limit: 2000 for the spelling check, 1000 for the others.
int maximumResponseTokens(ClipboardAIAction action);
// How the action is named to people ("Improve Writing") and the symbol drawn beside that name.
QString title(ClipboardAIAction action);
QString symbolName(ClipboardAIAction action);
