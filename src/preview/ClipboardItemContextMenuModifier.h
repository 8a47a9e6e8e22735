#pragma once
// The context menu of a clipboard row: one entry, "Preview", that selects the row's item and then opens
// its preview. Attach it to a widget, or let a list that paints its own rows pop it up at a point.

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>

class QMenu;
class QWidget;

class ClipboardItemContextMenuModifier : public QObject {
    Q_OBJECT
public:
    static inline const QString previewEntry = QStringLiteral("Preview");

    ClipboardItemContextMenuModifier(std::function<void()> onSelect, std::function<void()> onPreview,
                                     QObject *parent = nullptr);

    // The entries, in order.
    static QStringList entries() { return {previewEntry}; }
    // What choosing an entry does: "Preview" selects, then previews; other names do nothing.
    void choose(const QString &entry) const;

    // Builds the menu (owned by `parent`); its actions call choose().
    QMenu *makeMenu(QWidget *parent) const;
    // Shows the menu at `globalPosition` until it is dismissed.
    void popup(QWidget *parent, QPoint globalPosition) const;
    // Gives `widget` the menu on a right click (or the menu key); the modifier becomes the widget's child.
    static ClipboardItemContextMenuModifier *attach(QWidget *widget, std::function<void()> onSelect,
                                                    std::function<void()> onPreview);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onSelect;
    std::function<void()> m_onPreview;
};
