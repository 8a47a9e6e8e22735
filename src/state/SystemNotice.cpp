#include "state/SystemNotice.h"

#include "clipboard/ClipboardHistoryManager.h"

namespace {

// A cause as a sentence of its own, without the database's own words.
QString sentence(const QString &cause)
{
    QString text = cause.section(QStringLiteral(" (Details: "), 0, 0).trimmed();
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

} // namespace

QString SystemNotice::summary() const
{
    switch (kind) {
    case Kind::historyMovedAside:
        return QStringLiteral("Tavlen started a new history");
    case Kind::historyReadOnly:
    case Kind::historyInMemory:
    case Kind::historyNotSaved:
        return QStringLiteral("Tavlen cannot save new copies");
    case Kind::modelElsewhere:
        return QStringLiteral("Copied text leaves this computer");
    case Kind::modelAddressTaken:
        return QStringLiteral("Tavlen sends nothing to the language model");
    case Kind::secretsUnusable:
        return QStringLiteral("Tavlen cannot remember field values");
    case Kind::clipboardStorm:
        return subject.isEmpty() ? QStringLiteral("A program rewrote the clipboard in a loop")
                                 : QStringLiteral("%1 rewrote the clipboard in a loop").arg(subject);
    case Kind::clipboardFlood:
        return subject.isEmpty() ? QStringLiteral("A program filled the clipboard history")
                                 : QStringLiteral("%1 filled the clipboard history").arg(subject);
    case Kind::historyReplaced:
        return QStringLiteral("Tavlen's history file was taken away");
    case Kind::changesLostAtQuit:
        return QStringLiteral("Tavlen quit with copies not saved");
    case Kind::copyTooLarge:
        return QStringLiteral("A copy was too large to keep");
    case Kind::fieldValuesMovedAside:
        return QStringLiteral("Tavlen started a new list of remembered field values");
    }
    return {};
}

QString SystemNotice::body() const
{
    switch (kind) {
    case Kind::historyMovedAside:
        return QStringLiteral("The history could not be read. It was moved to %1.").arg(subject);
    case Kind::historyReadOnly:
        return sentence(subject) + QStringLiteral(" The history's items are shown; new copies are kept in memory "
                                                  "only until Tavlen quits.");
    case Kind::historyInMemory:
        return sentence(subject) + QStringLiteral(" New copies are kept in memory only until Tavlen quits.");
    case Kind::historyNotSaved:
        return sentence(subject) + QStringLiteral(" New copies are kept in memory; Tavlen tries to save them every "
                                                  "%1 seconds and when it quits.")
                                       .arg(ClipboardHistoryManager::saveRetryInterval);
    case Kind::modelElsewhere:
        return QStringLiteral("The language model answers from %1. Text sent for titles, summaries and spelling "
                              "goes there.")
            .arg(subject);
    case Kind::modelAddressTaken:
        return QStringLiteral("Another user's program listens at %1, where your model server should be, so Tavlen "
                              "sends it nothing. Start your own model server there, or point TAVLEN_MODEL_ENDPOINT "
                              "at it.")
            .arg(subject);
    case Kind::secretsUnusable:
        return sentence(subject) + QLatin1Char(' ') + secretsRemedy;
    case Kind::clipboardStorm:
        return QStringLiteral("Its %1 copies were kept as one item, so that your history stays.").arg(count);
    case Kind::clipboardFlood:
        return QStringLiteral("It copied more than %1 times in a minute. Its newer copies replace its older ones, so "
                              "that your history stays.")
            .arg(ClipboardHistoryManager::floodCopyCount);
    case Kind::historyReplaced:
        return QStringLiteral("The history at %1 was deleted or replaced while Tavlen ran. Tavlen opened it again "
                              "and saved the copies it shows into it.")
            .arg(subject);
    case Kind::changesLostAtQuit:
        return sentence(subject);
    case Kind::copyTooLarge:
        return QStringLiteral("Tavlen keeps copies of up to %1; a larger one is not kept.").arg(subject);
    case Kind::fieldValuesMovedAside:
        return QStringLiteral("The list could not be read. It was moved to %1; the values themselves stay in the "
                              "keyring.")
            .arg(subject);
    }
    return {};
}
