#pragma once
// The accessible interfaces of a painted widget's parts (rows, header buttons), one per key: a screen
// reader keeps talking to the same element while the part stays, and hears when it goes. Qt owns the
// interfaces once registered; this keeps their ids and deletes them with itself.

#include <QAccessible>
#include <QHash>

template <typename Key>
class AccessibleChildCache {
public:
    AccessibleChildCache() = default;
    AccessibleChildCache(const AccessibleChildCache &) = delete;
    AccessibleChildCache &operator=(const AccessibleChildCache &) = delete;
    ~AccessibleChildCache()
    {
        for (const QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
    }

    // The part's interface; `make` builds it the first time.
    template <typename Make>
    QAccessibleInterface *get(const Key &key, Make make)
    {
        if (QAccessibleInterface *known = find(key))
            return known;
        QAccessibleInterface *made = make();
        m_ids.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    bool isEmpty() const { return m_ids.isEmpty(); }

    // The part's interface if a reader has asked for it already, else null.
    QAccessibleInterface *find(const Key &key) const
    {
        const auto found = m_ids.constFind(key);
        return found == m_ids.cend() ? nullptr : QAccessible::accessibleInterface(*found);
    }

    // Drops the parts `isGone` names, announcing each as destroyed while it can still say where it was.
    template <typename IsGone>
    void dropIf(IsGone isGone)
    {
        for (auto it = m_ids.begin(); it != m_ids.end();) {
            if (!isGone(it.key())) {
                ++it;
                continue;
            }
            if (QAccessibleInterface *part = QAccessible::accessibleInterface(it.value()); part && part->isValid()) {
                QAccessibleEvent gone(part, QAccessible::ObjectDestroyed);
                QAccessible::updateAccessibility(&gone);
            }
            QAccessible::deleteAccessibleInterface(it.value());
            it = m_ids.erase(it);
        }
    }

private:
    QHash<Key, QAccessible::Id> m_ids;
};
