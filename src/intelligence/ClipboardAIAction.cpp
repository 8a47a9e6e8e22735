#include "intelligence/ClipboardAIAction.h"

const QList<ClipboardAIAction> &allClipboardAIActions()
{
    static const QList<ClipboardAIAction> all{ClipboardAIAction::summarize, ClipboardAIAction::improveWriting,
                                              ClipboardAIAction::checkSpelling, ClipboardAIAction::translateToEnglish,
                                              ClipboardAIAction::extractTasks};
    return all;
}

QString rawValue(ClipboardAIAction action)
{
    switch (action) {
    case ClipboardAIAction::summarize: return QStringLiteral("summarize");
    case ClipboardAIAction::improveWriting: return QStringLiteral("improveWriting");
    case ClipboardAIAction::checkSpelling: return QStringLiteral("checkSpelling");
    case ClipboardAIAction::translateToEnglish: return QStringLiteral("translateToEnglish");
    case ClipboardAIAction::extractTasks: return QStringLiteral("extractTasks");
    }
    return {};
}

std::optional<ClipboardAIAction> clipboardAIActionFromRawValue(const QString &raw)
{
    for (ClipboardAIAction action : allClipboardAIActions())
        if (rawValue(action) == raw)
            return action;
    return std::nullopt;
}

QString requestText(ClipboardAIAction action)
{
    switch (action) {
    case ClipboardAIAction::summarize:
        return QStringLiteral("Summarize the content concisely in the same language as the content. Return only the summary.");
    case ClipboardAIAction::improveWriting:
        return QStringLiteral("Improve clarity, grammar, and tone while preserving meaning and language. "
                              "Return only the revised text.");
    case ClipboardAIAction::checkSpelling:
        return QStringLiteral("Correct only spelling, grammar, and punctuation errors. Preserve the original language, "
                              "meaning, tone, names, paragraph breaks, and formatting. Do not translate, summarize, "
                              "expand, or rewrite for style. Leave code, URLs, email addresses, and credentials "
                              "unchanged. If no correction is needed, return the original text. Return only the "
                              "complete corrected text, without commentary or surrounding quotes.");
    case ClipboardAIAction::translateToEnglish:
        return QStringLiteral("Translate the content into natural English while preserving meaning and formatting. "
                              "Return only the translation.");
    case ClipboardAIAction::extractTasks:
        return QStringLiteral("Extract actionable tasks as a concise Markdown checklist. Do not invent tasks. "
                              "Return only the checklist.");
    }
    return {};
}

int maximumResponseTokens(ClipboardAIAction action)
{
    return action == ClipboardAIAction::checkSpelling ? 2000 : 1000;
}

QString title(ClipboardAIAction action)
{
    switch (action) {
    case ClipboardAIAction::summarize: return QStringLiteral("Summarize");
    case ClipboardAIAction::improveWriting: return QStringLiteral("Improve Writing");
    case ClipboardAIAction::checkSpelling: return QStringLiteral("Check Spelling");
    case ClipboardAIAction::translateToEnglish: return QStringLiteral("Translate to English");
    case ClipboardAIAction::extractTasks: return QStringLiteral("Extract Tasks");
    }
    return {};
}

QString symbolName(ClipboardAIAction action)
{
    switch (action) {
    case ClipboardAIAction::summarize: return QStringLiteral("text.redaction");
    case ClipboardAIAction::improveWriting: return QStringLiteral("wand.and.sparkles");
    case ClipboardAIAction::checkSpelling: return QStringLiteral("textformat.abc");
    case ClipboardAIAction::translateToEnglish: return QStringLiteral("character.book.closed");
    case ClipboardAIAction::extractTasks: return QStringLiteral("checklist");
    }
    return {};
}
