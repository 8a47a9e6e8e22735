#include "launcher/panel/NotchClipboardRow.h"

#include "clipboard/ClipboardThumbnailCache.h"
#include "ui/ListSelectionDot.h"
#include "ui/NotchListBadge.h"
#include "ui/NotchListRowLabel.h"
#include "ui/NotchListTimestamp.h"
#include "ui/TutorialOutline.h"
#include "platform/Clock.h"
#include "ui/CornerPath.h"
#include "ui/SymbolTable.h"

#include <QPainter>

#include <algorithm>

NotchClipboardRow::NotchClipboardRow(Clock &clock, ClipboardItem item, std::function<void()> onDelete,
                                     std::function<void()> onChange)
    : m_clock(clock)
    , m_item(std::move(item))
    , m_swipe(clock, std::move(onDelete), std::move(onChange))
{
}

void NotchClipboardRow::setPointerHovering(bool hovering, double now, bool reduceMotion)
{
    m_hovering = hovering;
    m_hoverScale.animateTo(NotchListRowLabel::contentScale(showsHoveredLook(), reduceMotion),
                           NotchListRowLabel::hoverAnimation(reduceMotion), now);
}

bool NotchClipboardRow::showsHoveredLook() const
{
    return m_hovering && m_swipe.targetOffset() == 0 && m_swipe.swipeOffset() == 0 && !isTutorialHighlighted;
}

QString NotchClipboardRow::title(const ClipboardItem &item, const ClipboardSearchPresentation *presentation)
{
    if (presentation && !presentation->title.isNull())
        return presentation->title.left(NotchListRowLabel::maximumMeasuredCharacters);
    return item.displayTitle(presentation ? NotchListRowLabel::maximumMeasuredCharacters : maximumFallbackTitleLength);
}

QString NotchClipboardRow::kindLabel(const ClipboardItem &item, const ClipboardSearchPresentation *presentation)
{
    if (presentation)
        return presentation->typeLabel;
    QString raw = rawValue(item.type());
    if (!raw.isEmpty())
        raw[0] = raw.at(0).toUpper();
    return raw;
}

QString NotchClipboardRow::labelBadge(const ClipboardItem &item)
{
    return item.label().trimmed();
}

bool NotchClipboardRow::isAnimating(double now) const
{
    return m_hoverScale.isAnimating(now) || m_dot.isAnimating(now) || m_outline.isAnimating(now) || m_swipe.isAnimating();
}

QImage NotchClipboardRow::thumbnail(const NotchRowPaintContext &context) const
{
    const ClipboardSearchPresentation *presentation =
        context.presentations ? (context.presentations->contains(m_item.id()) ? &*context.presentations->constFind(m_item.id()) : nullptr)
                              : nullptr;
    // A presented item shows the search's thumbnail, even none, and decodes nothing itself.
    if (presentation && !presentation->title.isNull())
        return presentation->thumbnail;
    if (!context.thumbnails || !m_item.hasImageData())
        return {};
    if (const std::optional<QImage> ready = context.thumbnails->thumbnail(m_item.id()))
        return *ready;
    context.thumbnails->request(m_item.id(), m_item.imageBlob());
    return {};
}

