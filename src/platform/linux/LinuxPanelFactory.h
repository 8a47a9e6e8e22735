#pragma once
// Makes LinuxPanels.

#include "platform/PanelFactory.h"

class LinuxPanelFactory : public PanelFactory {
    Q_OBJECT
public:
    explicit LinuxPanelFactory(QObject *parent = nullptr);

    std::unique_ptr<Panel> createPanel(PanelKind kind) override;
};
