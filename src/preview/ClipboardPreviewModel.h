#pragma once
// The items a preview window pages through and the one it shows. Moving the selection tells the owner
// (onSelectionChanged), so the launcher's own selection follows the preview.

#include "model/ClipboardItem.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

class ClipboardPreviewModel : public QObject {
    Q_OBJECT
public:
    ClipboardPreviewModel(QList<ClipboardItem> items, const QUuid &selectedItemID,
                          std::function<void(const ClipboardItem &)> onSelectionChanged, QObject *parent = nullptr);

    const QList<ClipboardItem> &items() const { return m_items; }
    QUuid selectedItemID() const { return m_selectedItemID; }
    // The listed item with the selected id; none when it is not listed.
    std::optional<ClipboardItem> selectedItem() const;
    // Position of the selected item in `items`, or -1.
    qsizetype selectedIndex() const;

    // Selects the listed item with `id` (an id that is not listed is ignored); a change calls
    // onSelectionChanged with the item.
    void select(const QUuid &id);
    // Moves the selection by `offset` within the list, clamped, without wrapping around; a selection that is
    // not listed moves from the first item. Nothing happens on an empty list.
    void moveSelection(int offset);

    std::function<void(const ClipboardItem &)> onSelectionChanged;

Q_SIGNALS:
    void selectedItemIDChanged();

private:
    QList<ClipboardItem> m_items;
    QUuid m_selectedItemID;
};
