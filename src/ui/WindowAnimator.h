#pragma once
// A window controller's animator. It carries no state and no operations yet: windows animate their frames
// through their panels.

class WindowAnimator {
};
