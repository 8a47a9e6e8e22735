// The Linux appearance follows the desktop's animation setting while Tavlen runs: GNOME's
// enable-animations through GSettings (the test desktop keeps it in memory, so this process changes it),
// and GTK's settings file where GNOME's schema is missing (a helper process without the schema, with a
// config folder of its own). Each change is announced once, so open views repaint.

#include "DesktopTest.h"

#include "platform/linux/LinuxAppearance.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gio/gio.h>

namespace {

struct GnomeStep {
    bool animations;
    bool reduceMotion;
    int announcements; // in all, after this step
};

TEST(LinuxAppearance, FollowsGnomesAnimationSettingWhileRunning)
{
    TAVLEN_REQUIRE_DESKTOP();
    GSettings *settings = g_settings_new("org.gnome.desktop.interface");
    g_settings_set_boolean(settings, "enable-animations", TRUE);
    LinuxAppearance appearance;
    EXPECT_FALSE(appearance.reduceMotion());
    QSignalSpy announced(&appearance, &Appearance::changed);

    // Setting the same value again changes nothing and is not announced.
    const GnomeStep steps[] = {{false, true, 1}, {false, true, 1}, {true, false, 2}, {true, false, 2}, {false, true, 3}};
    for (const GnomeStep &step : steps) {
        g_settings_set_boolean(settings, "enable-animations", step.animations);
        TAVLEN_WAIT_UNTIL(appearance.reduceMotion() == step.reduceMotion && announced.count() == step.announcements,
                          3000);
    }
    EXPECT_EQ(announced.count(), 3);
    g_settings_set_boolean(settings, "enable-animations", TRUE);
    g_object_unref(settings);
}

struct GtkStep {
    const char *name;
    // The file's content; null removes it.
    const char *content;
    bool reduceMotion;
};

TEST(LinuxAppearance, FollowsGtksSettingsFileWhereGnomeHasNoSetting)
{
    TAVLEN_REQUIRE_DESKTOP();
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No schema anywhere: GNOME's setting does not exist for the helper.
    environment.insert("XDG_DATA_DIRS", home.filePath("nothing"));
    environment.insert("XDG_DATA_HOME", home.filePath("data"));
    environment.remove("GSETTINGS_SCHEMA_DIR");
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    ASSERT_TRUE(QDir().mkpath(home.filePath("config")));
    DesktopTest::ChildProcess helper(DesktopTest::helperPath("tavlen_appearance"), {}, environment);
    ASSERT_TRUE(helper.waitForLine("reduceMotion false")) << helper.output().constData();

    const QString folder = home.filePath("config/gtk-3.0");
    const QString path = folder + "/settings.ini";
    // The folder and the file appear only while it runs; an editor replaces the file, another program
    // rewrites it in place, then it goes again.
    const GtkStep steps[] = {
        {"CreatedOff", "[Settings]\ngtk-enable-animations=false\n", true},
        {"ReplacedOn", "[Settings]\ngtk-theme-name=Adwaita\ngtk-enable-animations=true\n", false},
        {"ReplacedZero", "[Settings]\ngtk-enable-animations = 0\n", true},
        {"Removed", nullptr, false},
        {"CreatedAgainOff", "[Settings]\ngtk-enable-animations=FALSE\n", true},
    };
    for (const GtkStep &step : steps) {
        SCOPED_TRACE(step.name);
        if (!step.content) {
            ASSERT_TRUE(QFile::remove(path));
        } else {
            ASSERT_TRUE(QDir().mkpath(folder));
            QSaveFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(step.content);
            ASSERT_TRUE(file.commit());
        }
        const QByteArray expected = step.reduceMotion ? "reduceMotion true" : "reduceMotion false";
        ASSERT_TRUE(helper.waitForLine(expected)) << helper.output().constData();
    }
    EXPECT_EQ(helper.output().count("reduceMotion"), 1 + int(std::size(steps)));
}

} // namespace
