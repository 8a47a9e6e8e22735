#pragma once
// The desktop's appearance: dark when the application palette's window colour is dark; reduced motion
// when the desktop's animation setting (GNOME's enable-animations, else GTK's gtk-enable-animations) is
// off, and never where neither exists. Both are followed while Tavlen runs: the palette through Qt, the
// GNOME setting through GSettings' change signal, the GTK file through a file watcher.

#include "platform/Appearance.h"

#include <QElapsedTimer>

#include <optional>

class QFileSystemWatcher;
typedef struct _GSettings GSettings;

class LinuxAppearance : public Appearance {
    Q_OBJECT
public:
    explicit LinuxAppearance(QObject *parent = nullptr);
    ~LinuxAppearance() override;

    ColorScheme colorScheme() const override;
    bool reduceMotion() const override { return m_reduceMotion; }
    // Asked of the X server, and the answer kept for a second: a compositing manager may start or stop at
    // any moment, but every painted frame asks, and each question is two round trips.
    bool supportsTranslucency() const override;
    static constexpr int translucencyAnswerMs = 1000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the animation setting and follows its changes from now on.
    void followAnimationSetting();
    static void gnomeSettingChanged(GSettings *settings, char *key, void *self);
    // Reads the setting again and announces a change.
    void refreshReduceMotion();
    bool readReduceMotion() const;
    static bool askServerForTranslucency();
    // Watches GTK's settings file, its folder and the folder above it (either may appear later, and
    // editors replace the file rather than write it).
    void watchGtkSettings();

    // GNOME's interface settings, when the schema with the animation key is installed.
    GSettings *m_gnomeInterface = nullptr;
    QFileSystemWatcher *m_gtkWatcher = nullptr;
    bool m_reduceMotion = false;
    mutable std::optional<bool> m_supportsTranslucency;
    mutable QElapsedTimer m_translucencyAnswered;
};
