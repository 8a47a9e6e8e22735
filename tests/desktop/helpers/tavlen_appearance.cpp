// Runs Tavlen's Linux appearance in this process's environment (another config folder, no GNOME schema):
//   tavlen_appearance
// Prints "reduceMotion true|false" at start and again after every change it announces.
#include "platform/linux/LinuxAppearance.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

void say(const LinuxAppearance &appearance)
{
    std::printf("reduceMotion %s\n", appearance.reduceMotion() ? "true" : "false");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    LinuxAppearance appearance;
    QObject::connect(&appearance, &Appearance::changed, [&appearance] { say(appearance); });
    say(appearance);
    return app.exec();
}
