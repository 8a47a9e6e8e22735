#pragma once
// The details window of one remembered field value: a floating panel centred on a screen, showing the
// value, where it was used, when, and how often (FocusedFieldSuggestionPreviewView). Space or Escape in it,
// or its close button, closes it; closing happens once, and a closed window is not shown again (the
// launcher makes a new one). Its placement rule beside an anchor is also how the compact launcher window
// sits beside a field, so that rule is usable without a window.

#include "fields/FocusedFieldSuggestion.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "ui/BaseWindow.h"

#include <QRectF>
#include <QSizeF>

#include <functional>
#include <optional>

class FocusedFieldSuggestionPreviewView;

class FocusedFieldSuggestionPreviewWindow : public BaseWindow {
    Q_OBJECT
public:
    static constexpr double screenInset = 96;
    static constexpr double minimumWidth = 480;
    static constexpr double maximumWidth = 620;
    static constexpr double minimumHeight = 460;
    static constexpr double maximumHeight = 720;

    // Builds the panel and its content; `onClose` runs once, when the window closes.
    FocusedFieldSuggestionPreviewWindow(const Platform &platform, FocusedFieldSuggestion suggestion,
                                        std::function<void()> onClose, QObject *parent = nullptr);
    ~FocusedFieldSuggestionPreviewWindow() override;

    const FocusedFieldSuggestion &suggestion() const { return m_suggestion; }
    FocusedFieldSuggestionPreviewView *view() const;
    bool isClosing() const { return m_isClosing; }

    // Sizes the window for `screen` (else the screen under the pointer, else the primary screen), centres it
    // there, raises it over other windows and gives it the keyboard. Nothing once closing.
    void show(const std::optional<ScreenInfo> &screen);
    // Once: orders the window out, calls onClose, closes it. Later calls do nothing.
    void close();

    // The window's size for a screen's available geometry: 96 points less than it, kept within 480 to 620 wide
    // and 460 to 720 high (the minimum wins on a small screen).
    static QSizeF sizeFor(const QRectF &availableGeometry);
    // That size, centred on the available geometry.
    static QRectF frameOn(const QRectF &availableGeometry);

    // A frame of `size` beside `anchor` inside `bounds` (global y-up points): left of the anchor with top
    // edges aligned, else right of it, else below it (above when below does not fit) with left edges
    // aligned; always kept 8 points inside the bounds, shrunk when it does not fit, never negative.
    static QRectF frameBesideAnchor(QSizeF size, const QRectF &anchor, const QRectF &bounds);

private:
    Platform m_platform;
    FocusedFieldSuggestion m_suggestion;
    std::function<void()> m_onClose;
    bool m_isClosing = false;
};
