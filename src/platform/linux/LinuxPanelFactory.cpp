#include "platform/linux/LinuxPanelFactory.h"

#include "platform/linux/LinuxPanel.h"

LinuxPanelFactory::LinuxPanelFactory(QObject *parent)
    : PanelFactory(parent)
{
}

std::unique_ptr<Panel> LinuxPanelFactory::createPanel(PanelKind kind)
{
    return std::make_unique<LinuxPanel>(kind);
}
