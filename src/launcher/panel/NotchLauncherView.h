#pragma once
// The root view of a launcher window. For now it draws the chrome (the black notch hanging from the top
// edge, or the rounded floating window) and, expanded, the titles of the clipboard items it is given, and
// reports hover and clicks to its window through the callbacks below. Its outline is published so the
// window can shape its panel.

#include "fields/FocusedFieldSuggestion.h"
#include "launcher/panel/NotchChromeShape.h"
#include "model/ClipboardItem.h"
#include "model/NotchLauncherListKind.h"
#include "platform/InputEvents.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class NotchLauncherViewModel;

class NotchLauncherView : public QWidget {
    Q_OBJECT
public:
    // Set by the window; every one may be left empty.
    struct Callbacks {
        std::function<void(bool)> onHoverChanged;
        std::function<void()> onCollapsedTap;
        std::function<void()> onClipboardListFocus;
        std::function<bool(const KeyDownEvent &)> ownsKeyboardEvent;
        std::function<void(const ClipboardItem &)> onClipboardItemSelect;
        std::function<void(const ClipboardItem &)> onClipboardPreview;
        std::function<void(const FocusedFieldSuggestion &)> onAISuggestionSelect;
        std::function<void(NotchLauncherListKind)> onListKindSelect;
        std::function<void(const QString &)> onSearch;
        std::function<void()> onSettingsOpen;
        std::function<void()> onContentLayoutChanged;
    };

    static constexpr double rowHeight = 64;
    static constexpr double listTopInset = 10;

    NotchLauncherView(NotchLauncherViewModel &model, Callbacks callbacks, QWidget *parent = nullptr);

    // The clipboard list to show (the history, filtered). Keeps the model's visible count in step and asks
    // the window to re-measure when it changed.
    void setClipboardItems(const QList<ClipboardItem> &items);
    const QList<ClipboardItem> &clipboardItems() const { return m_items; }
    // The expand-on-hover setting: a click opens the collapsed panel only when it is explicitly off.
    void setNotchExpandOnHover(std::optional<bool> setting) { m_expandOnHover = setting; }

    bool isPointerInsideLauncher() const { return m_pointerInside; }
    // The chrome shape for the current state and size.
    NotchChromeShape chromeShape() const;
    QPainterPath chromePath() const { return chromeShape().path(QRectF(rect())); }
    // The height of the header band above the list (0 for the floating window).
    double topInset() const;

    // Pointer input, also used by tests: the pointer enters/leaves, moves to or clicks at `position`.
    void pointerEntered();
    void pointerExited();
    void pointerMoved(QPointF position);
    void pointerClicked(QPointF position);

Q_SIGNALS:
    // The outline changed (size or state): the window shapes its panel with it.
    void chromeShapeChanged(const QPainterPath &path);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void modelChanged();
    std::optional<int> rowAt(QPointF position) const;
    bool showsList() const;

    NotchLauncherViewModel &m_model;
    Callbacks m_callbacks;
    QList<ClipboardItem> m_items;
    std::optional<bool> m_expandOnHover;
    bool m_pointerInside = false;
    std::optional<int> m_hoveredRow;
    QPainterPath m_lastPath;
};
