#include "ui/BaseWindow.h"

BaseWindow::BaseWindow(std::unique_ptr<CustomWindow> window, QObject *parent)
    : QObject(parent)
    , m_window(std::move(window))
{
}

BaseWindow::~BaseWindow()
{
    // A host that never went into a window is ours to free; one in a window belongs to its panel.
    if (m_host && !m_host->parent())
        delete m_host.data();
}

void BaseWindow::installHostingContent(const std::function<QWidget *()> &makeHost)
{
    QPointer<QWidget> previous = m_host;
    QWidget *host = makeHost();
    m_host = host;
    if (m_window) {
        // The panel frees the content it replaces.
        m_window->panel().setContentWidget(host);
        becomeDelegate();
    }
    if (previous && previous != host && !previous->parent())
        delete previous;
}

void BaseWindow::becomeDelegate()
{
    if (m_isDelegate)
        return;
    m_isDelegate = true;
    Panel &panel = m_window->panel();
    connect(&panel, &Panel::tookKeyboard, this, [this] { windowTookKeyboard(); });
    connect(&panel, &Panel::lostKeyboard, this, [this] { windowLostKeyboard(); });
    connect(&panel, &Panel::willClose, this, [this] { windowWillClose(); });
}