void NotchClipboardRow::paint(QPainter &painter, const QRectF &rect, const NotchRowPaintContext &context)
{
    const double now = context.now;
    const bool reduceMotion = context.palette.reduceMotion;
    if (!m_looksInitialised) {
        // A row coming on screen shows its state at once; later changes animate.
        m_dot.setValue(showsSelectedLook() ? 1 : 0);
        m_outline.setValue(isTutorialHighlighted ? 1 : 0);
        m_looksInitialised = true;
    } else {
        m_dot.animateTo(showsSelectedLook() ? 1 : 0, ListSelectionDot::transition(), now);
        m_outline.animateTo(isTutorialHighlighted ? 1 : 0, TutorialOutline::transition(), now);
    }
    m_hoverScale.animateTo(NotchListRowLabel::contentScale(showsHoveredLook(), reduceMotion),
                           NotchListRowLabel::hoverAnimation(reduceMotion), now);

    const ClipboardSearchPresentation *presentation = nullptr;
    if (context.presentations) {
        auto it = context.presentations->constFind(m_item.id());
        if (it != context.presentations->constEnd())
            presentation = &*it;
    }

    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    const double offset = m_swipe.swipeOffset();
    // The trash area behind the row, as opaque as the row is far out.
    const double trash = m_swipe.deleteBackgroundOpacity();
    if (trash > 0) {
        painter.fillRect(rect, Palette::withOpacity(context.palette.system(SystemColor::red), 0.86 * trash));
        if (context.symbols) {
            const QRectF slot(rect.right() - NotchClipboardRowSwipe::maximumSwipeOffset, rect.top(),
                              NotchClipboardRowSwipe::maximumSwipeOffset, rect.height());
            const QRectF icon(slot.center().x() - 8, slot.center().y() - 8, 16, 16);
            context.symbols->draw(painter, QStringLiteral("trash.fill"), icon, Palette::white(trash));
        }
    }

    NotchListRowLabel label;
    label.title = title(m_item, presentation);
    label.isSelected = showsSelectedLook();
    label.isHovered = showsHoveredLook();
    label.showsBottomSeparator = showsBottomSeparator;
    const bool isImage = m_item.type() == ClipboardItemType::image;
    const double spacing = 10;
    label.leadingWidth = NotchListTimestamp::width + (isImage ? spacing + thumbnailSide : 0);
    const NotchListBadge kind{kindLabel(m_item, presentation), context.palette.secondary()};
    const QString labelText = labelBadge(m_item);
    const NotchListBadge userLabel{labelText, context.accent};
    const double kindWidth = kind.size().width();
    const double labelWidth = labelText.isEmpty() ? 0 : userLabel.size().width();
    label.trailingWidth = kindWidth + (labelText.isEmpty() ? 0 : 6 + labelWidth);
    const QImage image = isImage ? thumbnail(context) : QImage();
    const NotchListTimestamp stamp{m_item.date(), context.locale, context.timestampPatterns};
    const NotchListTimestamp::Lines stampLines = stamp.lines();
    const Palette palette = context.palette;
    // Everything the timestamp, thumbnail and badges draw: the content is drawn again when one changes.
    label.contentKey = stampLines.date + QLatin1Char('\x1f') + stampLines.time + QLatin1Char('\x1f') + kind.title
        + QLatin1Char('\x1f') + labelText + QLatin1Char('\x1f') + context.accent.name(QColor::HexArgb)
        + QLatin1Char('\x1f') + QString::number(isImage ? image.cacheKey() : 0) + QLatin1Char('\x1f')
        + QString::number(int(palette.scheme));
    label.leading = [&](QPainter &p, const QRectF &slot) {
        stamp.paint(p, QPointF(slot.left(), slot.center().y() - stamp.height() / 2), palette);
        if (!isImage)
            return;
        const QRectF frame(slot.left() + NotchListTimestamp::width + spacing, slot.center().y() - thumbnailSide / 2,
                           thumbnailSide, thumbnailSide);
        const QPainterPath clip = CornerPath::continuousRoundedRect(frame, 7);
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipPath(clip, Qt::IntersectClip);
        if (image.isNull()) {
            p.fillRect(frame, Palette::withOpacity(palette.secondary(), 0.15 / 0.6));
        } else {
            // Fill the square and let the clip cut what overflows.
            const QSizeF fitted = QSizeF(image.size()).scaled(frame.size(), Qt::KeepAspectRatioByExpanding);
            const QRectF target(frame.center().x() - fitted.width() / 2, frame.center().y() - fitted.height() / 2,
                                fitted.width(), fitted.height());
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(target, image);
        }
        p.restore();
    };
    label.trailing = [&](QPainter &p, const QRectF &slot) {
        const double badgeHeight = kind.size().height();
        const double y = slot.center().y() - badgeHeight / 2;
        kind.paint(p, QPointF(slot.left(), y));
        if (!labelText.isEmpty())
            userLabel.paint(p, QPointF(slot.left() + kindWidth + 6, y));
    };

    painter.save();
    painter.translate(offset, 0);
    if (trash > 0) {
        // The shifted row keeps its own background over the trash area.
        painter.fillRect(rect, palette.isDark() ? QColor(34, 34, 37) : QColor(226, 226, 229));
    }
    label.paint(painter, rect, palette, m_hoverScale.value(now), m_dot.value(now), &m_content);
    painter.restore();
    painter.restore();

    if (const double outline = m_outline.value(now); outline > 0) {
        const double bottom = showsBottomSeparator ? 0 : 20;
        TutorialOutline::tutorialContainedRowOutline(
            painter, CornerPath::continuousRoundedRect(rect, CornerPath::Radii{0, 0, bottom, bottom}), 1.2, outline);
    }
}
