#pragma once
// Turns Super + double-click in another application into the field value feature, and is the launcher's
// partner whenever it shows or fills a field of another application. It watches left clicks everywhere
// and opens, 0.08 s after a Super + double-click, the launcher (or the compact window) with the field's
// remembered and sample values, or the compact window with the clipboard list; it remembers the field it
// opened them for (the notch target); and it types a chosen value into a field with the typing effect
// over it, reporting success only once the value is in the field.

#include "fields/FocusedFieldSampleGenerator.h"
#include "fields/NotchAIActionHandling.h"
#include "fields/NotchDoubleClickTracker.h"
#include "fields/NotchFieldLauncher.h"
#include "model/AppLogger.h"
#include "platform/EventMonitors.h"
#include "platform/Lifetime.h"
#include "platform/Platform.h"
#include "platform/Task.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class ClipboardService;
class FieldValueAssociationService;
class FocusedFieldSuggestionService;
class FocusedFieldTypingEffectWindow;
class SettingsStore;

class FocusedFieldAutoPasteService : public NotchAIActionHandling {
    Q_OBJECT
public:
    // Seconds.
    static constexpr double notchActivationDelay = 0.08;
    static constexpr double typingEffectDelay = 0.01;
    static constexpr double typingEffectHideDelay = 0.6;
    // After the last key the field gets this long to show the value, read this often meanwhile.
    static constexpr double verificationTimeout = 2.0;
    static constexpr double verificationPollInterval = 0.05;
    static constexpr int sampleSuggestionCount = 3;
    // A clipboard item longer than this (about a quarter of a second of typing at ~700 characters a second)
    // is left to the launcher's paste.
    static constexpr qsizetype longestTypedItem = 200;

    // How an insertion ended.
    enum class InsertionOutcome {
        typed, // the value is in the field
        notStarted, // nothing was typed: the field could not be focused, or the focus left before the first key
        refused, // nothing was typed: the field does not take text (read-only, disabled, gone)
        interrupted, // typing began but the value did not arrive whole
        superseded, // a newer insertion, or the end of the service, took over
    };

    // The root state's settings and field finder, held weakly: without them the service does nothing.
    // Installs nothing until startMonitoring().
    FocusedFieldAutoPasteService(const Platform &platform, SettingsStore *settings,
                                 FocusedFieldSuggestionService *fields, QObject *parent = nullptr);
    ~FocusedFieldAutoPasteService() override;

    // What the composition root hands over from the rest of the program; each is held weakly (the
    // launcher through the object that owns it) and read when needed.
    void setLauncher(QObject *owner, NotchFieldLauncher *launcher);
    void setClipboardService(ClipboardService *service);
    // The remembered values offered for a field, and where a typed value is recorded.
    void setFieldValueAssociations(FieldValueAssociationService *store);

    // Installs the local and global left-button monitors and the desktop-change observer, and keeps Super +
    // double-clicks from other applications while one opens something here; a second start installs
    // nothing more.
    void startMonitoring();
    // Removes them and ends every request, insertion and overlay; a later start begins afresh.
    void stopMonitoring();
    bool isMonitoring() const { return m_mouseMonitor.has_value() || m_localMouseMonitor.has_value(); }

    bool hasFocusedField() override;
    void requestAIContext(std::optional<RunningApplication> application, std::optional<FocusedFieldTarget> target,
                          NotchLauncherListKind list, std::optional<QPointF> at) override;
    std::optional<NotchTarget> currentNotchTarget() override;
    void clearNotchTarget() override;
    bool insertValue(const FocusedFieldSuggestion &suggestion, const FocusedFieldTarget &target,
                     const RunningApplication &application, const QRectF &frame) override;
#ifndef Q_MOC_RUN
    Task<bool> handleClipboardItemSelect(ClipboardItem item, ClipboardPasteTarget target) override;
#endif

    // --- State, for tests and diagnostics ---
    const NotchDoubleClickTracker &doubleClickTracker() const { return m_doubleClickTracker; }
    bool isNotchActivationPending() const { return m_pendingNotchActivationTask.isRunning(); }
    // A field's values are being gathered for the launcher.
    bool isFieldContextPending() const { return m_fieldContextTask.isRunning(); }
    bool isTyping() const { return m_fieldTypingTask.isRunning(); }
    bool isTypingEffectHidePending() const { return m_fieldTypingEffectHideTask.isRunning(); }
    const std::optional<RunningApplication> &notchApplication() const { return m_notchApplication; }
    const std::optional<FocusedFieldTarget> &notchTarget() const { return m_notchTarget; }
    // Created by the first insertion that gets as far as showing it.
    FocusedFieldTypingEffectWindow *fieldTypingEffectWindow() const { return m_fieldTypingEffectWindow.get(); }
    FocusedFieldSampleGenerator &sampleGenerator() { return m_sampleGenerator; }
    // The outcome of the newest insertion once it has ended.
    std::optional<InsertionOutcome> lastInsertionOutcome() const { return m_lastInsertionOutcome; }

Q_SIGNALS:
    // A value reached its field.
    void valuePasted();

private:
    // What one insertion works with, fixed when it is asked for.
    struct Insertion {
        RunningApplication application;
        FocusedFieldTarget target;
        bool clearFirst = true;
        qint64 pid = 0;
        // Used when the field's frame cannot be read again.
        QRectF frame;
        QString value;
        // The launcher pastes instead when nothing gets typed: no beep then.
        bool fallbackFollows = false;
    };

