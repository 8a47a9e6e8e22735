#include "platform/linux/LinuxAppearance.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QPalette>
#include <QStandardPaths>

#include <gio/gio.h>
#include <xcb/xcb.h>

#include <optional>

namespace {

const char *const kInterfaceSchema = "org.gnome.desktop.interface";
const char *const kAnimationsKey = "enable-animations";

// GNOME's interface settings, when its schema is installed with the key (looking a missing schema up by
// name would abort).
GSettings *gnomeInterfaceSettings()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE);
    if (!schema)
        return nullptr;
    const bool hasKey = g_settings_schema_has_key(schema, kAnimationsKey);
    g_settings_schema_unref(schema);
    return hasKey ? g_settings_new(kInterfaceSchema) : nullptr;
}

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString gtkSettingsFolder()
{
    return configFolder() + QStringLiteral("/gtk-3.0");
}

QString gtkSettingsPath()
{
    return gtkSettingsFolder() + QStringLiteral("/settings.ini");
}

// Read with GLib's key-file parser, as GTK reads it; read afresh each time (no cache to go stale).
std::optional<bool> gtkAnimationsEnabled()
{
    const QByteArray path = QFile::encodeName(gtkSettingsPath());
    GKeyFile *file = g_key_file_new();
    std::optional<bool> enabled;
    if (g_key_file_load_from_file(file, path.constData(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar *value = g_key_file_get_value(file, "Settings", "gtk-enable-animations", nullptr)) {
            const QString text = QString::fromUtf8(value).trimmed().toLower();
            enabled = !(text == QLatin1String("false") || text == QLatin1String("0"));
            g_free(value);
        }
    }
    g_key_file_free(file);
    return enabled;
}

} // namespace

LinuxAppearance::LinuxAppearance(QObject *parent)
    : Appearance(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
    // Loading the desktop's settings takes a millisecond or two the start-up does not wait for: they are
    // read on the first turn of the event loop, before any window is made.
    QMetaObject::invokeMethod(this, &LinuxAppearance::followAnimationSetting, Qt::QueuedConnection);
}

void LinuxAppearance::followAnimationSetting()
{
    m_gnomeInterface = gnomeInterfaceSettings();
    if (m_gnomeInterface) {
        // GSettings announces a change of a key only after it was read with the handler connected:
        // connect first, read below.
        g_signal_connect(m_gnomeInterface, "changed::enable-animations", G_CALLBACK(gnomeSettingChanged), this);
    } else {
        m_gtkWatcher = new QFileSystemWatcher(this);
        const auto changed = [this] {
            watchGtkSettings();
            refreshReduceMotion();
        };
        connect(m_gtkWatcher, &QFileSystemWatcher::fileChanged, this, changed);
        connect(m_gtkWatcher, &QFileSystemWatcher::directoryChanged, this, changed);
        watchGtkSettings();
    }
    refreshReduceMotion();
}

LinuxAppearance::~LinuxAppearance()
{
    if (qApp)
        qApp->removeEventFilter(this);
    if (m_gnomeInterface) {
        g_signal_handlers_disconnect_by_data(m_gnomeInterface, this);
        g_object_unref(m_gnomeInterface);
    }
}

void LinuxAppearance::gnomeSettingChanged(GSettings *, char *, void *self)
{
    static_cast<LinuxAppearance *>(self)->refreshReduceMotion();
}

bool LinuxAppearance::readReduceMotion() const
{
    if (m_gnomeInterface)
        return !g_settings_get_boolean(m_gnomeInterface, kAnimationsKey);
    if (const std::optional<bool> gtk = gtkAnimationsEnabled())
        return !*gtk;
    return false;
}

void LinuxAppearance::refreshReduceMotion()
{
    const bool reduce = readReduceMotion();
    if (reduce == m_reduceMotion)
        return;
    m_reduceMotion = reduce;
    Q_EMIT changed();
}

void LinuxAppearance::watchGtkSettings()
{
    const QStringList watched = m_gtkWatcher->files() + m_gtkWatcher->directories();
    for (const QString &path : {configFolder(), gtkSettingsFolder(), gtkSettingsPath()}) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_gtkWatcher->addPath(path);
    }
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
    if (m_supportsTranslucency && m_translucencyAnswered.isValid()
        && m_translucencyAnswered.elapsed() < translucencyAnswerMs)
        return *m_supportsTranslucency;
    m_supportsTranslucency = askServerForTranslucency();
    m_translucencyAnswered.start();
    return *m_supportsTranslucency;
}

bool LinuxAppearance::askServerForTranslucency()
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
