#include "platform/linux/LinuxAppearance.h"

#include <QFile>
#include <QEvent>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QPalette>
#include <QSettings>
#include <QStandardPaths>

#include <gio/gio.h>
#include <xcb/xcb.h>

namespace {

// GNOME's setting, when its schema is installed (looking a missing schema up by name would abort).
std::optional<bool> gnomeAnimationsEnabled()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return std::nullopt;
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE);
    if (!schema)
        return std::nullopt;
    const bool hasKey = g_settings_schema_has_key(schema, "enable-animations");
    g_settings_schema_unref(schema);
    if (!hasKey)
        return std::nullopt;
    GSettings *settings = g_settings_new("org.gnome.desktop.interface");
    const bool enabled = g_settings_get_boolean(settings, "enable-animations");
    g_object_unref(settings);
    return enabled;
}

std::optional<bool> gtkAnimationsEnabled()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/gtk-3.0/settings.ini");
    if (!QFile::exists(path))
        return std::nullopt;
    QSettings ini(path, QSettings::IniFormat);
    const QVariant value = ini.value(QStringLiteral("Settings/gtk-enable-animations"));
    if (!value.isValid())
        return std::nullopt;
    const QString text = value.toString().trimmed().toLower();
    return !(text == QLatin1String("false") || text == QLatin1String("0"));
}

} // namespace

LinuxAppearance::LinuxAppearance(QObject *parent)
    : Appearance(parent)
    , m_reduceMotion(readReduceMotion())
{
    if (qApp)
        qApp->installEventFilter(this);
}

LinuxAppearance::~LinuxAppearance()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool LinuxAppearance::readReduceMotion()
{
    if (const std::optional<bool> gnome = gnomeAnimationsEnabled())
        return !*gnome;
    if (const std::optional<bool> gtk = gtkAnimationsEnabled())
        return !*gtk;
    return false;
}

ColorScheme LinuxAppearance::colorScheme() const
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    return window.lightness() < 128 ? ColorScheme::dark : ColorScheme::light;
}

bool LinuxAppearance::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        Q_EMIT changed();
    return Appearance::eventFilter(watched, event);
}

bool LinuxAppearance::supportsTranslucency() const
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen> (the first screen is ours).
    const QByteArray name = QByteArrayLiteral("_NET_WM_CM_S0");
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, quint16(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    free(owner);
    return owned;
}
