#include "platform/sim/SimPanelFactory.h"

#include "platform/sim/SimClock.h"

SimPanelFactory::SimPanelFactory(SimClock &clock, QObject *parent)
    : PanelFactory(parent)
    , m_clock(clock)
{
}

SimPanelFactory::~SimPanelFactory() = default;

std::unique_ptr<Panel> SimPanelFactory::createPanel(PanelKind kind)
{
    auto panel = std::make_unique<SimPanel>(kind, m_clock, this);
    m_panels.append(panel.get());
    ++m_created;
    return panel;
}

QList<SimPanel *> SimPanelFactory::panels() const
{
    QList<SimPanel *> alive;
    for (const auto &panel : m_panels) {
        if (panel)
            alive.append(panel.data());
    }
    return alive;
}

SimPanel *SimPanelFactory::lastPanel() const
{
    const auto alive = panels();
    return alive.isEmpty() ? nullptr : alive.last();
}

QList<SimPanel *> SimPanelFactory::orderedPanels() const
{
    return m_order;
}

SimPanel *SimPanelFactory::panelWithKeyboard() const
{
    for (SimPanel *panel : panels()) {
        if (panel->hasKeyboard())
            return panel;
    }
    return nullptr;
}

void SimPanelFactory::activateOtherApplication()
{
    if (SimPanel *key = panelWithKeyboard())
        key->loseKeyboard();
}

void SimPanelFactory::panelShown(SimPanel *panel)
{
    m_order.removeAll(panel);
    // Higher levels stay in front of lower ones; within a level the newest shown wins.
    auto it = m_order.begin();
    while (it != m_order.end() && (*it)->level() > panel->level())
        ++it;
    m_order.insert(it, panel);
}

void SimPanelFactory::panelHidden(SimPanel *panel)
{
    m_order.removeAll(panel);
}

void SimPanelFactory::panelTookKeyboard(SimPanel *panel)
{
    for (SimPanel *other : panels()) {
        if (other != panel)
            other->loseKeyboard();
    }
}

void SimPanelFactory::keyboardReturned(SimPanel *from)
{
    if (from && from->isVisible() && !from->isClosed() && from->acceptsKeyboardFocus() && from->opacity() > 0) {
        from->regainKeyboard();
        return;
    }
    ++m_keyboardReturns;
}

void SimPanelFactory::panelDestroyed(SimPanel *panel)
{
    m_order.removeAll(panel);
    for (qsizetype i = m_panels.size() - 1; i >= 0; --i) {
        if (m_panels[i] == panel || m_panels[i].isNull())
            m_panels.removeAt(i);
    }
}
