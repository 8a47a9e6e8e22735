#pragma once
// Scripted hot keys for tests: records every registration attempt, refuses on request, presses on demand.

#include "platform/HotKeys.h"

#include <QList>
#include <QSet>

class SimHotKeys : public HotKeys {
    Q_OBJECT
public:
    struct Attempt {
        quint32 id = 0;
        quint32 keysym = 0;
        Qt::KeyboardModifiers modifiers;
        Target target = Target::Application;
        bool exclusive = false;
        Status status = Status::Ok;
    };
    struct Registration {
        Ref ref = 0;
        quint32 id = 0;
        quint32 keysym = 0;
        Qt::KeyboardModifiers modifiers;
    };

    explicit SimHotKeys(QObject *parent = nullptr);

    Result registerHotKey(quint32 id, quint32 keysym, Qt::KeyboardModifiers modifiers, Target target,
                          bool exclusive) override;
    void unregisterHotKey(Ref ref) override;

    // The next registration attempts answer these statuses in turn (then Ok again).
    void refuseNext(QList<Status> statuses) { m_refusals.append(statuses); }
    // Another client holds this key: every attempt for it answers Exists until released.
    void holdElsewhere(quint32 keysym, Qt::KeyboardModifiers modifiers);
    void releaseElsewhere(quint32 keysym, Qt::KeyboardModifiers modifiers);
    // The user presses the key: one pressed(id) for each distinct id registered for it.
    void press(quint32 keysym, Qt::KeyboardModifiers modifiers);

    const QList<Attempt> &attempts() const { return m_attempts; }
    const QList<Registration> &registrations() const { return m_registrations; }
    void clearAttempts() { m_attempts.clear(); }

private:
    QList<Status> m_refusals;
    QSet<quint64> m_heldElsewhere;
    QList<Attempt> m_attempts;
    QList<Registration> m_registrations;
    Ref m_nextRef = 1;
};
