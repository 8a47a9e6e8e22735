#pragma once
// A panel that keeps its plain settings itself, so every backend answers them alike; backends change
// them and apply them to their windows.

#include "platform/Panel.h"

#include <QPointer>
#include <QWidget>

class StatefulPanel : public Panel {
    Q_OBJECT
public:
    bool isVisible() const override { return m_state.visible; }
    double opacity() const override { return m_state.opacity; }
    bool ignoresMouseEvents() const override { return m_state.ignoresMouseEvents; }
    int level() const override { return m_state.level; }
    unsigned desktopFlags() const override { return m_state.desktopFlags; }
    bool hasShadow() const override { return m_state.hasShadow; }
    QPainterPath shape() const override { return m_state.shape; }
    bool acceptsKeyboardFocus() const override { return m_state.acceptsKeyboardFocus; }
    QWidget *contentWidget() const override { return m_state.content; }
    bool isClosed() const override { return m_state.closed; }

protected:
    using Panel::Panel;

    struct State {
        // Shown, even at opacity 0.
        bool visible = false;
        double opacity = 1;
        bool ignoresMouseEvents = false;
        int level = PanelLevel::Normal;
        unsigned desktopFlags = 0;
        bool hasShadow = true;
        QPainterPath shape;
        bool acceptsKeyboardFocus = true;
        QPointer<QWidget> content;
        bool closed = false;
    };
    State m_state;
};
