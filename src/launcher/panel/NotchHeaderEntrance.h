#pragma once
// How a header element comes on screen: grey, transparent and 30 points to the right at first, then it
// springs into full colour and place, turning once anticlockwise when it spins. With reduce motion it only
// fades in and regains its colour.

#include "ui/Animation.h"

struct NotchHeaderEntrance {
    bool isEnabled = true;
    bool spins = false;

    struct Look {
        double saturation = 1;
        double rotationDegrees = 0;
        double offsetX = 0;
        double opacity = 1;
    };

    Look look(bool isVisible, bool reduceMotion) const;
    static Animation animation(bool reduceMotion);
};
