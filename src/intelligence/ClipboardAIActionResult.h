#pragma once
// The outcome of a text action on a history item, as its result sheet shows it: a new identity for every
// result (one sheet each), the action and the text it gave.

#include "intelligence/ClipboardAIAction.h"

#include <QString>
#include <QUuid>

struct ClipboardAIActionResult {
    QUuid id;
    ClipboardAIAction action = ClipboardAIAction::summarize;
    QString text;

    static ClipboardAIActionResult make(ClipboardAIAction action, QString text)
    {
        return {QUuid::createUuid(), action, std::move(text)};
    }
    friend bool operator==(const ClipboardAIActionResult &, const ClipboardAIActionResult &) = default;
};
