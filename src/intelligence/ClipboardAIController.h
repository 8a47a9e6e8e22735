#pragma once
// The one way the rest of the program uses the local language model: whether it can be used
// (`availability`), how many requests run (`activeRequestCount`) and the message of the last failed one
// (`lastErrorMessage`), with the three operations that change them. Lives on the main thread.
//
// Availability is read again after a request fails for a reason other than its input, and once a minute
// while the watch is on and the model is unavailable, so a model server started later is noticed. Of
// overlapping reads, an older answer never replaces a newer one.

#include "intelligence/ClipboardAIAction.h"
#include "intelligence/ClipboardAIAnalysis.h"
#include "intelligence/ClipboardAIAvailability.h"
#include "intelligence/ClipboardAIInput.h"
#include "intelligence/ClipboardAIResult.h"
#include "platform/Lifetime.h"
#include "platform/Task.h"

#include <QList>
#include <QObject>

#include <functional>
#include <optional>

class ClipboardAIService;
class Clock;

class ClipboardAIController : public QObject {
    Q_OBJECT
    Q_PROPERTY(ClipboardAIAvailability availability READ availability NOTIFY availabilityChanged)
    Q_PROPERTY(qint64 activeRequestCount READ activeRequestCount NOTIFY activeRequestCountChanged)
public:
    static constexpr double recheckInterval = 60;

    ClipboardAIController(ClipboardAIService &service, Clock &clock, QObject *parent = nullptr);
    ~ClipboardAIController() override;

    ClipboardAIAvailability availability() const { return m_availability; }
    qint64 activeRequestCount() const { return m_activeRequestCount; }
    // None until a request fails; cleared by the next success; left alone by a cancelled request.
    std::optional<QString> lastErrorMessage() const { return m_lastErrorMessage; }
    ClipboardAIService &service() const { return m_service; }

#ifndef Q_MOC_RUN
    // Reads the availability from the model and stores it (observers hear only of a change).
    Task<> refreshAvailability();
    Task<ClipboardAIResult<ClipboardAIAnalysis>> analyze(ClipboardAIInput input);
    Task<ClipboardAIResult<QString>> perform(ClipboardAIAction action, QString text);
#endif
    // Starts a refresh that the controller itself keeps (for callers that do not wait for it).
    void requestAvailabilityRefresh();
    // While on, the availability is read again every minute as long as it is not `available`.
    void setAvailabilityWatch(bool on);
    bool isWatchingAvailability() const { return m_watchTask.isRunning(); }

Q_SIGNALS:
    void availabilityChanged();
    void activeRequestCountChanged();
    void lastErrorMessageChanged();

private:
    void setAvailability(ClipboardAIAvailability availability);
    void changeActiveRequestCount(int delta);
    void setLastErrorMessage(std::optional<QString> message);
    template<typename T>
    void finishRequest(const ClipboardAIResult<T> &result);
    // Runs one request of the model, counted in activeRequestCount while it runs.
    template<typename T>
    Task<ClipboardAIResult<T>> counted(std::function<Task<ClipboardAIResult<T>>()> request);
#ifndef Q_MOC_RUN
    Task<> watchAvailability();
#endif

    ClipboardAIService &m_service;
    Clock &m_clock;
    ClipboardAIAvailability m_availability = ClipboardAIAvailability::checking;
    qint64 m_activeRequestCount = 0;
    std::optional<QString> m_lastErrorMessage;

    quint64 m_refreshesStarted = 0;
    quint64 m_newestRefreshApplied = 0;
    QList<Task<>> m_ownRefreshes;
    TaskSlot m_watchTask;
    Lifetime m_lifetime;
};
