#include "state/SystemStatus.h"

#include "platform/Notifications.h"

SystemStatus::SystemStatus(Notifications *notifications, QObject *parent)
    : QObject(parent)
    , m_notifications(notifications)
{
}

void SystemStatus::report(const SystemNotice &notice)
{
    // The history says on stderr itself that its file was replaced, and what it could not save at the stop,
    // and a store that it was moved aside: one line for one fact.
    const bool saidAlready = notice.kind == SystemNotice::Kind::historyReplaced
        || notice.kind == SystemNotice::Kind::changesLostAtQuit
        || notice.kind == SystemNotice::Kind::fieldValuesMovedAside;
    tell(notice, !saidAlready);
}

void SystemStatus::tell(const SystemNotice &notice, bool log)
{
    // A storm is a happening, told each time; the rest are states, told once.
    if (notice.kind != SystemNotice::Kind::clipboardStorm) {
        if (m_reported.contains(notice))
            return;
        m_reported.append(notice);
    }
    if (log)
        qWarning("%s: %s", qPrintable(notice.summary()), qPrintable(notice.body()));
    if (m_notifications)
        m_notifications->post(notice.summary(), notice.body());
}

void SystemStatus::setHistoryStore(const StoreStatus &status)
{
    m_store = status;
    // The store has said on stderr how it opened, and the history why a save failed: one line for one fact.
    switch (status.outcome) {
    case StoreStatus::Outcome::movedAside:
        tell({SystemNotice::Kind::historyMovedAside, status.movedTo}, false);
        break;
    case StoreStatus::Outcome::readOnly:
        tell({SystemNotice::Kind::historyReadOnly, status.cause}, false);
        break;
    case StoreStatus::Outcome::inMemory:
        tell({SystemNotice::Kind::historyInMemory, status.cause}, false);
        break;
    case StoreStatus::Outcome::opened:
    case StoreStatus::Outcome::inMemoryByRequest:
        break;
    }
    Q_EMIT changed();
}

void SystemStatus::setHistorySaveProblem(const QString &problem)
{
    if (problem == m_saveProblem)
        return;
    // Told as the copies begin to wait: while they wait, the next copy's file may meet the same full disk
    // in other words, and that is no news.
    const bool began = m_saveProblem.isEmpty();
    m_saveProblem = problem;
    if (!problem.isEmpty() && began)
        tell({SystemNotice::Kind::historyNotSaved, problem}, false);
    Q_EMIT changed();
}

void SystemStatus::setSecretStoreProblem(const QString &problem)
{
    if (problem == m_secretStoreProblem)
        return;
    m_secretStoreProblem = problem;
    // The store said it on stderr when it found it: one line for one fact.
    if (!problem.isEmpty())
        tell({SystemNotice::Kind::secretsUnusable, problem}, false);
    Q_EMIT changed();
}

QString SystemStatus::secretStoreDescription() const
{
    if (m_secretStoreProblem.isEmpty())
        return QStringLiteral("Values typed into text fields are kept in the desktop's keyring.");
    return QStringLiteral("Values typed into text fields are not remembered: %1. %2")
        .arg(m_secretStoreProblem, SystemNotice::secretsRemedy);
}

void SystemStatus::setModelAddress(const QString &address)
{
    if (address == m_modelAddress)
        return;
    m_modelAddress = address;
    if (!address.isEmpty())
        report({SystemNotice::Kind::modelElsewhere, address});
    Q_EMIT changed();
}

void SystemStatus::setModelAddressTaken(const QString &where)
{
    if (where == m_modelAddressTaken)
        return;
    m_modelAddressTaken = where;
    // The model said it on stderr when it found it: one line for one fact.
    if (!where.isEmpty())
        tell({SystemNotice::Kind::modelAddressTaken, where}, false);
    Q_EMIT changed();
}

QString SystemStatus::historyDescription() const
{
    if (!m_saveProblem.isEmpty())
        return QStringLiteral("New copies are kept in memory until they can be saved: %1.")
            .arg(m_saveProblem.section(QStringLiteral(" (Details: "), 0, 0));
    switch (m_store.outcome) {
    case StoreStatus::Outcome::opened:
        return QStringLiteral("Saved in %1.").arg(m_store.storePath);
    case StoreStatus::Outcome::movedAside:
        return QStringLiteral("Saved in %1. The history that could not be read was moved to %2.")
            .arg(m_store.storePath, m_store.movedTo);
    case StoreStatus::Outcome::readOnly:
        return QStringLiteral("Shown from %1, which cannot be written: %2. New copies are kept in memory only "
                              "until Tavlen quits.")
            .arg(m_store.storePath, m_store.cause);
    case StoreStatus::Outcome::inMemory:
        return QStringLiteral("Kept in memory only until Tavlen quits: %1.").arg(m_store.cause);
    case StoreStatus::Outcome::inMemoryByRequest:
        return QStringLiteral("Kept in memory only until Tavlen quits, as asked.");
    }
    return {};
}

QString SystemStatus::modelDescription() const
{
    if (!m_modelAddressTaken.isEmpty())
        return QStringLiteral("Nothing is sent to the language model: another user's program listens at %1, where "
                              "your model server should be.")
            .arg(m_modelAddressTaken);
    if (m_modelAddress.isEmpty())
        return QStringLiteral("Text given to the language model stays on this computer.");
    // Where, not whether: the line beside it says whether the model answers.
    return QStringLiteral("Text given to the language model goes to %1 and leaves this computer.").arg(m_modelAddress);
}
