#pragma once
// Makes panels for the running desktop (or the simulation).

#include "platform/Panel.h"

#include <QObject>

#include <memory>

class PanelFactory : public QObject {
    Q_OBJECT
public:
    // A new panel, hidden, opacity 1, level Normal, accepting keyboard focus, without content and with a
    // zero frame.
    virtual std::unique_ptr<Panel> createPanel(PanelKind kind) = 0;

protected:
    using QObject::QObject;
};
