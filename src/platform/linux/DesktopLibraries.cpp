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

// Each name in parentheses: a library header may also define it as a macro.
extern "C" {

void (atspi_accessible_clear_cache)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_clear_cache);
    return real(obj);
}

gchar *(atspi_accessible_get_accessible_id)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_accessible_id);
    return real(obj, error);
}

AtspiAction *(atspi_accessible_get_action_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_action_iface);
    return real(obj);
}

GHashTable *(atspi_accessible_get_attributes)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_attributes);
    return real(obj, error);
}

AtspiAccessible *(atspi_accessible_get_child_at_index)(AtspiAccessible *obj, gint child_index, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_child_at_index);
    return real(obj, child_index, error);
}

gint (atspi_accessible_get_child_count)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_child_count);
    return real(obj, error);
}

AtspiCollection *(atspi_accessible_get_collection_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_collection_iface);
    return real(obj);
}

AtspiComponent *(atspi_accessible_get_component_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_component_iface);
    return real(obj);
}

gchar *(atspi_accessible_get_description)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_description);
    return real(obj, error);
}

AtspiDocument *(atspi_accessible_get_document_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_document_iface);
    return real(obj);
}

AtspiEditableText *(atspi_accessible_get_editable_text_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_editable_text_iface);
    return real(obj);
}

gchar *(atspi_accessible_get_localized_role_name)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_localized_role_name);
    return real(obj, error);
}

gchar *(atspi_accessible_get_name)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_name);
    return real(obj, error);
}

AtspiAccessible *(atspi_accessible_get_parent)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_parent);
    return real(obj, error);
}

guint (atspi_accessible_get_process_id)(AtspiAccessible *accessible, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_process_id);
    return real(accessible, error);
}

AtspiRole (atspi_accessible_get_role)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_role);
    return real(obj, error);
}

AtspiStateSet *(atspi_accessible_get_state_set)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_state_set);
    return real(obj);
}

AtspiText *(atspi_accessible_get_text_iface)(AtspiAccessible *obj)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_text_iface);
    return real(obj);
}

gchar *(atspi_accessible_get_toolkit_name)(AtspiAccessible *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_accessible_get_toolkit_name);
    return real(obj, error);
}

gboolean (atspi_action_do_action)(AtspiAction *obj, gint i, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_action_do_action);
    return real(obj, i, error);
}

gchar *(atspi_action_get_action_name)(AtspiAction *obj, gint i, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_action_get_action_name);
    return real(obj, i, error);
}

gint (atspi_action_get_n_actions)(AtspiAction *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_action_get_n_actions);
    return real(obj, error);
}

GArray *(atspi_collection_get_matches)(AtspiCollection *collection, AtspiMatchRule *rule, AtspiCollectionSortOrder sortby, gint count, gboolean traverse, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_collection_get_matches);
    return real(collection, rule, sortby, count, traverse, error);
}

AtspiAccessible *(atspi_component_get_accessible_at_point)(AtspiComponent *obj, gint x, gint y, AtspiCoordType ctype, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_component_get_accessible_at_point);
    return real(obj, x, y, ctype, error);
}

AtspiRect *(atspi_component_get_extents)(AtspiComponent *obj, AtspiCoordType ctype, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_component_get_extents);
    return real(obj, ctype, error);
}

gboolean (atspi_component_grab_focus)(AtspiComponent *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_component_grab_focus);
    return real(obj, error);
}

gchar *(atspi_document_get_document_attribute_value)(AtspiDocument *obj, gchar *attribute, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_document_get_document_attribute_value);
    return real(obj, attribute, error);
}

gboolean (atspi_editable_text_delete_text)(AtspiEditableText *obj, gint start_pos, gint end_pos, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_editable_text_delete_text);
    return real(obj, start_pos, end_pos, error);
}

gboolean (atspi_editable_text_insert_text)(AtspiEditableText *obj, gint position, const gchar *text, gint length, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_editable_text_insert_text);
    return real(obj, position, text, length, error);
}

gboolean (atspi_editable_text_set_text_contents)(AtspiEditableText *obj, const gchar *new_contents, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_editable_text_set_text_contents);
    return real(obj, new_contents, error);
}

AtspiAccessible *(atspi_get_desktop)(gint i)
{
    TAVLEN_FORWARD(atspi, atspi_get_desktop);
    return real(i);
}

