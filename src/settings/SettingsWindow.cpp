#include "settings/SettingsWindow.h"

#include "intelligence/ClipboardAIController.h"
#include "platform/LanguageModel.h"
#include "platform/Workspace.h"
#include "settings/SettingsView.h"
#include "state/SystemStatus.h"

#include <QEvent>
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
    // A window destroyed by another program (xkill, a window manager that crashed) leaves its widget sure it
    // is still shown: it goes, and another is built.
    if (m_view && m_view->internalWinId() && m_platform.workspace) {
        RunningApplication window;
        window.window = m_view->internalWinId();
        if (m_platform.workspace->isTerminated(window))
            delete letGo();
    }
    if (!m_view) {
        m_view = new SettingsView(m_settings, m_filters, m_platform, m_ai, m_status);
        m_view->setObjectName(identifier);
        m_view->setWindowTitle(QStringLiteral("Tavlen Settings"));
        m_view->setMinimumSize(minimumSize);
        m_view->setAttribute(Qt::WA_DeleteOnClose);
        m_view->installEventFilter(this);
        // Centred on the primary screen the first time; afterwards where the user left it.
        if (m_geometry.isEmpty() || !m_view->restoreGeometry(m_geometry)) {
            m_view->resize(defaultSize);
            if (const QScreen *screen = QGuiApplication::primaryScreen()) {
                const QRect available = screen->availableGeometry();
                m_view->move(available.center() - QPoint(defaultSize.width() / 2, defaultSize.height() / 2));
            }
        }
        m_view->showPage(m_page);
    }
    if (m_ai)
        m_ai->requestAvailabilityRefresh();
    m_view->show();
    m_view->setWindowState(m_view->windowState() & ~Qt::WindowMinimized);
    m_view->raise();
    m_view->activateWindow();
}

bool SettingsWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The view never refuses to close: it is deleted once this event is done, and the next opening makes another.
    if (event->type() == QEvent::Close && watched == m_view)
        letGo();
    return QObject::eventFilter(watched, event);
}

SettingsView *SettingsWindow::letGo()
{
    SettingsView *view = m_view;
    m_geometry = view->saveGeometry();
    m_page = view->currentPageTitle();
    m_view.clear();
    return view;
}

SettingsView *SettingsWindow::view() const
{
    return m_view;
}
