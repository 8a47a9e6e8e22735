#pragma once
// The floating panel under every launcher, preview and details window: a panel that may or may not take
// keyboard focus, as its owner decides at any moment (`allowsKeyboardFocus`).

#include "platform/Panel.h"

#include <QObject>

#include <memory>

class PanelFactory;

class CustomWindow : public QObject {
    Q_OBJECT
public:
    // Keyboard focus is allowed at first.
    CustomWindow(PanelFactory &factory, PanelKind kind, QObject *parent = nullptr);
    explicit CustomWindow(std::unique_ptr<Panel> panel, QObject *parent = nullptr);
    ~CustomWindow() override;

    Panel &panel() const { return *m_panel; }

    bool allowsKeyboardFocus() const { return m_allowsKeyboardFocus; }
    void setAllowsKeyboardFocus(bool allows);

    bool canTakeKeyboard() const { return m_allowsKeyboardFocus; }
    // Whatever allowsKeyboardFocus says, the panel itself can hold the focus.
    bool acceptsFocus() const { return true; }

    // Takes the keyboard when allowed; then, when nothing in the panel has the focus, the panel itself
    // takes it (a focused widget keeps its focus).
    void takeKeyboard();
    bool hasKeyboard() const { return m_panel->hasKeyboard(); }

private:
    std::unique_ptr<Panel> m_panel;
    bool m_allowsKeyboardFocus = true;
};
