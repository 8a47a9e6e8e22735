#include "intelligence/SpellingServiceContent.h"

#include "intelligence/ClipboardAIController.h"
#include "model/SettingsStore.h"
#include "platform/Appearance.h"

#include <QVBoxLayout>

namespace {

// The check-spelling action on the controller, which validates the text again and keeps its surrounding
// white space; a controller gone meanwhile answers as an unavailable model.
Task<ClipboardAIResult<QString>> checkSpelling(QPointer<ClipboardAIController> controller, QString text)
{
    if (!controller)
        co_return ClipboardAIError::unavailable();
    const std::optional<ClipboardAIResult<QString>> result
        = co_await controller->perform(ClipboardAIAction::checkSpelling, std::move(text));
    if (!result)
        co_return ClipboardAIError::unavailable();
    co_return *result;
}

} // namespace

SpellingServiceContent::SpellingServiceContent(QString original, bool canReplace, SpellingPreviewView::OnReplace onReplace,
                                               std::function<void()> onClose, SettingsStore &settings,
                                               ClipboardAIController &ai, const Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_settings(&settings)
    , m_platform(platform)
{
    QPointer<ClipboardAIController> controller(&ai);
    SpellingPreviewView::CheckSpelling check = [controller](QString text) { return checkSpelling(controller, std::move(text)); };
    m_panel = new SpellingPreviewView(std::move(original), settings.settings().aiEnabled, canReplace, std::move(check),
                                      std::move(onReplace), std::move(onClose), platform, [this] { return palette(); },
                                      this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_panel);

    connect(&settings, &SettingsStore::settingsChanged, this, [this] {
        if (m_settings)
            m_panel->setIntelligenceEnabled(m_settings->settings().aiEnabled);
        m_panel->applyPalette();
    });
    if (platform.appearance)
        connect(platform.appearance, &Appearance::changed, m_panel, &SpellingPreviewView::applyPalette);
}

Palette SpellingServiceContent::palette() const
{
    const QColor accent = m_settings ? color(m_settings->settings().accentColor) : Palette().accent;
    return Palette::from(m_platform.appearance, accent);
}
