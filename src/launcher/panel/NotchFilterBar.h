#pragma once
// The row of filter pills above the clipboard list: "All" clears the chosen filter, one pill per enabled
// filter chooses it, and dragging a pill onto another reorders the saved filter list. A row wider than the
// bar fades out at the edges it runs past and scrolls sideways, by wheel too. The drag state lives only as
// long as a drag: it is cleared however the drag ends (dropped elsewhere, refused, cancelled), so text
// dragged in later can never reorder the filters.

#include "model/ClipboardFilter.h"
#include "ui/AnimatedValue.h"
#include "ui/Palette.h"
#include "ui/SymbolTable.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class Clock;
class FilterManager;
class FrameTicker;
class FilterPill;
class NotchLauncherViewModel;
class QGraphicsOpacityEffect;
class QScrollArea;
class QWheelEvent;

class NotchFilterBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int barHeight = 48;
    static constexpr int pillSpacing = 5;
    static constexpr int horizontalPadding = 14;
    static constexpr int verticalPadding = 10;
    // Points over which pills fade out at an edge that more pills lie beyond.
    static constexpr int edgeFadeWidth = 28;
    // Points the row runs sideways per notch of a mouse wheel.
    static constexpr int wheelStep = 48;
    // Pills glide to new places when the list changes; a move by dragging has its own, quicker spring.
    static Animation listAnimation() { return Animation::springWith(0.26, 0.82); }
    static Animation dragMoveAnimation() { return Animation::springWith(0.24, 0.84); }
    static Animation draggedLookAnimation() { return Animation::springWith(0.2, 0.86); }

    // `palette` is asked at every paint and animation; `clock` times the animations.
    NotchFilterBar(NotchLauncherViewModel &model, FilterManager &filters, std::function<Palette()> palette,
                   Clock &clock, QWidget *parent = nullptr);
    ~NotchFilterBar() override;

    // The pills in order, "All" first.
    QList<FilterPill *> pills() const;
    // Where each pill is heading (its x in the row), in the order of pills().
    QList<double> targetPositions() const;
    FilterPill *allPill() const { return m_allPill; }
    FilterPill *pill(const QUuid &filterID) const;

    void selectClipboardFilter(const ClipboardFilter &filter);

    // The filter whose pill is being dragged, if a drag is running.
    const std::optional<ClipboardFilter> &draggingClipboardFilter() const { return m_draggingFilter; }

    // A drag of the filter's pill, from its start to its end; the drag itself runs inside `runDrag`
    // (QDrag by default). Whatever happened during it, the drag state is empty afterwards.
    void dragPill(const QUuid &filterID);
    // Where the drag runs: given the text the drag carries; answers when the drag has ended. Tests replace
    // it to drive the drop side below.
    std::function<void(const QString &text)> runDrag;

    // The drop side of a pill, as the drag events reach it (x: points from the pill's leading edge).
    // Answers whether the pill takes the drop.
    bool dragEnteredPill(const QUuid &filterID, double x);
    bool dragMovedOverPill(const QUuid &filterID);
    bool droppedOnPill(const QUuid &filterID);

    QSize sizeHint() const override;
    // How far the row is scrolled sideways, in points.
    int scrollOffset() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuild();
    void updateSelection();
    void layoutPills();
    void placePills();
    Animation animation(const Animation &wanted) const;
    double now() const;
    FilterPill *makePill(const ClipboardFilter &filter);
    std::optional<ClipboardFilter> enabledFilter(const QUuid &id) const;
    void runQDrag(const QString &text);
    void updateEdgeFade();
    bool isScrolledToShow(const FilterPill *pill) const;
    void scrollSideways(const QWheelEvent &wheel);

    struct PillMotion {
        AnimatedValue x;
        AnimatedValue dragged;
    };

    NotchLauncherViewModel &m_model;
    QPointer<FilterManager> m_filters;
    SymbolTable m_symbols;
    std::function<Palette()> m_palette;
    Clock &m_clock;
    FrameTicker *m_ticker = nullptr;
    QHash<FilterPill *, PillMotion> m_motion;
    // Set while a drag moves a filter, so that change glides with the drag's spring.
    bool m_isDragMoving = false;
    QScrollArea *m_scroll = nullptr;
    QGraphicsOpacityEffect *m_edgeFade = nullptr;
    QWidget *m_row = nullptr;
    FilterPill *m_allPill = nullptr;
    // The enabled filters' pills by id, and their order.
    QHash<QUuid, FilterPill *> m_pills;
    QList<QUuid> m_order;
    std::optional<ClipboardFilter> m_draggingFilter;
    // Where a press on a pill started, for telling a drag from a click.
    std::optional<QPoint> m_pressPosition;
};
