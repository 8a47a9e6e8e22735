#include "intelligence/SpellingServiceProvider.h"

#include "intelligence/ClipboardAIController.h"
#include "intelligence/SpellingRefusalWindow.h"
#include "intelligence/SpellingServiceContent.h"
#include "intelligence/SpellingText.h"
#include "model/AccentColorOption.h"
#include "model/SettingsStore.h"
#include "platform/TextServices.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

SpellingServiceProvider::SpellingServiceProvider(SettingsStore &settings, ClipboardAIController &ai,
                                                 const Platform &platform, QObject *parent)
    : QObject(parent)
    , m_settings(&settings)
    , m_ai(&ai)
    , m_platform(platform)
{
}

SpellingServiceProvider::~SpellingServiceProvider()
{
    m_lifetime.end();
    uninstall();
    for (const auto &request : std::as_const(m_requests))
        request.cancel();
    delete m_previewWindow.data();
    delete m_refusalWindow.data();
}

bool SpellingServiceProvider::install()
{
    if (m_installed || !m_platform.textServices)
        return m_installed;
    const Lifetime::Pointer<SpellingServiceProvider> self(this, m_lifetime);
    m_installed = m_platform.textServices->offerSpellingService([self](QString text, bool byCommand) -> Task<std::optional<QString>> {
        if (!self)
            return [](QString) -> Task<std::optional<QString>> {
                co_return QStringLiteral("Tavlen is quitting.");
            }(text);
        self->m_requests.removeIf([](const auto &request) { return request.isFinished(); });
        // Only the person's own command (their key) may take the keyboard: another program's call never
        // keeps it from them.
        Task<std::optional<QString>> request = self->answerRequest(std::move(text), byCommand);
        self->m_requests.append(request);
        return request;
    });
    return m_installed;
}

void SpellingServiceProvider::uninstall()
{
    if (!m_installed)
        return;
    m_installed = false;
    if (m_platform.textServices)
        m_platform.textServices->withdrawSpellingService();
}

Task<std::optional<QString>> SpellingServiceProvider::answerRequest(QString text, bool takeKeyboard)
{
    QPointer<SpellingServiceProvider> self(this);
    const std::optional<std::optional<QString>> answer = co_await checkSpelling(std::move(text), takeKeyboard);
    const std::optional<QString> refusal = answer.value_or(std::nullopt);
    // The caller gets the reason at once; the person sees it here, whoever asked.
    if (refusal && self)
        self->showRefusal(*refusal, takeKeyboard);
    co_return refusal;
}

void SpellingServiceProvider::showRefusal(const QString &message, bool takeKeyboard)
{
    closeRefusalWindow();
    QPointer<SettingsStore> settings = m_settings;
    const Platform platform = m_platform;
    auto *window = new SpellingRefusalWindow(m_platform, windowTitle, message, takeKeyboard, [settings, platform] {
        return Palette::from(platform.appearance, settings ? color(settings->settings().accentColor) : Palette().accent);
    });
    m_refusalWindow = window;
    window->show();
}

SpellingRefusalWindow *SpellingServiceProvider::refusalWindow() const
{
    return m_refusalWindow.data();
}

void SpellingServiceProvider::closeRefusalWindow()
{
    if (SpellingRefusalWindow *window = m_refusalWindow.data()) {
        m_refusalWindow.clear();
        window->close();
    }
}

Task<std::optional<QString>> SpellingServiceProvider::checkSpelling(QString text, bool takeKeyboard)
{
    const Lifetime::Pointer<SpellingServiceProvider> self(this, m_lifetime);
    if (!m_settings || !m_settings->settings().aiEnabled)
        co_return intelligenceOffMessage;
    if (text.isEmpty())
        co_return noTextMessage;
    if (const std::optional<ClipboardAIError> invalid = SpellingText::validate(text))
        co_return invalid->localizedDescription();
    // Taken now, while the other application is still in front; no target only means no direct replacement.
    std::optional<SpellingSelectionTarget> target = SpellingSelectionTarget::capture(m_platform, text);

    // A model that cannot answer is refused here rather than in an empty window.
    if (m_ai) {
        const bool refreshed = co_await m_ai->refreshAvailability();
        if (!refreshed || !self)
            co_return QStringLiteral("Tavlen stopped before it could check the spelling.");
        if (!m_ai || m_ai->availability() != ClipboardAIAvailability::available)
            co_return ClipboardAIError::unavailable().localizedDescription();
    }
    openWindow(text, std::move(target), takeKeyboard);
    co_return std::nullopt;
}

void SpellingServiceProvider::openWindow(const QString &text, std::optional<SpellingSelectionTarget> target,
                                         bool takeKeyboard)
{
    closePreviewWindow();
    if (!m_settings || !m_ai)
        return;
    const bool canReplace = target.has_value();
    const Platform platform = m_platform;
    SpellingPreviewView::OnReplace onReplace = [target, platform](QString corrected) {
        return target ? target->replaceSelection(corrected, platform) : SpellingSelectionTarget::Replacement::refused;
    };
    const Lifetime::Pointer<SpellingServiceProvider> self(this, m_lifetime);
    auto *window = new SpellingServiceContent(text, canReplace, std::move(onReplace),
                                              [self] {
                                                  if (self)
                                                      self->closePreviewWindow();
                                              },
                                              *m_settings, *m_ai, m_platform);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(windowTitle);
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    window->setMinimumSize(minimumWindowSize);
    window->resize(windowSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window->move(available.center() - QPoint(windowSize.width() / 2, windowSize.height() / 2));
    }
    m_previewWindow = window;
    window->installEventFilter(this);
    window->setAttribute(Qt::WA_ShowWithoutActivating, !takeKeyboard);
    window->show();
    window->raise();
    if (takeKeyboard) {
        window->activateWindow();
        window->panel()->setFocus();
    }
}

void SpellingServiceProvider::closePreviewWindow()
{
    // Closing deletes the window and its panel, which ends a check still running.
    if (QWidget *window = m_previewWindow.data()) {
        m_previewWindow.clear();
        window->close();
    }
}

bool SpellingServiceProvider::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == m_previewWindow.data())
        m_previewWindow.clear();
    return QObject::eventFilter(watched, event);
}

SpellingServiceContent *SpellingServiceProvider::previewContent() const
{
    return qobject_cast<SpellingServiceContent *>(m_previewWindow.data());
}
