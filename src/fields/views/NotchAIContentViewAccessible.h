#pragma once
// What a screen reader sees of a field's value-history pane: a list holding its widgets (the manual
// entry's field and button) and then, in the order they stand, its painted parts: the section headers
// (headings), the suggestion rows (list items) and the messages (text). Each painted part is an interface
// of its own, kept while the part is shown; the pane announces parts that go and the selection's moves.

#include "fields/views/NotchAIContentView.h"
#include "ui/AccessibleChildCache.h"

#include <QAccessibleWidget>

#include <optional>

class NotchAIContentViewAccessible : public QAccessibleWidget {
public:
    explicit NotchAIContentViewAccessible(NotchAIContentView *pane);

    // Makes the pane's interface for Qt's accessibility; installed once for the process.
    static QAccessibleInterface *factory(const QString &className, QObject *object);
    static NotchAIContentViewAccessible *of(NotchAIContentView *pane);
    // What names a painted part across rebuilds; empty for the manual entry (its widgets stand for it).
    static QString keyOf(const NotchAIContentView::Item &item);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // Before the pane shows `next`: the parts that leave are announced and dropped.
    void contentReplacing(const NotchAIContentView::Content &next);
    // The selected suggestion moved from `previous` to the pane's selection (only while a reader listens).
    void selectionChanged(const std::optional<QUuid> &previous);

private:
    NotchAIContentView *pane() const;
    // The indexes of the painted parts in the pane's content, in order.
    QList<int> partIndexes() const;
    QAccessibleInterface *part(const QString &key) const;
    QAccessibleInterface *selectedPart() const;
    static QString suggestionKey(const QUuid &id);

    mutable AccessibleChildCache<QString> m_parts;
};
