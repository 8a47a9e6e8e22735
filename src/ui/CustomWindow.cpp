#include "ui/CustomWindow.h"

#include "platform/PanelFactory.h"

CustomWindow::CustomWindow(PanelFactory &factory, PanelKind kind, QObject *parent)
    : CustomWindow(factory.createPanel(kind), parent)
{
}

CustomWindow::CustomWindow(std::unique_ptr<Panel> panel, QObject *parent)
    : QObject(parent)
    , m_panel(std::move(panel))
{
    m_panel->setAcceptsKeyboardFocus(m_allowsKeyboardFocus);
}

CustomWindow::~CustomWindow() = default;

void CustomWindow::setAllowsKeyboardFocus(bool allows)
{
    m_allowsKeyboardFocus = allows;
    m_panel->setAcceptsKeyboardFocus(allows);
}

void CustomWindow::takeKeyboard()
{
    if (canTakeKeyboard())
        m_panel->takeKeyboard();
    if (!m_panel->hasFocusTarget())
        m_panel->setFocusedWidget(nullptr);
}
