#pragma once
// Makes SimPanels and keeps the desktop's view of them: stacking order (front first) and which one has
// the keyboard.

#include "platform/PanelFactory.h"
#include "platform/sim/SimPanel.h"

#include <QList>
#include <QPointer>

class SimClock;

class SimPanelFactory : public PanelFactory {
    Q_OBJECT
public:
    explicit SimPanelFactory(SimClock &clock, QObject *parent = nullptr);
    ~SimPanelFactory() override;

    std::unique_ptr<Panel> createPanel(PanelKind kind) override;

    // Every living panel, in creation order.
    QList<SimPanel *> panels() const;
    SimPanel *lastPanel() const;
    // Panels on screen, frontmost first.
    QList<SimPanel *> orderedPanels() const;
    // The panel with the keyboard, or nullptr (another application has it).
    SimPanel *panelWithKeyboard() const;
    int createdCount() const { return m_created; }
    // Another application becomes active: our panel with the keyboard loses it.
    void activateOtherApplication();
    // How often a panel gave the keyboard back to the application that had it before.
    int keyboardReturnCount() const { return m_keyboardReturns; }

private:
    friend class SimPanel;
    void panelShown(SimPanel *panel);
    void panelHidden(SimPanel *panel);
    void panelTookKeyboard(SimPanel *panel);
    // A panel stopped taking the keyboard: back to `from` while it can take it, else to the other application.
    void keyboardReturned(SimPanel *from);
    void panelDestroyed(SimPanel *panel);

    SimClock &m_clock;
    QList<QPointer<SimPanel>> m_panels;
    QList<SimPanel *> m_order;
    int m_created = 0;
    int m_keyboardReturns = 0;
};
