#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/SettingsFilePreferences.h"
#include "platform/linux/LinuxAppearance.h"
#include "platform/linux/LinuxBeeper.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/LinuxKeyboardOutput.h"
#include "platform/linux/LinuxPanelFactory.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxPermissions.h"
#include "platform/linux/LinuxPrimarySelection.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/LinuxScreens.h"
#include "platform/linux/LinuxSecretStore.h"
#include "platform/linux/LinuxHotKeys.h"
#include "platform/linux/LinuxLanguageModel.h"
#include "platform/linux/LinuxNotifications.h"
#include "platform/linux/LinuxDesktopSwitchSignals.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/LinuxTextServices.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "platform/linux/XcbSession.h"
#include "platform/linux/XdgStorageLocations.h"

#include <xcb/xcb.h>

LinuxPlatform::LinuxPlatform(QObject *parent)
    : LinuxPlatform(Purpose::application, parent)
{
}

LinuxPlatform::LinuxPlatform(Purpose purpose, QObject *parent)
    : QObject(parent)
    , m_x11(std::make_unique<XcbSession>())
{
    // Backends are children of this object, so they live exactly as long as the platform.
    m_platform.clock = new SystemClock(this);
    m_platform.workspace = new LinuxWorkspace(*m_x11, this);
    if (purpose == Purpose::serviceRequest) {
        m_platform.accessibility = new LinuxAccessibility(*m_x11, this);
        m_platform.primarySelection = new LinuxPrimarySelection(*m_x11, this);
        m_platform.textServices = new LinuxTextServices(this);
        return;
    }
    m_platform.permissions = new LinuxPermissions(*m_x11, this);
    m_platform.keyboard = new LinuxKeyboardOutput(*m_platform.clock, *m_x11, this);
    m_platform.beeper = new LinuxBeeper(*m_x11, this);
    m_platform.pasteboard = new LinuxPasteboard(this);
    m_platform.panels = new LinuxPanelFactory(this);
    m_platform.eventMonitors = new LinuxEventMonitors(this);
    m_platform.storage = new XdgStorageLocations(this);
    m_platform.preferences = new SettingsFilePreferences(*m_platform.storage, this);
    m_platform.screens = new LinuxScreens(this);
    m_platform.hotKeys = new LinuxHotKeys(this);
    m_platform.desktopSwitchSignals = new LinuxDesktopSwitchSignals(this);
    m_platform.appearance = new LinuxAppearance(this);
    m_platform.accessibility = new LinuxAccessibility(*m_x11, this);
    m_platform.secrets = new LinuxSecretStore(*m_platform.clock, this);
    Preferences *preferences = m_platform.preferences;
    m_platform.languageModel = new LinuxLanguageModel(
        *m_platform.clock, [preferences] { return ModelEndpoint::read(*preferences); }, this);
    m_platform.textRecognizer = new TesseractTextRecognizer(this);
    m_platform.primarySelection = new LinuxPrimarySelection(*m_x11, this);
    m_platform.textServices = new LinuxTextServices(this);
    m_platform.notifications = new LinuxNotifications(this);
}

LinuxPlatform::~LinuxPlatform()
{
    // The backends still use the shared X connection as they close (the keyboard puts its map back).
    qDeleteAll(QObjectList(children()));
}

QString LinuxPlatform::displayProblem()
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("DISPLAY is not set: Tavlen needs an X11 display (run it inside an X11 session).");
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error)
        return QStringLiteral("Cannot open the X11 display \"%1\": is the X server running and may this user use it?")
            .arg(QString::fromLocal8Bit(display));
    return {};
}

void LinuxPlatform::useX11Windows()
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    // The windows are small and mostly repaint a small rectangle (the logo's pulse on every copy). Through
    // shared memory, a repaint of a rectangle whose last frame the server may still be reading first waits
    // for a round trip to it: a third of what a pulse costs, where sending the few pixels costs nothing.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

QString LinuxPlatform::sessionLimits()
{
    if (qgetenv("XDG_SESSION_TYPE") != "wayland" && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    return QStringLiteral(
        "This is a Wayland session: Tavlen runs through XWayland, where the hot key Super+Shift+1 and the capture "
        "of copies made in Wayland windows depend on the compositor and may not work. In an X11 session both do.");
}
