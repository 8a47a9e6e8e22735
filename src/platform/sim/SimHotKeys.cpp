#include "platform/sim/SimHotKeys.h"

namespace {
quint64 keyOf(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    return (quint64(keysym) << 32) | quint64(modifiers.toInt());
}
} // namespace

SimHotKeys::SimHotKeys(QObject *parent)
    : HotKeys(parent)
{
}

HotKeys::Result SimHotKeys::registerHotKey(quint32 id, quint32 keysym, Qt::KeyboardModifiers modifiers,
                                          Target target, bool exclusive)
{
    Status status = Status::Ok;
    if (!m_refusals.isEmpty())
        status = m_refusals.takeFirst();
    else if (m_heldElsewhere.contains(keyOf(keysym, modifiers)))
        status = Status::Exists;
    m_attempts.append({id, keysym, modifiers, target, exclusive, status});
    if (status != Status::Ok)
        return {status, 0};
    const Ref ref = m_nextRef++;
    m_registrations.append({ref, id, keysym, modifiers});
    return {Status::Ok, ref};
}

void SimHotKeys::unregisterHotKey(Ref ref)
{
    m_registrations.removeIf([ref](const Registration &r) { return r.ref == ref; });
}

void SimHotKeys::holdElsewhere(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    m_heldElsewhere.insert(keyOf(keysym, modifiers));
}

void SimHotKeys::releaseElsewhere(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    m_heldElsewhere.remove(keyOf(keysym, modifiers));
}

void SimHotKeys::press(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    QList<quint32> ids;
    for (const Registration &r : m_registrations) {
        if (r.keysym == keysym && r.modifiers == modifiers && !ids.contains(r.id))
            ids.append(r.id);
    }
    for (quint32 id : ids)
        Q_EMIT pressed(id);
}
