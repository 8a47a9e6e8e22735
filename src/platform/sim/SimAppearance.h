#pragma once
// A scripted appearance: tests set the colour scheme and reduce motion.

#include "platform/Appearance.h"

class SimAppearance : public Appearance {
    Q_OBJECT
public:
    using Appearance::Appearance;

    ColorScheme colorScheme() const override { return m_scheme; }
    bool reduceMotion() const override { return m_reduceMotion; }
    bool supportsTranslucency() const override { return m_translucency; }

    void setColorScheme(ColorScheme scheme)
    {
        if (scheme == m_scheme)
            return;
        m_scheme = scheme;
        Q_EMIT changed();
    }
    void setReduceMotion(bool reduce)
    {
        if (reduce == m_reduceMotion)
            return;
        m_reduceMotion = reduce;
        Q_EMIT changed();
    }

    void setSupportsTranslucency(bool translucency)
    {
        if (translucency == m_translucency)
            return;
        m_translucency = translucency;
        Q_EMIT changed();
    }

private:
    ColorScheme m_scheme = ColorScheme::dark;
    bool m_reduceMotion = false;
    bool m_translucency = false;
};
