#pragma once
// A painted part of a widget (a row, a header button) as a screen reader sees it: a leaf below its widget's
// interface, placed where the widget draws it, with actions when it has any. Subclasses say what it is.

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>
#include <QRectF>
#include <QWidget>

class AccessiblePaintedPart : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit AccessiblePaintedPart(QWidget *owner);

    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    // The action interface only for a part that has actions.
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override { return {}; }
    void doAction(const QString &) override {}
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

protected:
    QWidget *owner() const { return m_owner; }
    // Where the widget draws the part, in the widget's coordinates (only asked while the part is valid).
    virtual QRectF localRect() const = 0;
    // Invalid when the part is gone; invisible with its widget; offscreen also when scrolled out of it.
    QAccessible::State placeState() const;

private:
    QPointer<QWidget> m_owner;
};
