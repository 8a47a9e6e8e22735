#include "platform/linux/LinuxSecretStore.h"

#include "platform/Clock.h"

#include <QDir>
#include <QScopeGuard>
#include <QSet>
#include <QFileInfo>
#include <QtDebug>

// The D-Bus path calls (search without unlocking, read one path) are the ones that never prompt.
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>

namespace {

const SecretSchema kSchema = {
    "trevik.tavlen.Secret",
    SECRET_SCHEMA_NONE,
    {
        {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
};

const char *const kContentType = "application/octet-stream";

// Owns what libsecret hands out, so every early return frees it.
struct Attributes {
    GHashTable *table;
    Attributes(const QString &service, const QString &account)
        : table(secret_attributes_build(&kSchema, "service", service.toUtf8().constData(), "account",
                                        account.toUtf8().constData(), nullptr))
    {
    }
    ~Attributes() { g_hash_table_unref(table); }
};

struct Error {
    GError *error = nullptr;
    ~Error() { g_clear_error(&error); }
    GError **out() { return &error; }
    // In words a person can act on: D-Bus's own names only where nothing plainer is known.
    QString message() const
    {
        if (!error)
            return {};
        if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN)
            || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER))
            return QStringLiteral("no secret service (org.freedesktop.secrets) answers on the session bus");
        GError *plain = g_error_copy(error);
        g_dbus_error_strip_remote_error(plain);
        const QString text = QString::fromUtf8(plain->message);
        g_error_free(plain);
        return text;
    }
    // The connection itself went wrong (as opposed to a refusal): worth connecting again next time.
    bool isConnectionError() const
    {
        return error && (error->domain == G_DBUS_ERROR || error->domain == G_IO_ERROR);
    }
};

struct Paths {
    gchar **unlocked = nullptr;
    gchar **locked = nullptr;
    ~Paths()
    {
        g_strfreev(unlocked);
        g_strfreev(locked);
    }
    bool hasUnlocked() const { return unlocked && unlocked[0]; }
    bool hasLocked() const { return locked && locked[0]; }
};

const QString kLocked = QStringLiteral("the keyring that holds Tavlen's items is locked");

} // namespace

struct LinuxSecretStore::Service {
    SecretService *proxy = nullptr;
    ~Service()
    {
        if (proxy)
            g_object_unref(proxy);
    }
};

// One public call: every round trip it makes shares one deadline, and what it answers says whether the
// service ran out of time (a failure then becomes noAnswer, and the service is left alone for a while).
// It runs on the store's own GLib context, drained before the call returns: on a worker thread no loop
// would ever run what libsecret leaves to be done later (freeing its signal subscriptions among it).
class LinuxSecretStore::Attempt {
public:
    explicit Attempt(LinuxSecretStore &store)
        : m_store(store)
    {
        g_main_context_push_thread_default(m_store.m_context);
        m_store.m_cancellable = m_store.m_watchdog.arm(answerTimeoutMs);
    }
    ~Attempt()
    {
        m_store.m_cancellable = nullptr;
        m_store.m_watchdog.disarm();
        while (g_main_context_iteration(m_store.m_context, FALSE)) {
        }
        g_main_context_pop_thread_default(m_store.m_context);
    }
    Attempt(const Attempt &) = delete;
    Attempt &operator=(const Attempt &) = delete;

    SecretStoreStatus answer(SecretStoreStatus status) const
    {
        if (status == SecretStoreStatus::success)
            m_store.noteUsable();
        if (status != SecretStoreStatus::failure || !m_store.timedOut())
            return status;
        m_store.m_restUntil = m_store.m_clock.uptime() + restSeconds;
        return SecretStoreStatus::noAnswer;
    }
    SecretRead answer(SecretRead read) const
    {
        read.status = answer(read.status);
        return read;
    }

private:
    LinuxSecretStore &m_store;
};

LinuxSecretStore::LinuxSecretStore(Clock &clock, QObject *parent)
    : SecretStore(parent)
    , m_clock(clock)
    , m_context(g_main_context_new())
{
}

LinuxSecretStore::~LinuxSecretStore()
{
    delete m_service;
    g_main_context_unref(m_context);
}

QString LinuxSecretStore::sessionBusProblem()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return {};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus"))))
        return {};
    return QStringLiteral("there is no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)");
}

void LinuxSecretStore::warnOnce(const QString &problem)
{
    if (m_warned)
        return;
    m_warned = true;
    qWarning("The secret service is not usable (%s): Tavlen does not remember field values until it is. "
             "Start a secret service such as gnome-keyring and unlock its default keyring.",
             qPrintable(problem));
    Q_EMIT unusable(problem);
}

void LinuxSecretStore::noteUsable()
{
    if (!m_warned)
        return;
    // A later problem is a new one, said again.
    m_warned = false;
    Q_EMIT unusable(QString());
}

bool LinuxSecretStore::timedOut() const
{
    return m_cancellable && g_cancellable_is_cancelled(m_cancellable);
}

