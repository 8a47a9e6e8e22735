#include "state/AppState.h"

#include "clipboard/ClipboardService.h"
#include "fields/FieldValueAssociationService.h"
#include "fields/FocusedFieldSuggestionService.h"
#include "intelligence/ClipboardAIController.h"
#include "intelligence/ClipboardAIService.h"
#include "model/ClipboardItem.h"
#include "model/FilterManager.h"
#include "model/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/Permissions.h"
#include "platform/StorageLocations.h"
#include "state/RuntimeState.h"

AppState::AppState(const Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_settings(std::make_unique<SettingsStore>(*platform.preferences))
    , m_runtime(std::make_unique<RuntimeState>())
    , m_filters(std::make_unique<FilterManager>(*platform.preferences))
    , m_fieldValueAssociations(std::make_unique<FieldValueAssociationService>(
          platform.storage->dataFolder(), *platform.secrets, *platform.clock, FieldValueKeychain::defaultService()))
    , m_focusedFieldSuggestions(std::make_unique<FocusedFieldSuggestionService>(platform))
    , m_aiService(std::make_unique<ClipboardAIService>(*platform.languageModel))
    , m_ai(std::make_unique<ClipboardAIController>(*m_aiService, *platform.clock))
{
}

AppState::~AppState() = default;

ClipboardService *AppState::clipboardService() const
{
    return m_clipboardService;
}

void AppState::setClipboardService(ClipboardService *service)
{
    if (m_clipboardService == service)
        return;
    m_clipboardService = service;
    Q_EMIT clipboardServiceChanged();
}

bool AppState::requestAutomationPermissions()
{
    Permissions &permissions = *m_platform.permissions;
    if (permissions.isTrusted() && permissions.canPostEvents())
        return true;

    m_settings->update([](UserSettingsData &s) { s.hasRequestedEventPostingPermission = true; });
    const bool trusted = permissions.requestTrust();
    const bool canPost = permissions.requestEventPosting();
    if (trusted && canPost)
        return true;
    permissions.openAccessibilitySettings();
    return false;
}

Task<bool> AppState::paste(QString text)
{
    QPointer<ClipboardService> service = m_clipboardService;
    if (!service)
        co_return false;
    ClipboardItem item(QUuid::createUuid());
    item.setText(text);
    item.setTypeRawValue(rawValue(ClipboardItemType::text));
    item.setDate(m_platform.clock->now());
    const std::optional<bool> pasted = co_await service->paste(item);
    co_return pasted.value_or(false);
}
