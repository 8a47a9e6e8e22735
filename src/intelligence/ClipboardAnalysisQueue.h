#pragma once
// The history's analysis queue: new items go to the local language model one at a time (an image through
// its recognised text first), and each answer is stored in its item with the analysis version and date.
// Items enter only while local intelligence is on and the model is available; an item is never queued or
// analysed twice at once; a failure leaves the item without title or tags (an image keeps the text read in
// it) and the queue moves on. Capture never waits for it.

#include "intelligence/ClipboardAIInput.h"
#include "intelligence/ClipboardOCRService.h"
#include "model/ClipboardItem.h"
#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>

class ClipboardAIController;
class ClipboardHistoryManager;
class Clock;
class SettingsStore;

class ClipboardAnalysisQueue : public QObject {
    Q_OBJECT
public:
    ClipboardAnalysisQueue(ClipboardHistoryManager &history, SettingsStore &settings, ClipboardAIController &controller,
                           ClipboardOCRService &ocr, Clock &clock, QObject *parent = nullptr);
    ~ClipboardAnalysisQueue() override;

    // Follows the local-intelligence setting from now on: reads the availability when it is on or changes.
    void start();
    // Drops what is queued and ends the item in progress; nothing is stored after this.
    void stop();

    // Queues a new item when it may be analysed (see above).
    void enqueue(const ClipboardItem &item);

    int pendingCount() const { return int(m_pending.size()); }
    bool isWorking() const { return m_worker.isRunning(); }

    // The request for an item; `recognized` is what text recognition found in an image item.
    static ClipboardAIInput makeInput(const ClipboardItem &item, const std::optional<ClipboardOCRResult> &recognized);

Q_SIGNALS:
    // An item's analysis was stored.
    void itemAnalyzed(const QUuid &id);

private:
    bool isEnabled() const;
    void followSettings();
#ifndef Q_MOC_RUN
    Task<> work();
#endif

    QPointer<ClipboardHistoryManager> m_history;
    SettingsStore &m_settings;
    ClipboardAIController &m_controller;
    ClipboardOCRService &m_ocr;
    Clock &m_clock;
    bool m_started = false;
    bool m_stopped = false;
    bool m_wasEnabled = false;
    QList<QUuid> m_pending;
    QUuid m_current;
    TaskSlot m_worker;
    Lifetime m_lifetime;
};
