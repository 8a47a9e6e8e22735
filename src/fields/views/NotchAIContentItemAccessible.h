#pragma once
// One painted part of a field's value-history pane as a screen reader sees it: a section header is a
// heading; a suggestion row a list item named by the value it shows (masked for a password), selected and
// focused while it is the pane's selection, whose press chooses the value as a click does; a message is
// text.

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

#include <optional>

class NotchAIContentView;

class NotchAIContentItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    NotchAIContentItemAccessible(NotchAIContentView *pane, QString key);

    const QString &key() const { return m_key; }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    // The part's index in the pane's content now.
    std::optional<int> index() const;

    QPointer<NotchAIContentView> m_pane;
    QString m_key;
};
