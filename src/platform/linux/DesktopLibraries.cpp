#include "platform/linux/DesktopLibraries.h"

#define SECRET_API_SUBJECT_TO_CHANGE
#include <atspi/atspi.h>
#include <gio/gio.h>
#include <libsecret/secret.h>

#include <QtGlobal>

#include <dlfcn.h>

#include <cstdarg>
#include <mutex>

namespace {

struct LibraryFile {
    const char *name;
    void *handle = nullptr;
};

} // namespace

void *DesktopLibraries::function(Library library, const char *name)
{
    // Each function asks once and keeps the address (a static of its own), so this runs once per function.
    static LibraryFile files[] = {{"libatspi.so.0"}, {"libsecret-1.so.0"}, {"libgio-2.0.so.0"}, {"libgobject-2.0.so.0"}};
    LibraryFile &file = files[int(library)];
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    if (!file.handle) {
        file.handle = ::dlopen(file.name, RTLD_NOW | RTLD_LOCAL);
        if (!file.handle)
            qFatal("Tavlen cannot load %s: %s", file.name, ::dlerror());
    }
    void *address = ::dlsym(file.handle, name);
    if (!address)
        qFatal("Tavlen cannot find %s in %s: %s", name, file.name, ::dlerror());
    return address;
}

// A function of the library, looked up on its first call.
#define TAVLEN_FORWARD(library, name)                                                                        \
    static const auto real = reinterpret_cast<decltype(&::name)>(                                          \
        DesktopLibraries::function(DesktopLibraries::Library::library, #name))

// Defines the function `name` of `library` with its result and parameters, handing each call on to the library.
// The name is in parentheses: a library header may also define it as a macro.
#define TAVLEN_FORWARD_CALL(library, result, name, parameters, arguments)                                    \
    result(name) parameters                                                                                  \
    {                                                                                                        \
        TAVLEN_FORWARD(library, name);                                                                       \
        return real arguments;                                                                               \
    }

extern "C" {

TAVLEN_FORWARD_CALL(atspi, void, atspi_accessible_clear_cache, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_accessible_get_accessible_id,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiAction *, atspi_accessible_get_action_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, GHashTable *, atspi_accessible_get_attributes,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiAccessible *, atspi_accessible_get_child_at_index,
                    (AtspiAccessible *obj, gint child_index, GError **error), (obj, child_index, error))
TAVLEN_FORWARD_CALL(atspi, gint, atspi_accessible_get_child_count, (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiCollection *, atspi_accessible_get_collection_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, AtspiComponent *, atspi_accessible_get_component_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_accessible_get_description,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiDocument *, atspi_accessible_get_document_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, AtspiEditableText *, atspi_accessible_get_editable_text_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_accessible_get_localized_role_name,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_accessible_get_name, (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiAccessible *, atspi_accessible_get_parent,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, guint, atspi_accessible_get_process_id,
                    (AtspiAccessible *accessible, GError **error), (accessible, error))
TAVLEN_FORWARD_CALL(atspi, AtspiRole, atspi_accessible_get_role, (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiStateSet *, atspi_accessible_get_state_set, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, AtspiText *, atspi_accessible_get_text_iface, (AtspiAccessible *obj), (obj))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_accessible_get_toolkit_name,
                    (AtspiAccessible *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_action_do_action,
                    (AtspiAction *obj, gint i, GError **error), (obj, i, error))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_action_get_action_name,
                    (AtspiAction *obj, gint i, GError **error), (obj, i, error))
TAVLEN_FORWARD_CALL(atspi, gint, atspi_action_get_n_actions, (AtspiAction *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, GArray *, atspi_collection_get_matches,
                    (AtspiCollection *collection, AtspiMatchRule *rule, AtspiCollectionSortOrder sortby, gint count, gboolean traverse, GError **error),
                    (collection, rule, sortby, count, traverse, error))
TAVLEN_FORWARD_CALL(atspi, AtspiAccessible *, atspi_component_get_accessible_at_point,
                    (AtspiComponent *obj, gint x, gint y, AtspiCoordType ctype, GError **error),
                    (obj, x, y, ctype, error))
TAVLEN_FORWARD_CALL(atspi, AtspiRect *, atspi_component_get_extents,
                    (AtspiComponent *obj, AtspiCoordType ctype, GError **error), (obj, ctype, error))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_component_grab_focus, (AtspiComponent *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_document_get_document_attribute_value,
                    (AtspiDocument *obj, gchar *attribute, GError **error), (obj, attribute, error))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_editable_text_delete_text,
                    (AtspiEditableText *obj, gint start_pos, gint end_pos, GError **error),
                    (obj, start_pos, end_pos, error))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_editable_text_insert_text,
                    (AtspiEditableText *obj, gint position, const gchar *text, gint length, GError **error),
                    (obj, position, text, length, error))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_editable_text_set_text_contents,
                    (AtspiEditableText *obj, const gchar *new_contents, GError **error), (obj, new_contents, error))
TAVLEN_FORWARD_CALL(atspi, AtspiAccessible *, atspi_get_desktop, (gint i), (i))
TAVLEN_FORWARD_CALL(atspi, int, atspi_init, (void), ())
TAVLEN_FORWARD_CALL(atspi, AtspiMatchRule *, atspi_match_rule_new,
                    (AtspiStateSet *states, AtspiCollectionMatchType statematchtype, GHashTable *attributes, AtspiCollectionMatchType attributematchtype, GArray *roles, AtspiCollectionMatchType rolematchtype, GArray *interfaces, AtspiCollectionMatchType interfacematchtype, gboolean invert),
                    (states, statematchtype, attributes, attributematchtype, roles, rolematchtype, interfaces, interfacematchtype, invert))
TAVLEN_FORWARD_CALL(atspi, void, atspi_set_timeout, (gint val, gint startup_time), (val, startup_time))
TAVLEN_FORWARD_CALL(atspi, void, atspi_state_set_add, (AtspiStateSet *set, AtspiStateType state), (set, state))
TAVLEN_FORWARD_CALL(atspi, gboolean, atspi_state_set_contains, (AtspiStateSet *set, AtspiStateType state), (set, state))
TAVLEN_FORWARD_CALL(atspi, AtspiStateSet *, atspi_state_set_new, (GArray *states), (states))
TAVLEN_FORWARD_CALL(atspi, gint, atspi_text_get_caret_offset, (AtspiText *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, gint, atspi_text_get_character_count, (AtspiText *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, gint, atspi_text_get_n_selections, (AtspiText *obj, GError **error), (obj, error))
TAVLEN_FORWARD_CALL(atspi, AtspiRange *, atspi_text_get_selection,
                    (AtspiText *obj, gint selection_num, GError **error), (obj, selection_num, error))
TAVLEN_FORWARD_CALL(atspi, gchar *, atspi_text_get_text,
                    (AtspiText *obj, gint start_offset, gint end_offset, GError **error),
                    (obj, start_offset, end_offset, error))
TAVLEN_FORWARD_CALL(secret, SecretCollection *, secret_collection_for_alias_sync,
                    (SecretService *service, const gchar *alias, SecretCollectionFlags flags, GCancellable *cancellable, GError **error),
                    (service, alias, flags, cancellable, error))
TAVLEN_FORWARD_CALL(secret, gboolean, secret_collection_get_locked, (SecretCollection *self), (self))
TAVLEN_FORWARD_CALL(secret, gboolean, secret_item_set_secret_sync,
                    (SecretItem *self, SecretValue *value, GCancellable *cancellable, GError **error),
                    (self, value, cancellable, error))
TAVLEN_FORWARD_CALL(secret, gboolean, secret_password_storev_binary_sync,
                    (const SecretSchema *schema, GHashTable *attributes, const gchar *collection, const gchar *label, SecretValue *value, GCancellable *cancellable, GError **error),
                    (schema, attributes, collection, label, value, cancellable, error))
TAVLEN_FORWARD_CALL(secret, SecretService *, secret_service_get_sync,
                    (SecretServiceFlags flags, GCancellable *cancellable, GError **error), (flags, cancellable, error))
TAVLEN_FORWARD_CALL(secret, const gchar *, secret_value_get, (SecretValue *value, gsize *length), (value, length))
TAVLEN_FORWARD_CALL(secret, SecretValue *, secret_value_new,
                    (const gchar *secret, gssize length, const gchar *content_type), (secret, length, content_type))
TAVLEN_FORWARD_CALL(secret, SecretValue *, secret_value_ref, (SecretValue *value), (value))
TAVLEN_FORWARD_CALL(secret, void, secret_value_unref, (gpointer value), (value))
TAVLEN_FORWARD_CALL(secret, SecretItem *, secret_item_new_for_dbus_path_sync,
                    (SecretService *service, const gchar *item_path, SecretItemFlags flags, GCancellable *cancellable, GError **error),
                    (service, item_path, flags, cancellable, error))
TAVLEN_FORWARD_CALL(secret, gboolean, secret_service_search_for_dbus_paths_sync,
                    (SecretService *self, const SecretSchema *schema, GHashTable *attributes, GCancellable *cancellable, gchar ***unlocked, gchar ***locked, GError **error),
                    (self, schema, attributes, cancellable, unlocked, locked, error))
TAVLEN_FORWARD_CALL(secret, SecretValue *, secret_service_get_secret_for_dbus_path_sync,
                    (SecretService *self, const gchar *item_path, GCancellable *cancellable, GError **error),
                    (self, item_path, cancellable, error))
TAVLEN_FORWARD_CALL(secret, GHashTable *, secret_service_get_secrets_for_dbus_paths_sync,
                    (SecretService *self, const gchar **item_paths, GCancellable *cancellable, GError **error),
                    (self, item_paths, cancellable, error))
TAVLEN_FORWARD_CALL(secret, gboolean, secret_service_delete_item_dbus_path_sync,
                    (SecretService *self, const gchar *item_path, GCancellable *cancellable, GError **error),
                    (self, item_path, cancellable, error))
TAVLEN_FORWARD_CALL(gio, void, g_cancellable_cancel, (GCancellable *cancellable), (cancellable))
TAVLEN_FORWARD_CALL(gio, GType, g_cancellable_get_type, (void), ())
TAVLEN_FORWARD_CALL(gio, gboolean, g_cancellable_is_cancelled, (GCancellable *cancellable), (cancellable))
TAVLEN_FORWARD_CALL(gio, GCancellable *, g_cancellable_new, (void), ())
TAVLEN_FORWARD_CALL(gio, GQuark, g_dbus_error_quark, (void), ())
TAVLEN_FORWARD_CALL(gio, GQuark, g_io_error_quark, (void), ())
TAVLEN_FORWARD_CALL(gio, gboolean, g_settings_get_boolean, (GSettings *settings, const gchar *key), (settings, key))
TAVLEN_FORWARD_CALL(gio, GSettings *, g_settings_new, (const gchar *schema_id), (schema_id))
TAVLEN_FORWARD_CALL(gio, gboolean, g_settings_schema_has_key,
                    (GSettingsSchema *schema, const gchar *name), (schema, name))
TAVLEN_FORWARD_CALL(gio, GSettingsSchemaSource *, g_settings_schema_source_get_default, (void), ())
TAVLEN_FORWARD_CALL(gio, GSettingsSchema *, g_settings_schema_source_lookup,
                    (GSettingsSchemaSource *source, const gchar *schema_id, gboolean recursive),
                    (source, schema_id, recursive))
TAVLEN_FORWARD_CALL(gio, void, g_settings_schema_unref, (GSettingsSchema *schema), (schema))
TAVLEN_FORWARD_CALL(gobject, gpointer, g_object_ref, (gpointer object), (object))
TAVLEN_FORWARD_CALL(gobject, void, g_object_unref, (gpointer object), (object))
TAVLEN_FORWARD_CALL(gobject, gulong, g_signal_connect_data,
                    (gpointer instance, const gchar *detailed_signal, GCallback c_handler, gpointer data, GClosureNotify destroy_data, GConnectFlags connect_flags),
                    (instance, detailed_signal, c_handler, data, destroy_data, connect_flags))
TAVLEN_FORWARD_CALL(gobject, guint, g_signal_handlers_disconnect_matched,
                    (gpointer instance, GSignalMatchType mask, guint signal_id, GQuark detail, GClosure *closure, gpointer func, gpointer data),
                    (instance, mask, signal_id, detail, closure, func, data))
TAVLEN_FORWARD_CALL(gobject, GTypeInstance *, g_type_check_instance_cast,
                    (GTypeInstance *instance, GType iface_type), (instance, iface_type))

// Variadic: handed on through the library's own va_list form.
GHashTable *(secret_attributes_build)(const SecretSchema *schema, ...)
{
    TAVLEN_FORWARD(secret, secret_attributes_buildv);
    va_list arguments;
    va_start(arguments, schema);
    GHashTable *attributes = real(schema, arguments);
    va_end(arguments);
    return attributes;
}

} // extern "C"