bool LinuxSecretStore::isResting() const
{
    return m_restUntil >= 0 && m_clock.uptime() < m_restUntil;
}

SecretStoreStatus LinuxSecretStore::fail(const QString &problem, bool reconnect)
{
    // A call cut short at the deadline says only that it was cancelled: say what happened instead.
    const bool late = timedOut();
    if (reconnect || late) {
        // The service may have restarted (or may yet): the next call connects afresh.
        delete m_service;
        m_service = nullptr;
    }
    warnOnce(late ? QStringLiteral("the secret service (org.freedesktop.secrets) takes calls but did not answer "
                                   "within %1 s")
                        .arg(answerTimeoutMs / 1000.0)
                  : problem);
    return SecretStoreStatus::failure;
}

LinuxSecretStore::Service *LinuxSecretStore::connect()
{
    if (m_service)
        return m_service;
    if (const QString problem = sessionBusProblem(); !problem.isEmpty()) {
        warnOnce(problem);
        return nullptr;
    }
    Error error;
    SecretService *proxy = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, m_cancellable, error.out());
    if (!proxy) {
        fail(error.message());
        return nullptr;
    }
    m_service = new Service;
    m_service->proxy = proxy;
    return m_service;
}

// What searching the items of one account found, or why it failed.
struct LinuxSecretStore::Search {
    Paths paths;
    Service *connection = nullptr;
};

bool LinuxSecretStore::find(const QString &service, const QString &account, Search &found)
{
    found.connection = connect();
    if (!found.connection)
        return false;
    const Attributes attributes(service, account);
    Error error;
    if (!secret_service_search_for_dbus_paths_sync(found.connection->proxy, &kSchema, attributes.table, m_cancellable,
                                                   &found.paths.unlocked, &found.paths.locked, error.out())) {
        fail(error.message(), error.isConnectionError());
        return false;
    }
    if (found.paths.hasUnlocked())
        m_paths.insert({service, account}, QByteArray(found.paths.unlocked[0]));
    else
        m_paths.remove({service, account});
    return true;
}

namespace {

SecretRead secretFrom(SecretValue *value)
{
    SecretRead result;
    gsize length = 0;
    const gchar *bytes = secret_value_get(value, &length);
    result.secret = QByteArray(bytes, qsizetype(length));
    result.status = SecretStoreStatus::success;
    secret_value_unref(value);
    return result;
}

} // namespace

SecretStoreStatus LinuxSecretStore::save(const QString &service, const QString &account, const QByteArray &secret,
                                         const QString &label)
{
    if (isResting())
        return SecretStoreStatus::failure;
    const Attempt attempt(*this);
    return attempt.answer(saveItem(service, account, secret, label));
}

SecretRead LinuxSecretStore::read(const QString &service, const QString &account)
{
    if (isResting())
        return {};
    const Attempt attempt(*this);
    return attempt.answer(readItem(service, account));
}

QHash<QString, SecretRead> LinuxSecretStore::readMany(const QString &service, const QStringList &accounts)
{
    // Each share of the accounts has the time of one call: a field's thousand values are answered by a
    // service that looks each item up in a millisecond, and a hung one still holds Tavlen once (the store
    // then rests).
    QHash<QString, SecretRead> result;
    for (qsizetype first = 0; first < accounts.size(); first += readManyShare) {
        const QStringList share = accounts.mid(first, readManyShare);
        if (isResting()) {
            for (const QString &account : share)
                result.insert(account, SecretRead{});
            continue;
        }
        const Attempt attempt(*this);
        const QHash<QString, SecretRead> read = readItems(service, share);
        for (auto it = read.begin(); it != read.end(); ++it)
            result.insert(it.key(), attempt.answer(it.value()));
    }
    return result;
}

SecretStoreStatus LinuxSecretStore::remove(const QString &service, const QString &account)
{
    if (isResting())
        return SecretStoreStatus::failure;
    const Attempt attempt(*this);
    return attempt.answer(removeItem(service, account));
}

SecretStoreStatus LinuxSecretStore::saveItem(const QString &service, const QString &account,
                                             const QByteArray &secret, const QString &label)
{
    Search found;
    if (!find(service, account, found))
        return SecretStoreStatus::failure;
    Service *connection = found.connection;
    SecretValue *value = secret_value_new(secret.constData(), secret.size(), kContentType);
    auto releaseValue = qScopeGuard([value] { secret_value_unref(value); });

    if (found.paths.hasUnlocked()) {
        // Update in place: the item keeps its collection and label, only the secret changes.
        Error error;
        SecretItem *item = secret_item_new_for_dbus_path_sync(connection->proxy, found.paths.unlocked[0],
                                                              SECRET_ITEM_NONE, m_cancellable, error.out());
        if (!item)
            return fail(error.message(), error.isConnectionError());
        const bool updated = secret_item_set_secret_sync(item, value, m_cancellable, error.out());
        g_object_unref(item);
        return updated ? SecretStoreStatus::success : fail(error.message(), error.isConnectionError());
    }
    if (found.paths.hasLocked())
        return fail(kLocked);

    // A new item goes to the default keyring, which must exist and be unlocked: creating or unlocking one
    // would put a password prompt in front of the user at some random moment.
    Error error;
    SecretCollection *collection = secret_collection_for_alias_sync(connection->proxy, SECRET_COLLECTION_DEFAULT,
                                                                     SECRET_COLLECTION_NONE, m_cancellable, error.out());
    if (!collection) {
        if (error.error)
            return fail(error.message(), error.isConnectionError());
        return fail(QStringLiteral("there is no default keyring"));
    }
    const bool locked = secret_collection_get_locked(collection);
    g_object_unref(collection);
    if (locked)
        return fail(kLocked);
    const Attributes attributes(service, account);
    if (!secret_password_storev_binary_sync(&kSchema, attributes.table, SECRET_COLLECTION_DEFAULT,
                                            label.toUtf8().constData(), value, m_cancellable, error.out()))
        return fail(error.message(), error.isConnectionError());
    return SecretStoreStatus::success;
}

