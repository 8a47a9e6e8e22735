#pragma once
// Counts alert sounds.

#include "platform/Beeper.h"

class SimBeeper : public Beeper {
    Q_OBJECT
public:
    using Beeper::Beeper;

    void beep() override { ++beeps; }

    int beeps = 0;
};
