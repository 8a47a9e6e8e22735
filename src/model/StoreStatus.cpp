#include "model/StoreStatus.h"

QString StoreStatus::message() const
{
    QString text;
    switch (outcome) {
    case Outcome::opened:
        text = QStringLiteral("%1 are kept in the %2 at %3.").arg(contents, description, storePath);
        break;
    case Outcome::movedAside:
        text = QStringLiteral("The %1 at %2 could not be read (%3). It was moved to %4, where it stays "
                              "untouched, and a new, empty %1 was started.")
                   .arg(description, storePath, cause, movedTo);
        break;
    case Outcome::readOnly:
        text = QStringLiteral("The %1 at %2 can be read but not written (%3). %4 in it are shown; new ones are kept "
                              "in memory only until Tavlen quits.")
                   .arg(description, storePath, cause, contents);
        break;
    case Outcome::inMemory:
        text = QStringLiteral("The %1 cannot be kept at %2: %3. %4 are kept in memory only until Tavlen quits.")
                   .arg(description, storePath, cause, contents);
        break;
    case Outcome::inMemoryByRequest:
        text = QStringLiteral("%1 are kept in memory only until Tavlen quits, as asked.").arg(contents);
        break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(" (Details: %1)").arg(detail);
    return text;
}
