#include "launcher/HotkeyHelper.h"

#include "platform/Clock.h"
#include "platform/InputEvents.h"

#include <QHash>
#include <QVariant>

namespace {
// The process-wide table from hot-key id to the helper that answers it. Helpers are not owned here.
QHash<quint32, HotkeyHelper *> &helperTable()
{
    static QHash<quint32, HotkeyHelper *> table;
    return table;
}

// Set on a hot-key backend once its presses are routed through the table.
constexpr char dispatchInstalledProperty[] = "tavlenHotkeyDispatch";
} // namespace

Qt::KeyboardModifiers HotkeyHelper::hotKeyModifiers(Qt::KeyboardModifiers modifiers)
{
    return modifiers & shortcutModifiers;
}

HotkeyHelper::HotkeyHelper(HotKeys &hotKeys, Clock &clock, quint32 id, std::function<void()> handler)
    : m_hotKeys(hotKeys)
    , m_clock(clock)
    , m_hotKeyID{signature, id}
    , m_handler(std::move(handler))
{
    helperTable().insert(id, this);
    // One route per backend, kept for the backend's whole life.
    if (!m_hotKeys.property(dispatchInstalledProperty).toBool()) {
        QObject::connect(&m_hotKeys, &HotKeys::pressed, &m_hotKeys, &HotkeyHelper::dispatch);
        m_hotKeys.setProperty(dispatchInstalledProperty, true);
    }
}

HotkeyHelper::~HotkeyHelper()
{
    unregisterHotKey();
    // A newer helper may have taken the id over: its presses must keep working.
    auto &table = helperTable();
    if (const auto it = table.constFind(m_hotKeyID.id); it != table.cend() && it.value() == this)
        table.erase(it);
}

bool HotkeyHelper::registerHotKey(quint32 keysym, Qt::KeyboardModifiers held)
{
    unregisterHotKey();
    const Qt::KeyboardModifiers modifiers = hotKeyModifiers(held);
    using Target = HotKeys::Target;
    const struct {
        Target target;
        bool exclusive;
    } attempts[] = {
        {Target::Application, true},
        {Target::Application, false},
        {Target::Dispatcher, true},
        {Target::Dispatcher, false},
    };
    HotKeys::Result result;
    for (const auto &attempt : attempts) {
        result = m_hotKeys.registerHotKey(m_hotKeyID.id, keysym, modifiers, attempt.target, attempt.exclusive);
        if (result.status == HotKeys::Status::Ok)
            break;
    }
    if (result.status == HotKeys::Status::Exists) {
        m_clock.blockFor(retryPause);
        result = m_hotKeys.registerHotKey(m_hotKeyID.id, keysym, modifiers, Target::Application, true);
    }
    if (result.status != HotKeys::Status::Ok)
        return false;
    m_hotKeyRef = result.ref;
    return true;
}

void HotkeyHelper::unregisterHotKey()
{
    if (m_hotKeyRef == 0)
        return;
    m_hotKeys.unregisterHotKey(m_hotKeyRef);
    m_hotKeyRef = 0;
}

HotkeyHelper *HotkeyHelper::helper(quint32 id)
{
    return helperTable().value(id, nullptr);
}

void HotkeyHelper::dispatch(quint32 id)
{
    HotkeyHelper *helper = helperTable().value(id, nullptr);
    if (!helper || !helper->m_handler)
        return;
    // The handler may destroy its helper.
    const auto handler = helper->m_handler;
    handler();
}
