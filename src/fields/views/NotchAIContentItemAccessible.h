#pragma once
// One painted part of a field's value-history pane as a screen reader sees it: a section header is a
// heading; a suggestion row a list item named by the value it shows (masked for a password), selected and
// focused while it is the pane's selection, whose press chooses the value as a click does; a message is
// text.

#include "ui/AccessiblePaintedPart.h"

#include <optional>

class NotchAIContentView;

class NotchAIContentItemAccessible : public AccessiblePaintedPart {
public:
    NotchAIContentItemAccessible(NotchAIContentView *pane, QString key);

    const QString &key() const { return m_key; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &name) override;

protected:
    QRectF localRect() const override;

private:
    NotchAIContentView *pane() const;
    // The part's index in the pane's content now.
    std::optional<int> index() const;

    QString m_key;
};
