// Failures a person must hear about: each is told once as a notification, and the settings window's
// state lines say where the history is kept and where the model answers from.
#include "state/SystemStatus.h"
#include "platform/sim/SimNotifications.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

StoreStatus store(StoreStatus::Outcome outcome, const QString &cause = {}, const QString &movedTo = {})
{
    StoreStatus status;
    status.outcome = outcome;
    status.storePath = QStringLiteral("/home/ann/.local/share/trevik.tavlen/default.store");
    status.cause = cause;
    status.movedTo = movedTo;
    return status;
}

const QString kKeyring = QStringLiteral("Values typed into text fields are kept in the desktop's keyring.");

struct Row {
    const char *what;
    std::function<void(SystemStatus &)> happen;
    QStringList notified; // summary: body
    QString history;
    QString model;
    QString secrets = kKeyring;
    // Lines on stderr: none for what the store, the history or the keyring said there already.
    int logged = 0;
};

const QString kSaved = QStringLiteral("Saved in /home/ann/.local/share/trevik.tavlen/default.store.");
const QString kLocal = QStringLiteral("Text given to the language model stays on this computer.");

const Row rows[] = {
    {"a store that opened", [](SystemStatus &s) { s.setHistoryStore(store(StoreStatus::Outcome::opened)); }, {},
     kSaved, kLocal},
    {"a store moved aside",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::movedAside, QStringLiteral("the file is damaged"),
                                 QStringLiteral("/data/default.store.unreadable-1")));
     },
     {QStringLiteral("Tavlen started a new history: The history could not be read. It was moved to "
                     "/data/default.store.unreadable-1.")},
     QStringLiteral("Saved in /home/ann/.local/share/trevik.tavlen/default.store. The history that could not be read "
                    "was moved to /data/default.store.unreadable-1."),
     kLocal},
    {"a read-only store",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::readOnly, QStringLiteral("/home is on a read-only file system")));
     },
     {QStringLiteral("Tavlen cannot save new copies: /home is on a read-only file system. The history's items are "
                     "shown; new copies are kept in memory only until Tavlen quits.")},
     QStringLiteral("Shown from /home/ann/.local/share/trevik.tavlen/default.store, which cannot be written: /home is "
                    "on a read-only file system. New copies are kept in memory only until Tavlen quits."),
     kLocal},
    {"a store that cannot be used",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::inMemory, QStringLiteral("permission denied on /home/ann")));
     },
     {QStringLiteral("Tavlen cannot save new copies: Permission denied on /home/ann. New copies are kept in memory "
                     "only until Tavlen quits.")},
     QStringLiteral("Kept in memory only until Tavlen quits: permission denied on /home/ann."), kLocal},
    {"no store asked for", [](SystemStatus &s) { s.setHistoryStore(store(StoreStatus::Outcome::inMemoryByRequest)); },
     {}, QStringLiteral("Kept in memory only until Tavlen quits, as asked."), kLocal},
    {"a disk that fills, again and again, then has room",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::opened));
         const QString full = QStringLiteral("the disk is full (Details: database or disk is full)");
         s.setHistorySaveProblem(full);
         s.setHistorySaveProblem(full);
         s.setHistorySaveProblem({});
         s.setHistorySaveProblem(full);
         s.setHistorySaveProblem({});
     },
     {QStringLiteral("Tavlen cannot save new copies: The disk is full. New copies are kept in memory; Tavlen tries "
                     "to save them every 2 seconds and when it quits.")},
     kSaved, kLocal},
    {"a full disk met by the history and by an image's file in turn",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::opened));
         const QString full = QStringLiteral("the disk is full (Details: database or disk is full)");
         s.setHistorySaveProblem(full);
         s.setHistorySaveProblem(QStringLiteral("no space left on the disk that holds /data/default.store-blobs"));
         s.setHistorySaveProblem(full);
     },
     {QStringLiteral("Tavlen cannot save new copies: The disk is full. New copies are kept in memory; Tavlen tries "
                     "to save them every 2 seconds and when it quits.")},
     QStringLiteral("New copies are kept in memory until they can be saved: the disk is full."), kLocal},
    {"a disk that is full now",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::opened));
         s.setHistorySaveProblem(QStringLiteral("the disk is full (Details: database or disk is full)"));
     },
     {QStringLiteral("Tavlen cannot save new copies: The disk is full. New copies are kept in memory; Tavlen tries "
                     "to save them every 2 seconds and when it quits.")},
     QStringLiteral("New copies are kept in memory until they can be saved: the disk is full."), kLocal},
    {"a model on another computer, read at each opening",
     [](SystemStatus &s) {
         s.setModelAddress(QStringLiteral("http://10.0.0.7:8080"));
         s.setModelAddress(QStringLiteral("http://10.0.0.7:8080"));
     },
     {QStringLiteral("Copied text leaves this computer: The language model answers from http://10.0.0.7:8080. Text "
                     "sent for titles, summaries and spelling goes there.")},
     QStringLiteral("Kept in memory only until Tavlen quits, as asked."),
     QStringLiteral("Text given to the language model goes to http://10.0.0.7:8080 and leaves this computer."), kKeyring,
     1},
    {"a model back on this computer",
     [](SystemStatus &s) {
         s.setModelAddress(QStringLiteral("http://10.0.0.7:8080"));
         s.setModelAddress({});
     },
     {QStringLiteral("Copied text leaves this computer: The language model answers from http://10.0.0.7:8080. Text "
                     "sent for titles, summaries and spelling goes there.")},
     QStringLiteral("Kept in memory only until Tavlen quits, as asked."), kLocal, kKeyring, 1},
    {"a keyring without a default collection, met by every save",
     [](SystemStatus &s) {
         s.setHistoryStore(store(StoreStatus::Outcome::opened));
         s.setSecretStoreProblem(QStringLiteral("there is no default keyring"));
         s.setSecretStoreProblem(QStringLiteral("there is no default keyring"));
     },
     {QStringLiteral("Tavlen cannot remember field values: There is no default keyring. Start a secret service such "
                     "as gnome-keyring with an unlocked default keyring.")},
     kSaved, kLocal,
     QStringLiteral("Values typed into text fields are not remembered: there is no default keyring. Start a secret "
                    "service such as gnome-keyring with an unlocked default keyring.")},
    {"a history file taken away, then copies not saved at the stop (the history says both on stderr)",
     [](SystemStatus &s) {
         s.report({SystemNotice::Kind::historyReplaced, QStringLiteral("/data/default.store")});
         s.report({SystemNotice::Kind::changesLostAtQuit, QStringLiteral("2 copies could not be saved: the disk is full")});
     },
     {QStringLiteral("Tavlen's history file was taken away: The history at /data/default.store was deleted or "
                     "replaced while Tavlen ran. Tavlen opened it again and saved the copies it shows into it."),
      QStringLiteral("Tavlen quit with copies not saved: 2 copies could not be saved: the disk is full.")},
     QStringLiteral("Kept in memory only until Tavlen quits, as asked."), kLocal},
    {"a list of remembered field values moved aside (its store says so on stderr)",
     [](SystemStatus &s) {
         s.report({SystemNotice::Kind::fieldValuesMovedAside, QStringLiteral("/data/fields.store.unusable-1")});
     },
     {QStringLiteral("Tavlen started a new list of remembered field values: The list could not be read. It was "
                     "moved to /data/fields.store.unusable-1; the values themselves stay in the keyring.")},
     QStringLiteral("Kept in memory only until Tavlen quits, as asked."), kLocal},
    {"two storms of one application and one of a program that cannot be named",
     [](SystemStatus &s) {
         s.report({SystemNotice::Kind::clipboardStorm, QStringLiteral("Looper"), 4812});
         s.report({SystemNotice::Kind::clipboardStorm, QStringLiteral("Looper"), 4812});
         s.report({SystemNotice::Kind::clipboardStorm, {}, 300});
     },
     {QStringLiteral("Looper rewrote the clipboard in a loop: Its 4812 copies were kept as one item, so that your "
                     "history stays."),
      QStringLiteral("Looper rewrote the clipboard in a loop: Its 4812 copies were kept as one item, so that your "
                     "history stays."),
      QStringLiteral("A program rewrote the clipboard in a loop: Its 300 copies were kept as one item, so that your "
                     "history stays.")},
     QStringLiteral("Kept in memory only until Tavlen quits, as asked."), kLocal, kKeyring, 3},
};

int logged = 0;

void countLine(QtMsgType, const QMessageLogContext &, const QString &)
{
    ++logged;
}

TEST(SystemStatus, EachFailureIsToldOnceAndTheStateIsSaidAsItIsNow)
{
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        SimNotifications notifications;
        SystemStatus status(&notifications);
        logged = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countLine);
        row.happen(status);
        qInstallMessageHandler(previous);
        EXPECT_EQ(logged, row.logged);
        QStringList notified;
        for (const SimNotifications::Posted &posted : std::as_const(notifications.posted))
            notified.append(posted.summary + QStringLiteral(": ") + posted.body);
        EXPECT_EQ(notified.join(QLatin1Char('\n')).toStdString(), row.notified.join(QLatin1Char('\n')).toStdString());
        EXPECT_EQ(status.historyDescription().toStdString(), row.history.toStdString());
        EXPECT_EQ(status.modelDescription().toStdString(), row.model.toStdString());
        EXPECT_EQ(status.secretStoreDescription().toStdString(), row.secrets.toStdString());
    }
}

} // namespace
