#include "preview/ClipboardPreviewModel.h"

#include <algorithm>

ClipboardPreviewModel::ClipboardPreviewModel(QList<ClipboardItem> items, const QUuid &selectedItemID,
                                             std::function<void(const ClipboardItem &)> onSelectionChanged,
                                             QObject *parent)
    : QObject(parent)
    , onSelectionChanged(std::move(onSelectionChanged))
    , m_items(std::move(items))
    , m_selectedItemID(selectedItemID)
{
}

qsizetype ClipboardPreviewModel::selectedIndex() const
{
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(),
                                 [this](const ClipboardItem &item) { return item.id() == m_selectedItemID; });
    return it == m_items.cend() ? -1 : it - m_items.cbegin();
}

std::optional<ClipboardItem> ClipboardPreviewModel::selectedItem() const
{
    const qsizetype index = selectedIndex();
    if (index < 0)
        return std::nullopt;
    return m_items.at(index);
}

void ClipboardPreviewModel::select(const QUuid &id)
{
    if (id == m_selectedItemID)
        return;
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(),
                                 [&id](const ClipboardItem &item) { return item.id() == id; });
    if (it == m_items.cend())
        return;
    m_selectedItemID = id;
    Q_EMIT selectedItemIDChanged();
    // A copy: the owner may replace the callback, or close the preview, from inside it.
    const auto callback = onSelectionChanged;
    const ClipboardItem item = *it;
    if (callback)
        callback(item);
}

void ClipboardPreviewModel::moveSelection(int offset)
{
    if (m_items.isEmpty())
        return;
    const qsizetype base = std::max<qsizetype>(selectedIndex(), 0);
    const qsizetype target = std::clamp<qsizetype>(base + offset, 0, m_items.size() - 1);
    if (m_items.at(target).id() == m_selectedItemID)
        return;
    select(m_items.at(target).id());
}