SecretRead LinuxSecretStore::readItem(const QString &service, const QString &account)
{
    SecretRead result;
    // Where the item was last found: one round trip instead of two.
    const QByteArray known = m_paths.value({service, account});
    if (!known.isEmpty() && m_service) {
        Error error;
        if (SecretValue *value = secret_service_get_secret_for_dbus_path_sync(m_service->proxy, known.constData(),
                                                                              m_cancellable, error.out()))
            return secretFrom(value);
        // Deleted, locked or moved meanwhile: look again.
        m_paths.remove({service, account});
    }
    Search found;
    if (!find(service, account, found))
        return result;
    if (!found.paths.hasUnlocked()) {
        if (found.paths.hasLocked())
            fail(kLocked);
        else
            result.status = SecretStoreStatus::itemNotFound;
        return result;
    }
    Error error;
    SecretValue *value = secret_service_get_secret_for_dbus_path_sync(found.connection->proxy, found.paths.unlocked[0],
                                                                      m_cancellable, error.out());
    if (!value) {
        // The item went away between the search and the read.
        if (!error.error)
            result.status = SecretStoreStatus::itemNotFound;
        else
            fail(error.message(), error.isConnectionError());
        return result;
    }
    return secretFrom(value);
}

QHash<QString, SecretRead> LinuxSecretStore::readItems(const QString &service, const QStringList &accounts)
{
    QHash<QString, SecretRead> result;
    QHash<QByteArray, QString> accountOfPath;
    QSet<QString> queued;
    for (const QString &account : accounts) {
        if (result.contains(account) || queued.contains(account))
            continue;
        QByteArray path = m_paths.value({service, account});
        if (path.isEmpty()) {
            Search found;
            if (!find(service, account, found)) {
                result.insert(account, SecretRead{});
                continue;
            }
            if (!found.paths.hasUnlocked()) {
                SecretRead missing;
                if (found.paths.hasLocked())
                    fail(kLocked);
                else
                    missing.status = SecretStoreStatus::itemNotFound;
                result.insert(account, missing);
                continue;
            }
            path = found.paths.unlocked[0];
        }
        accountOfPath.insert(path, account);
        queued.insert(account);
    }
    if (accountOfPath.isEmpty())
        return result;

    // Every secret in one round trip.
    QList<QByteArray> paths = accountOfPath.keys();
    QList<const gchar *> pathList;
    for (const QByteArray &path : std::as_const(paths))
        pathList.append(path.constData());
    pathList.append(nullptr);
    GHashTable *secrets = nullptr;
    if (Service *connection = connect()) {
        Error error;
        secrets = secret_service_get_secrets_for_dbus_paths_sync(connection->proxy, pathList.data(), m_cancellable,
                                                                 error.out());
    }
    for (auto it = accountOfPath.begin(); it != accountOfPath.end(); ++it) {
        auto *value = secrets ? static_cast<SecretValue *>(g_hash_table_lookup(secrets, it.key().constData())) : nullptr;
        if (value) {
            result.insert(it.value(), secretFrom(secret_value_ref(value)));
        } else {
            // Not in the answer (gone, locked, or the whole call failed): this one on its own.
            m_paths.remove({service, it.value()});
            result.insert(it.value(), readItem(service, it.value()));
        }
    }
    if (secrets)
        g_hash_table_unref(secrets);
    return result;
}

SecretStoreStatus LinuxSecretStore::removeItem(const QString &service, const QString &account)
{
    Search found;
    if (!find(service, account, found))
        return SecretStoreStatus::failure;
    if (!found.paths.hasUnlocked())
        return found.paths.hasLocked() ? fail(kLocked) : SecretStoreStatus::itemNotFound;
    m_paths.remove({service, account});
    for (gchar **path = found.paths.unlocked; *path; ++path) {
        Error error;
        if (!secret_service_delete_item_dbus_path_sync(found.connection->proxy, *path, m_cancellable, error.out()))
            return fail(error.message(), error.isConnectionError());
    }
    return SecretStoreStatus::success;
}
