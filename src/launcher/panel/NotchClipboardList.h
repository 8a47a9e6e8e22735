#pragma once
// The scrolling column of clipboard rows. Only the rows on screen exist and are painted, so a history of
// 5,000 items costs no more than one of 8. Hovering a row (by moving the pointer: content scrolling under
// a resting pointer selects nothing), clicking, swiping and scrolling become the callbacks below; the list
// itself filters, sorts and stores nothing.

#include "launcher/panel/NotchClipboardRow.h"
#include "model/ClipboardItem.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"
#include "ui/AnimatedValue.h"
#include "ui/FrameTicker.h"

#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class NotchClipboardList : public QWidget {
    Q_OBJECT
public:
    static constexpr double rowHeight = NotchClipboardRow::height;
    // The scroll indicator keeps clear of the trailing edge and of the list's ends; the rows fill the list,
    // so as many rows as the panel is tall for show without scrolling.
    static constexpr double indicatorMargin = 4;
    static constexpr double indicatorEndMargin = 8;
    static constexpr double emptyStateHeight = 84;
    static constexpr double dragMinimumDistance = 12;
    static constexpr double leaveDuration = 0.18;
    static inline const QString emptyText = QStringLiteral("No clipboard items yet");

    struct Callbacks {
        std::function<void(const ClipboardItem &)> onSelect;
        std::function<void(const ClipboardItem &)> onTap;
        std::function<void(const ClipboardItem &)> onPreview;
        std::function<void(const ClipboardItem &, bool)> onHover;
        std::function<void(const ClipboardItem &)> onDelete;
        // A context menu for the row at a global position, with the row's select and preview actions.
        std::function<void(QPoint, std::function<void()>, std::function<void()>)> onContextMenu;
        // Whether the search field has the keyboard and the arrows have not moved into the list: a screen
        // reader's focus is then in the field, and the active row is only selected.
        std::function<bool()> isTypingInSearch;
    };

    NotchClipboardList(const Platform &platform, std::function<NotchRowPaintContext()> context, Callbacks callbacks,
                       QWidget *parent = nullptr);
    ~NotchClipboardList() override;

    void setItems(const QList<ClipboardItem> &items);
    // The item is being deleted: when the next items leave it out, its row fades where it stood while the
    // rows below close the gap, with an ease-out.
    void expectRemoval(const QUuid &id);
    const QList<ClipboardItem> &items() const { return m_items; }
    void setActiveItemID(std::optional<QUuid> id);
    void setTutorialFirstRow(bool highlighted);
    // Whether the list takes clicks and hover now (the panel's reveal decides).
    void setInteractive(bool interactive);
    // While the panel reveals its list: the list fades in and unsqueezes from 97 % of its height, anchored
    // at its top.
    void setReveal(double opacity, double scaleY);
    double revealOpacity() const { return m_revealOpacity; }
    double revealScaleY() const { return m_revealScaleY; }
    // The panel's outline in the list's coordinates: rows drawn past its rounded corners would show there
    // under a compositor, where no window mask cuts them off.
    void setClipShape(const QPainterPath &shape);

    // Scrolling.
    double scrollOffset() const;
    double maximumScrollOffset() const;
    void scrollTo(double offset, bool animated);
    // Brings the row into view, centred, with a short ease-out.
    void scrollToItem(const QUuid &id);
    // The range of item indexes on screen now (first, one past the last).
    std::pair<int, int> visibleRange() const;
    // The rows that exist now (exactly those on screen).
    int liveRowCount() const { return int(m_rows.size()); }
    NotchClipboardRow *row(const QUuid &id) const;
    QRectF rowRect(int index) const;
    std::optional<int> indexAt(QPointF position) const;

    // What a screen reader reads and does on a row: the title the row shows (its kind and size where that is
    // only "Clipboard item"), and its kind and time in words; a press pastes as a click does, a delete
    // deletes as the swipe does.
    static constexpr qsizetype maximumAccessibleTitleLength = 200;
    std::optional<int> indexOf(const QUuid &id) const;
    std::optional<QUuid> activeItemID() const { return m_activeID; }
    // Whether the active row has a screen reader's focus: the list's window has the keyboard and the search
    // field does not keep it.
    bool activeItemHasReaderFocus() const;
    QString accessibleTitle(int index) const;
    QString accessibleDescription(int index) const;
    void pressItem(int index);
    void deleteItem(int index);

    // Pointer input, also for tests (positions in the list's coordinates).
    void pointerMoved(QPointF position);
    void pointerLeft();
    void pointerPressed(QPointF position);
    void pointerDragged(QPointF position);
    void pointerReleased(QPointF position);
    void wheelScrolled(double deltaY);
    // A scroll event from the platform's monitor: horizontal ones swipe the row under the pointer.
    void handleScroll(const ScrollEvent &event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void syncRows();
    void updateHoveredRow(bool fromPointerMovement);
    double now() const;
    std::unique_ptr<NotchClipboardRow> makeRow(const ClipboardItem &item);
    void clampScroll();
    // How far the rows from `index` on still stand below their place while a deleted row leaves.
    double leavingGap(int index) const;

    Platform m_platform;
    std::function<NotchRowPaintContext()> m_context;
    Callbacks m_callbacks;
    QList<ClipboardItem> m_items;
    QHash<QUuid, int> m_indexes;
    QHash<QUuid, std::shared_ptr<NotchClipboardRow>> m_rows;
    std::optional<QUuid> m_activeID;
    bool m_tutorialFirstRow = false;
    bool m_interactive = true;
    double m_revealOpacity = 1;
    double m_revealScaleY = 1;
    QPainterPath m_clipShape;
    AnimatedValue m_scroll{0};
    std::optional<QUuid> m_expectedRemoval;
    // The deleted row on its way out: where it stood, and how much of its height is still open (1 to 0).
    struct Leaving {
        std::shared_ptr<NotchClipboardRow> row;
        int index = 0;
    };
    std::optional<Leaving> m_leaving;
    AnimatedValue m_leave{0};
    FrameTicker m_ticker;
    std::optional<QPointF> m_pointer;
    std::optional<QUuid> m_hoveredID;
    // The row last reported as hovered through onHover (by real pointer movement).
    std::optional<QUuid> m_announcedID;
    ClipboardItem m_announcedItem;
    // The row a press landed on and where, for clicks and drags.
    std::optional<QUuid> m_pressedID;
    QPointF m_pressPosition;
    QPointF m_lastDragPosition;
    double m_lastDragTime = 0;
    QPointF m_dragVelocity;
    bool m_dragging = false;
    std::optional<MonitorToken> m_scrollMonitor;
};
