#pragma once
// The desktop's appearance: dark when the application palette's window colour is dark; reduced motion
// when the desktop's animation setting (GNOME's enable-animations, else GTK's gtk-enable-animations) is
// off, and never where neither exists.

#include "platform/Appearance.h"

class LinuxAppearance : public Appearance {
    Q_OBJECT
public:
    explicit LinuxAppearance(QObject *parent = nullptr);
    ~LinuxAppearance() override;

    ColorScheme colorScheme() const override;
    bool reduceMotion() const override { return m_reduceMotion; }
    // Asked of the X server each time: a compositing manager may start or stop at any moment.
    bool supportsTranslucency() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool readReduceMotion();

    bool m_reduceMotion = false;
};
