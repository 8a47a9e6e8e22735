#pragma once
// One row of a field's value-history pane: a suggested value drawn with the launcher's shared row label,
// with a details line (when it was last used, its title, how often it was used) in the recent list.
// Clicking chooses the value; the pointer entering the row moves the pane's selection to it. The pane keeps
// one per row and paints it; the row keeps only its hover state and the animations of its looks.

#include "fields/FocusedFieldSuggestion.h"
#include "ui/AnimatedValue.h"
#include "ui/Binding.h"
#include "ui/Palette.h"

#include <QLocale>
#include <QRectF>
#include <QUuid>

#include <functional>
#include <optional>

class QPainter;

class NotchSuggestionRow {
public:
    static constexpr double height = 64;
    static constexpr double badgeSpacing = 6;
    static constexpr double tutorialLineWidth = 1.2;
    static constexpr double lastRowCornerRadius = 20;

    FocusedFieldSuggestion suggestion;
    bool showsDetails = false;
    bool isTutorialHighlighted = false;
    bool showsBottomSeparator = true;
    std::function<void(const FocusedFieldSuggestion &)> onSelect;
    Binding<std::optional<QUuid>> selectedSuggestionID;
    bool showsSelectionBackground = true;

    // What the row shows for a suggestion: its display value when it has one (even an empty one), else
    // its value, masked for a password field. Also the row's help tag and the details window's value.
    static QString displayText(const FocusedFieldSuggestion &suggestion);
    // The use-count badge: "×" and the count.
    static QString usageBadgeTitle(int usageCount);
    // The date the details line starts with, when the row shows one.
    static std::optional<QDateTime> timestampDate(const FocusedFieldSuggestion &suggestion, bool showsDetails);

    bool isHovered() const { return m_isHovered; }
    bool isSelected() const;
    bool isDrawnAsSelected() const;
    bool isDrawnAsHovered() const;

    // A click: selects the row's suggestion, then hands it to onSelect (again when already selected).
    void click() const;
    // The pointer entered (true) or left the row; entering selects it, leaving keeps the selection. A row
    // that moved under a resting pointer takes the look without selecting (movesSelection false).
    void setHovered(bool hovered, double now, bool reduceMotion, bool movesSelection = true);

    bool isAnimating(double now) const;
    void paint(QPainter &painter, const QRectF &rect, const Palette &palette, const QLocale &locale, double now);

private:
    bool m_isHovered = false;
    bool m_looksInitialised = false;
    AnimatedValue m_hoverScale{1};
    AnimatedValue m_dot{0};
    AnimatedValue m_outline{0};
};