    EventDisposition handleLocalMouseDown(const MouseDownEvent &event);
    void handleGlobalMouseDown(const MouseDownEvent &event);
    // `at` in the accessibility space.
    void scheduleNotchActivation(std::optional<QPointF> at);
    void handleDesktopChange();
    void updateSuperDoubleClickHold();
    // The target's frame in the global screen space.
    std::optional<QRectF> fieldScreenFrame(const FocusedFieldTarget &target) const;

    // Local intelligence, field suggestions and both permissions.
    bool fieldSuggestionCondition() const;
    // Local intelligence and both permissions.
    bool handlerCondition() const;
    bool hasPermissions() const;
    bool isThisApplication(const RunningApplication &app) const;
    bool isFieldWindowEnabled() const;
    // The application's focused element when it is an editable field of an eligible kind, with its descriptor.
    std::optional<FocusedFieldTarget> focusedEligibleField(const RunningApplication &app) const;
    std::optional<ClipboardPasteTarget> fieldUnderPoint(QPointF point) const;

    // How an insertion ends, for whoever waits for it.
    struct InsertionState;
    class InsertionAwaiter;
    std::shared_ptr<InsertionState> startInsertion(const FocusedFieldSuggestion &suggestion,
                                                   const FocusedFieldTarget &target,
                                                   const RunningApplication &application, const QRectF &frame,
                                                   bool fallbackFollows);
    void scheduleTypingEffectHide(double delay);
    FocusedFieldTypingEffectWindow &typingEffectWindow();
    void hideTypingEffect();
#ifndef Q_MOC_RUN
    Task<> runNotchActivation(QPointF point, std::optional<ClipboardPasteTarget> clickTimeField, QPointF anchor,
                              std::optional<ClipboardPasteTarget> plainTarget);
    // Gathers the field's remembered and sample values, then shows them in the launcher.
    Task<> presentFieldContext(RunningApplication application, FocusedFieldTarget target, NotchLauncherListKind list,
                               std::optional<QPointF> at);
    Task<> runTyping(Insertion insertion, std::shared_ptr<InsertionState> state);
    // Waits until the field shows the value; true at once when the field does not show its text.
    Task<bool> valueArrived(FocusedFieldTarget target, QString value, bool clearFirst, bool exposesText);
    Task<> runTypingEffectHide(double delay);
#endif
    void endInsertion(const Insertion &insertion, InsertionOutcome outcome, InsertionState &state);

    NotchFieldLauncher *launcher() const { return m_launcherOwner ? m_launcher : nullptr; }

    Platform m_platform;
    QPointer<SettingsStore> m_settings;
    QPointer<FocusedFieldSuggestionService> m_fields;
    QPointer<QObject> m_launcherOwner;
    NotchFieldLauncher *m_launcher = nullptr;
    QPointer<ClipboardService> m_clipboardService;
    QPointer<FieldValueAssociationService> m_associations;
    std::optional<MonitorToken> m_mouseMonitor;
    std::optional<MonitorToken> m_localMouseMonitor;
    NotchDoubleClickTracker m_doubleClickTracker;
    QMetaObject::Connection m_desktopObserver;
    QMetaObject::Connection m_settingsObserver;
    QMetaObject::Connection m_permissionsObserver;
#ifndef Q_MOC_RUN
    TaskSlot m_pendingNotchActivationTask;
    TaskSlot m_fieldContextTask;
    TaskSlot m_fieldTypingTask;
    TaskSlot m_fieldTypingEffectHideTask;
#endif
    std::unique_ptr<FocusedFieldTypingEffectWindow> m_fieldTypingEffectWindow;
    std::optional<RunningApplication> m_notchApplication;
    std::optional<FocusedFieldTarget> m_notchTarget;
    std::optional<InsertionOutcome> m_lastInsertionOutcome;
    FocusedFieldSampleGenerator m_sampleGenerator;
    AppLogger m_logger{QStringLiteral("FocusedFieldAutoPasteService")};
    Lifetime m_lifetime;
};