int (atspi_init)(void)
{
    TAVLEN_FORWARD(atspi, atspi_init);
    return real();
}

AtspiMatchRule *(atspi_match_rule_new)(AtspiStateSet *states, AtspiCollectionMatchType statematchtype, GHashTable *attributes, AtspiCollectionMatchType attributematchtype, GArray *roles, AtspiCollectionMatchType rolematchtype, GArray *interfaces, AtspiCollectionMatchType interfacematchtype, gboolean invert)
{
    TAVLEN_FORWARD(atspi, atspi_match_rule_new);
    return real(states, statematchtype, attributes, attributematchtype, roles, rolematchtype, interfaces, interfacematchtype, invert);
}

void (atspi_set_timeout)(gint val, gint startup_time)
{
    TAVLEN_FORWARD(atspi, atspi_set_timeout);
    return real(val, startup_time);
}

void (atspi_state_set_add)(AtspiStateSet *set, AtspiStateType state)
{
    TAVLEN_FORWARD(atspi, atspi_state_set_add);
    return real(set, state);
}

gboolean (atspi_state_set_contains)(AtspiStateSet *set, AtspiStateType state)
{
    TAVLEN_FORWARD(atspi, atspi_state_set_contains);
    return real(set, state);
}

AtspiStateSet *(atspi_state_set_new)(GArray *states)
{
    TAVLEN_FORWARD(atspi, atspi_state_set_new);
    return real(states);
}

gint (atspi_text_get_caret_offset)(AtspiText *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_text_get_caret_offset);
    return real(obj, error);
}

gint (atspi_text_get_character_count)(AtspiText *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_text_get_character_count);
    return real(obj, error);
}

gint (atspi_text_get_n_selections)(AtspiText *obj, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_text_get_n_selections);
    return real(obj, error);
}

AtspiRange *(atspi_text_get_selection)(AtspiText *obj, gint selection_num, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_text_get_selection);
    return real(obj, selection_num, error);
}

gchar *(atspi_text_get_text)(AtspiText *obj, gint start_offset, gint end_offset, GError **error)
{
    TAVLEN_FORWARD(atspi, atspi_text_get_text);
    return real(obj, start_offset, end_offset, error);
}

SecretCollection *(secret_collection_for_alias_sync)(SecretService *service, const gchar *alias, SecretCollectionFlags flags, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_collection_for_alias_sync);
    return real(service, alias, flags, cancellable, error);
}

gboolean (secret_collection_get_locked)(SecretCollection *self)
{
    TAVLEN_FORWARD(secret, secret_collection_get_locked);
    return real(self);
}

gboolean (secret_item_set_secret_sync)(SecretItem *self, SecretValue *value, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_item_set_secret_sync);
    return real(self, value, cancellable, error);
}

gboolean (secret_password_storev_binary_sync)(const SecretSchema *schema, GHashTable *attributes, const gchar *collection, const gchar *label, SecretValue *value, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_password_storev_binary_sync);
    return real(schema, attributes, collection, label, value, cancellable, error);
}

SecretService *(secret_service_get_sync)(SecretServiceFlags flags, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_service_get_sync);
    return real(flags, cancellable, error);
}

const gchar *(secret_value_get)(SecretValue *value, gsize *length)
{
    TAVLEN_FORWARD(secret, secret_value_get);
    return real(value, length);
}

SecretValue *(secret_value_new)(const gchar *secret, gssize length, const gchar *content_type)
{
    TAVLEN_FORWARD(secret, secret_value_new);
    return real(secret, length, content_type);
}

SecretValue *(secret_value_ref)(SecretValue *value)
{
    TAVLEN_FORWARD(secret, secret_value_ref);
    return real(value);
}

void (secret_value_unref)(gpointer value)
{
    TAVLEN_FORWARD(secret, secret_value_unref);
    return real(value);
}

SecretItem *(secret_item_new_for_dbus_path_sync)(SecretService *service, const gchar *item_path, SecretItemFlags flags, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_item_new_for_dbus_path_sync);
    return real(service, item_path, flags, cancellable, error);
}

