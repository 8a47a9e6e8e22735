#include "settings/SettingsWindow.h"

#include "intelligence/ClipboardAIController.h"
#include "platform/LanguageModel.h"
#include "settings/SettingsView.h"
#include "state/SystemStatus.h"

#include <QGuiApplication>
#include <QScreen>

SettingsWindow::SettingsWindow(SettingsStore &settings, FilterManager &filters, const Platform &platform,
                               ClipboardAIController *ai, SystemStatus *status, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_filters(filters)
    , m_platform(platform)
    , m_ai(ai)
    , m_status(status)
{
}

SettingsWindow::~SettingsWindow()
{
    delete m_view.data();
}

bool SettingsWindow::isOpen() const
{
    return m_view && m_view->isVisible();
}

void SettingsWindow::show()
{
    // The endpoint setting may have changed since the last opening.
    if (m_status && m_platform.languageModel)
        m_status->setModelAddress(m_platform.languageModel->remoteAddress());
    if (!m_view) {
        m_view = new SettingsView(m_settings, m_filters, m_platform, m_ai, m_status);
        m_view->setObjectName(identifier);
        m_view->setWindowTitle(QStringLiteral("Tavlen Settings"));
        m_view->setMinimumSize(minimumSize);
        m_view->resize(defaultSize);
        // Centred on the primary screen the first time; afterwards where the user left it.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            m_view->move(available.center() - QPoint(defaultSize.width() / 2, defaultSize.height() / 2));
        }
    }
    if (m_ai)
        m_ai->requestAvailabilityRefresh();
    m_view->show();
    m_view->setWindowState(m_view->windowState() & ~Qt::WindowMinimized);
    m_view->raise();
    m_view->activateWindow();
}

SettingsView *SettingsWindow::view() const
{
    return m_view;
}
