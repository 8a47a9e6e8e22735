#include "preview/ClipboardItemContextMenuModifier.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QWidget>

ClipboardItemContextMenuModifier::ClipboardItemContextMenuModifier(std::function<void()> onSelect,
                                                                   std::function<void()> onPreview, QObject *parent)
    : QObject(parent)
    , m_onSelect(std::move(onSelect))
    , m_onPreview(std::move(onPreview))
{
}

void ClipboardItemContextMenuModifier::choose(const QString &entry) const
{
    if (entry != previewEntry)
        return;
    // Copies: selecting may rebuild the row that owns this modifier.
    const auto select = m_onSelect;
    const auto preview = m_onPreview;
    if (select)
        select();
    if (preview)
        preview();
}

QMenu *ClipboardItemContextMenuModifier::makeMenu(QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    for (const QString &entry : entries()) {
        QAction *action = menu->addAction(entry);
        const auto select = m_onSelect;
        const auto preview = m_onPreview;
        // The action carries its own copies, so it works even if the row is rebuilt while the menu is open.
        QObject::connect(action, &QAction::triggered, menu, [select, preview] {
            if (select)
                select();
            if (preview)
                preview();
        });
    }
    return menu;
}

void ClipboardItemContextMenuModifier::popup(QWidget *parent, QPoint globalPosition) const
{
    QMenu *menu = makeMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

ClipboardItemContextMenuModifier *ClipboardItemContextMenuModifier::attach(QWidget *widget,
                                                                           std::function<void()> onSelect,
                                                                           std::function<void()> onPreview)
{
    auto *modifier = new ClipboardItemContextMenuModifier(std::move(onSelect), std::move(onPreview), widget);
    widget->installEventFilter(modifier);
    return modifier;
}

bool ClipboardItemContextMenuModifier::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        if (auto *widget = qobject_cast<QWidget *>(watched)) {
            popup(widget, static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
