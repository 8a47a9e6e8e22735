#include "fields/views/NotchSuggestionRow.h"

#include "fields/FieldValueAssociationStore.h"
#include "fields/FieldValueSuggestionRanking.h"
#include "ui/CornerPath.h"
#include "ui/ListSelectionDot.h"
#include "ui/NotchListBadge.h"
#include "ui/NotchListRowLabel.h"
#include "ui/NotchListTimestamp.h"
#include "ui/TutorialOutline.h"

#include <QPainter>

QString NotchSuggestionRow::displayText(const FocusedFieldSuggestion &suggestion)
{
    if (suggestion.displayValue)
        return *suggestion.displayValue;
    // A password never shows in clear, not even a made-up one.
    if (suggestion.details && FieldValueSuggestionRanking::isPassword(suggestion.details->fieldType))
        return FieldValueAssociationStore::maskedValue();
    return suggestion.value;
}

QString NotchSuggestionRow::usageBadgeTitle(int usageCount)
{
    return QChar(0x00D7) + QString::number(usageCount);
}

std::optional<QDateTime> NotchSuggestionRow::timestampDate(const FocusedFieldSuggestion &suggestion, bool showsDetails)
{
    if (!showsDetails || !suggestion.details)
        return std::nullopt;
    return suggestion.details->lastUsedAt;
}

bool NotchSuggestionRow::isSelected() const
{
    const std::optional<QUuid> selected = selectedSuggestionID.value();
    return selected && *selected == suggestion.id;
}

bool NotchSuggestionRow::isDrawnAsSelected() const
{
    return isSelected() && showsSelectionBackground && !isTutorialHighlighted;
}

bool NotchSuggestionRow::isDrawnAsHovered() const
{
    return m_isHovered && showsSelectionBackground && !isTutorialHighlighted;
}

void NotchSuggestionRow::click() const
{
    selectedSuggestionID.assign(suggestion.id);
    if (onSelect)
        onSelect(suggestion);
}

void NotchSuggestionRow::setHovered(bool hovered, double now, bool reduceMotion, bool movesSelection)
{
    m_isHovered = hovered;
    if (hovered && movesSelection)
        selectedSuggestionID.assign(suggestion.id);
    m_hoverScale.animateTo(NotchListRowLabel::contentScale(isDrawnAsHovered(), reduceMotion),
                           NotchListRowLabel::hoverAnimation(reduceMotion), now);
}

bool NotchSuggestionRow::isAnimating(double now) const
{
    return m_hoverScale.isAnimating(now) || m_dot.isAnimating(now) || m_outline.isAnimating(now);
}

void NotchSuggestionRow::paint(QPainter &painter, const QRectF &rect, const Palette &palette, const QLocale &locale,
                               double now)
{
    const bool reduceMotion = palette.reduceMotion;
    const double dotTarget = isDrawnAsSelected() ? 1 : 0;
    const double outlineTarget = isTutorialHighlighted ? 1 : 0;
    if (!m_looksInitialised) {
        // A row coming on screen shows its state at once; later changes animate.
        m_dot.setValue(dotTarget);
        m_outline.setValue(outlineTarget);
        m_looksInitialised = true;
    } else {
        m_dot.animateTo(dotTarget, ListSelectionDot::transition(), now);
        m_outline.animateTo(outlineTarget, TutorialOutline::transition(), now);
    }
    m_hoverScale.animateTo(NotchListRowLabel::contentScale(isDrawnAsHovered(), reduceMotion),
                           NotchListRowLabel::hoverAnimation(reduceMotion), now);

    NotchListRowLabel label;
    label.title = displayText(suggestion);
    label.isSelected = isDrawnAsSelected();
    label.isHovered = isDrawnAsHovered();
    label.showsBottomSeparator = showsBottomSeparator;

    const std::optional<QDateTime> date = timestampDate(suggestion, showsDetails);
    if (date) {
        label.leadingWidth = NotchListTimestamp::width;
        const NotchListTimestamp stamp{*date, locale};
        label.leading = [stamp, &palette](QPainter &p, const QRectF &slot) {
            stamp.paint(p, QPointF(slot.left(), slot.center().y() - stamp.height() / 2), palette);
        };
    }
    if (showsDetails) {
        const NotchListBadge title{suggestion.title, palette.secondary()};
        const NotchListBadge uses{usageBadgeTitle(suggestion.usageCount), palette.secondary()};
        const double titleWidth = title.size().width();
        label.trailingWidth = titleWidth + badgeSpacing + uses.size().width();
        label.trailing = [title, uses, titleWidth](QPainter &p, const QRectF &slot) {
            const double y = slot.center().y() - title.size().height() / 2;
            title.paint(p, QPointF(slot.left(), y));
            uses.paint(p, QPointF(slot.left() + titleWidth + badgeSpacing, y));
        };
    }
    label.paint(painter, rect, palette, m_hoverScale.value(now), m_dot.value(now));

    const double radius = showsBottomSeparator ? 0 : lastRowCornerRadius;
    TutorialOutline::tutorialContainedRowOutline(
        painter, CornerPath::continuousRoundedRect(rect, CornerPath::Radii{0, 0, radius, radius}), tutorialLineWidth,
        m_outline.value(now));
}