gboolean (secret_service_search_for_dbus_paths_sync)(SecretService *self, const SecretSchema *schema, GHashTable *attributes, GCancellable *cancellable, gchar ***unlocked, gchar ***locked, GError **error)
{
    TAVLEN_FORWARD(secret, secret_service_search_for_dbus_paths_sync);
    return real(self, schema, attributes, cancellable, unlocked, locked, error);
}

SecretValue *(secret_service_get_secret_for_dbus_path_sync)(SecretService *self, const gchar *item_path, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_service_get_secret_for_dbus_path_sync);
    return real(self, item_path, cancellable, error);
}

GHashTable *(secret_service_get_secrets_for_dbus_paths_sync)(SecretService *self, const gchar **item_paths, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_service_get_secrets_for_dbus_paths_sync);
    return real(self, item_paths, cancellable, error);
}

gboolean (secret_service_delete_item_dbus_path_sync)(SecretService *self, const gchar *item_path, GCancellable *cancellable, GError **error)
{
    TAVLEN_FORWARD(secret, secret_service_delete_item_dbus_path_sync);
    return real(self, item_path, cancellable, error);
}

void (g_cancellable_cancel)(GCancellable *cancellable)
{
    TAVLEN_FORWARD(gio, g_cancellable_cancel);
    return real(cancellable);
}

GType (g_cancellable_get_type)(void)
{
    TAVLEN_FORWARD(gio, g_cancellable_get_type);
    return real();
}

gboolean (g_cancellable_is_cancelled)(GCancellable *cancellable)
{
    TAVLEN_FORWARD(gio, g_cancellable_is_cancelled);
    return real(cancellable);
}

GCancellable *(g_cancellable_new)(void)
{
    TAVLEN_FORWARD(gio, g_cancellable_new);
    return real();
}

GQuark (g_dbus_error_quark)(void)
{
    TAVLEN_FORWARD(gio, g_dbus_error_quark);
    return real();
}

GQuark (g_io_error_quark)(void)
{
    TAVLEN_FORWARD(gio, g_io_error_quark);
    return real();
}

gboolean (g_settings_get_boolean)(GSettings *settings, const gchar *key)
{
    TAVLEN_FORWARD(gio, g_settings_get_boolean);
    return real(settings, key);
}

GSettings *(g_settings_new)(const gchar *schema_id)
{
    TAVLEN_FORWARD(gio, g_settings_new);
    return real(schema_id);
}

gboolean (g_settings_schema_has_key)(GSettingsSchema *schema, const gchar *name)
{
    TAVLEN_FORWARD(gio, g_settings_schema_has_key);
    return real(schema, name);
}

GSettingsSchemaSource *(g_settings_schema_source_get_default)(void)
{
    TAVLEN_FORWARD(gio, g_settings_schema_source_get_default);
    return real();
}

GSettingsSchema *(g_settings_schema_source_lookup)(GSettingsSchemaSource *source, const gchar *schema_id, gboolean recursive)
{
    TAVLEN_FORWARD(gio, g_settings_schema_source_lookup);
    return real(source, schema_id, recursive);
}

void (g_settings_schema_unref)(GSettingsSchema *schema)
{
    TAVLEN_FORWARD(gio, g_settings_schema_unref);
    return real(schema);
}

gpointer (g_object_ref)(gpointer object)
{
    TAVLEN_FORWARD(gobject, g_object_ref);
    return real(object);
}

void (g_object_unref)(gpointer object)
{
    TAVLEN_FORWARD(gobject, g_object_unref);
    return real(object);
}

gulong (g_signal_connect_data)(gpointer instance, const gchar *detailed_signal, GCallback c_handler, gpointer data, GClosureNotify destroy_data, GConnectFlags connect_flags)
{
    TAVLEN_FORWARD(gobject, g_signal_connect_data);
    return real(instance, detailed_signal, c_handler, data, destroy_data, connect_flags);
}

guint (g_signal_handlers_disconnect_matched)(gpointer instance, GSignalMatchType mask, guint signal_id, GQuark detail, GClosure *closure, gpointer func, gpointer data)
{
    TAVLEN_FORWARD(gobject, g_signal_handlers_disconnect_matched);
    return real(instance, mask, signal_id, detail, closure, func, data);
}

GTypeInstance *(g_type_check_instance_cast)(GTypeInstance *instance, GType iface_type)
{
    TAVLEN_FORWARD(gobject, g_type_check_instance_cast);
    return real(instance, iface_type);
}

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
