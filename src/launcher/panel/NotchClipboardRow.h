#pragma once
// One row of the clipboard list: the item's timestamp, a thumbnail for images, its title, a badge with its
// kind and one with its label; selected and hovered looks; swipe-to-delete with the red trash area behind.
// The list keeps one per row on screen and paints it; the row prefers what the search presented for the
// item and falls back on the item's own data (title cut to 240 characters, thumbnail decoded off the main
// thread through the shared cache).

#include "clipboard/ClipboardSearchPresentation.h"
#include "launcher/panel/NotchClipboardRowSwipe.h"
#include "model/ClipboardItem.h"
#include "ui/AnimatedValue.h"
#include "ui/NotchListRowLabel.h"
#include "ui/NotchListTimestamp.h"
#include "ui/Palette.h"

#include <QHash>
#include <QLocale>
#include <QUuid>

#include <functional>
#include <optional>

class Clock;
class ClipboardThumbnailCache;
class QPainter;
class SymbolTable;

// What every row paints with, gathered once per frame by the list.
struct NotchRowPaintContext {
    Palette palette;
    const SymbolTable *symbols = nullptr;
    QColor accent;
    QLocale locale;
    double now = 0;
    const QHash<QUuid, ClipboardSearchPresentation> *presentations = nullptr;
    ClipboardThumbnailCache *thumbnails = nullptr;
    // The locale's timestamp patterns, worked out once for every row.
    std::optional<NotchListTimestamp::Patterns> timestampPatterns;
};

class NotchClipboardRow {
public:
    static constexpr double height = 64;
    static constexpr double thumbnailSide = 40;
    static constexpr qsizetype maximumFallbackTitleLength = 240;

    NotchClipboardRow(Clock &clock, ClipboardItem item, std::function<void()> onDelete, std::function<void()> onChange);

    const ClipboardItem &item() const { return m_item; }
    void setItem(const ClipboardItem &item) { m_item = item; }

    bool isActive = false;
    bool isTutorialHighlighted = false;
    bool showsBottomSeparator = true;

    bool isPointerHovering() const { return m_hovering; }
    void setPointerHovering(bool hovering, double now, bool reduceMotion);
    NotchClipboardRowSwipe &swipe() { return m_swipe; }
    const NotchClipboardRowSwipe &swipe() const { return m_swipe; }

    // The looks the row label gets: a shifted or tutorial-pointed row shows neither.
    bool showsSelectedLook() const { return isActive && !isTutorialHighlighted; }
    bool showsHoveredLook() const;

    // Title and kind label: the search's presentation when there is one, else the item's own.
    static QString title(const ClipboardItem &item, const ClipboardSearchPresentation *presentation);
    static QString kindLabel(const ClipboardItem &item, const ClipboardSearchPresentation *presentation);
    // The label badge's text: the trimmed label, empty when it is blank.
    static QString labelBadge(const ClipboardItem &item);

    // Something still moves (hover scale, dot, tutorial outline, swipe): the list asks for another frame.
    bool isAnimating(double now) const;
    void paint(QPainter &painter, const QRectF &rect, const NotchRowPaintContext &context);

private:
    QImage thumbnail(const NotchRowPaintContext &context) const;

    Clock &m_clock;
    ClipboardItem m_item;
    NotchClipboardRowSwipe m_swipe;
    bool m_hovering = false;
    AnimatedValue m_hoverScale{1};
    AnimatedValue m_dot{0};
    AnimatedValue m_outline{0};
    bool m_looksInitialised = false;
    // The content as last drawn at rest, put back while nothing it shows changes.
    NotchListRowLabel::ContentCache m_content;
};
