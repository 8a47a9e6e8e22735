#pragma once
// The root state every service and view reaches: settings, run-time counters, filters, the remembered
// field values, local intelligence, and a weak link to the paste service.

#include "platform/Platform.h"
#include "platform/Task.h"

#include <QObject>
#include <QPointer>

#include <memory>

class ClipboardAIController;
class ClipboardAIService;
class ClipboardService;
class FieldValueAssociationService;
class FilterManager;
class FocusedFieldSuggestionService;
class RuntimeState;
class SettingsStore;

class AppState : public QObject {
    Q_OBJECT
public:
    explicit AppState(const Platform &platform, QObject *parent = nullptr);
    ~AppState() override;

    SettingsStore *settings() const { return m_settings.get(); }
    RuntimeState *runtime() const { return m_runtime.get(); }
    FilterManager *filters() const { return m_filters.get(); }
    FieldValueAssociationService *fieldValueAssociations() const { return m_fieldValueAssociations.get(); }
    // Finds other applications' fields under a point, in focus, or behind a copy.
    FocusedFieldSuggestionService *focusedFieldSuggestions() const { return m_focusedFieldSuggestions.get(); }
    ClipboardAIController *ai() const { return m_ai.get(); }

    ClipboardService *clipboardService() const;
    void setClipboardService(ClipboardService *service);

    // True when accessibility trust and event posting are both held. Otherwise marks the permission as
    // asked, prompts for both and, when either stays refused, opens the accessibility settings.
    bool requestAutomationPermissions();

    // Pastes `text` as a new text item into the previously active application; false at once when the
    // paste service is gone.
    Task<bool> paste(QString text);


Q_SIGNALS:
    void clipboardServiceChanged();

private:
    Platform m_platform;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RuntimeState> m_runtime;
    std::unique_ptr<FilterManager> m_filters;
    // On the field-value store file ("focused-field-associations.store" in the data folder), one for the run.
    std::unique_ptr<FieldValueAssociationService> m_fieldValueAssociations;
    std::unique_ptr<FocusedFieldSuggestionService> m_focusedFieldSuggestions;
    std::unique_ptr<ClipboardAIService> m_aiService;
    std::unique_ptr<ClipboardAIController> m_ai;
    QPointer<ClipboardService> m_clipboardService;
};
