#pragma once
// Watches the general pasteboard: each change reported by the pasteboard (or, where it reports none, seen
// by a poll on the change count) starts a capture of every item with all of its representations; changes
// that come while a capture reads are taken in turn after it. A capture is staged on a worker while the
// next change is read (a copy made while a large image is stored is not lost), and captures are delivered
// in the order they were read. Re-reads follow while a capture looks
// incomplete, and writes of our own are never captured back. Copies of an owner that changes the
// clipboard in a loop come marked as storming, so that they replace each other in the history. Owners are
// told apart by the client that holds the clipboard, not by their names: every owner that cannot be named
// (a loop of xclip, a new client each copy) counts as one.

#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardStormDetector.h"
#include "platform/Pasteboard.h"
#include "platform/Task.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <array>
#include <deque>
#include <functional>
#include <optional>

class ClipboardItem;
class Clock;
class Workspace;

class PasteboardManager : public QObject {
    Q_OBJECT
public:
    static constexpr double activePollInterval = 0.08;
    static constexpr double inactivePollInterval = 0.16;
    // Bytes one capture keeps at most: the names of its formats and their data together.
    static constexpr qint64 captureByteBudget = 64'000'000;
    static constexpr std::array<double, 4> rereadDelays = {0.04, 0.12, 0.25, 0.5};

    // `workspace` names the source application of each copy; it may be null.
    PasteboardManager(Clock &clock, Pasteboard &pasteboard, Workspace *workspace, QObject *parent = nullptr);
    ~PasteboardManager() override;

    // Captures the current content once (it enters like any copy), then follows the changes. Does nothing
    // without a pasteboard.
    void start();
    void stop();
    bool isRunning() const { return m_running; }

    // Where the pasteboard does not report its changes, the poll runs every 0.08 s while Tavlen is the
    // active application, every 0.16 s otherwise.
    void setApplicationActive(bool active) { m_applicationActive = active; }
    double pollInterval() const { return m_applicationActive ? activePollInterval : inactivePollInterval; }

    // Writes to the pasteboard; the change they cause is remembered and not captured. Answer the new count.
    qint64 writePlainText(const QString &text);
    // Every representation that holds data, as captured.
    qint64 writeItems(const PasteboardPayload &payload);

    // Asked after each capture for where its content can be loaded again (the history's newest item), which
    // the pasteboard keeps to offer once the copying application is gone. Unset, the capture's own bytes
    // are kept.
    std::function<PasteboardContentLoader()> keptContent;
    // Runs on a worker thread before a capture is delivered (the store's stage(): the digest, the value
    // files), so the main thread never hashes or writes a large copy. Unset, captures go out as read.
    // It is never running once stop() has returned.
    std::function<void(ClipboardCapture &)> stageCapture;

    // The representations that hold data, by item, as the pasteboard takes them.
    static QList<PasteboardItemData> itemsOf(const PasteboardPayload &payload);
    // Loads an item's captured representations when called, not before.
    static PasteboardContentLoader contentLoader(const ClipboardItem &item);

    // The kind and the derived fields (text, files, image) of a payload.
    static ClipboardCapture describe(const PasteboardPayload &payload);
    // Whether a re-read could still add something: nothing listed, a representation the owner did not
    // hand over, or an announced image without data.
    static bool looksIncomplete(const PasteboardPayload &payload);
    // Whether `candidate` holds at least as many items and representations with data as `current`.
    static bool isAtLeastAsRich(const PasteboardPayload &candidate, const PasteboardPayload &current);
    // Reading order of representation types: 0 plain text; 1 URLs and file URLs; 2 HTML and rich text;
    // 3 PNG; 4 TIFF; 5 everything else.
    static int typePriority(const QString &type);

    // A storm is told at most this often (seconds).
    static constexpr double stormNoticeInterval = 60;

Q_SIGNALS:
    // A new copy, in the order the copies were read.
    void captured(const ClipboardCapture &capture);
    // A later read of the same copy that is at least as rich; its changeCount is the superseded capture's.
    void captureReplaced(const ClipboardCapture &replacement);
    // A program changed the clipboard far faster than a person does, and the `changes` it made meanwhile
    // were kept as one item. `application` is its name where its owner told it, else empty.
    void stormFolded(const QString &application, qint64 changes);
    // A copy was not kept: every format of it is larger than one capture keeps (captureByteBudget).
    void copyTooLarge();

private:
    struct Source {
        QString applicationId;
        QString name;
        // Who the storm detector counts the copy to; `name` is the owner's own only when `told`.
        QString stormSource;
        bool told = false;
    };
    struct Reading {
        ClipboardCapture capture;
        bool secret = false;
    };
    // A capture read and waiting for its turn to be delivered, staged meanwhile when it has data.
    struct PendingDelivery {
        qint64 changeCount = 0;
        ClipboardCapture capture;
        bool delivers = false;
        std::optional<QFuture<ClipboardCapture>> staging;
        qint64 bytes = 0;
    };

#ifndef Q_MOC_RUN
    Task<> pollLoop();
    // Captures the newest change, then any change that came meanwhile, until the count holds still.
    Task<> captureChanges();
    // `changes`: how far the count moved since the change captured before.
    Task<> captureChange(qint64 changeCount, qint64 changes, bool atStart);
    Task<> rereadLoop(qint64 changeCount, ClipboardCapture current, bool delivered);
    Task<Reading> readPasteboard(qint64 changeCount, Source source);
    Task<ClipboardCapture> staged(ClipboardCapture capture);
    QFuture<ClipboardCapture> startStaging(ClipboardCapture capture);
    Task<> deliverInOrder();
    // Bytes read but not yet staged; past the capture budget the next read waits.
    qint64 bytesBeingStaged() const;
    Task<bool> carriesSecretHint(const PasteboardItemTypes &types);
    // While a storm lasts, looks for its end four times a second.
    Task<> watchStorms();
#endif
    // The application that made the copy: the clipboard owner's, else the frontmost one; never this program.
    Source copySource() const;
    void remember(qint64 changeCount);
    void keep(qint64 changeCount, const ClipboardCapture &capture);
    void deliver(const PendingDelivery &pending, const ClipboardCapture &capture);
    void handleChange();
    void tellEndedStorms();

    Clock &m_clock;
    Pasteboard &m_pasteboard;
    Workspace *m_workspace;
    bool m_running = false;
    bool m_applicationActive = false;
    // True while captureChanges() runs; a change reported meanwhile is picked up by it.
    bool m_capturing = false;
    // The change count last captured or written by us; none before the first capture.
    std::optional<qint64> m_lastChangeCount;
    ClipboardStormDetector m_stormDetector;
    // By storm source, the name its owner told, for the storms going on.
    QHash<QString, QString> m_stormNames;
    std::optional<double> m_stormToldAt;
    TaskSlot m_stormWatch;
    // One worker: captures are staged one at a time, in the order they were read.
    QThreadPool m_stagePool;
    std::deque<PendingDelivery> m_deliveries;
    TaskSlot m_deliveryTask;
    TaskSlot m_pollTask;
    TaskSlot m_captureTask;
    TaskSlot m_rereadTask;
    QMetaObject::Connection m_changeConnection;
};
