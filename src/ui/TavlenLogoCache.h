#pragma once
// The logo's artwork and glow, rendered once per size and colour state and kept: a panel at rest repaints
// its logo with one image draw instead of a conical gradient and a pass over every pixel. Every state an
// animation passes through is kept (the resting grey, the lit colour and the steps between).

#include <QColor>
#include <QImage>

#include <list>

struct TavlenLogo;

class TavlenLogoCache {
public:
    static constexpr int capacity = 48;
    // Colour steps fine enough that a fade of a fifth of a second through them looks continuous at thirty
    // frames a second, and few enough that every step of a pulse, swollen and at rest, stays in the cache.
    static constexpr double colourSteps = 16;
    static int colourStep(double value);

    // The artwork at `pixels` square with the logo's saturation and brightness applied.
    QImage artwork(const TavlenLogo &logo, int pixels);
    // The soft round glow around the artwork, `pixels` being the artwork's side; `spread` pixels wide.
    QImage glow(const QColor &color, int pixels, int spread);

    // How many images were rendered rather than found (tests and benchmarks).
    int renderCount() const { return m_renders; }

private:
    struct Entry {
        int kind = 0; // 0 artwork, 1 glow
        int pixels = 0;
        int a = 0; // quantised saturation, or the glow colour
        int b = 0; // quantised brightness, or the glow's spread
        QImage image;
    };
    QImage find(int kind, int pixels, int a, int b);
    void keep(Entry entry);

    std::list<Entry> m_entries; // most recently used first
    int m_renders = 0;
};
