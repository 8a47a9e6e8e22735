// Finds an accessible element of a running application over AT-SPI, as a screen reader does, and performs
// one of its actions.
//
//   atspi_action <pid> <name> [<action>]
//
// Looks (for up to ten seconds) for a showing element named <name> in the application of process <pid>;
// prints "found <role>", "described <description>", "checked" when it is on, and, with <action>, performs the
// action of that name and prints "done". Exits 1 when nothing matches. A program of its own, so the application it asks keeps answering meanwhile.

#include "AtspiApplication.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

AtspiAccessible *findInApplication(int pid, const std::string &name)
{
    AtspiAccessible *application = applicationOf(pid);
    if (!application)
        return nullptr;
    int budget = 20000;
    AtspiAccessible *found = findElement(
        application,
        [&](AtspiAccessible *element) {
            gchar *elementName = atspi_accessible_get_name(element, nullptr);
            const bool matches = elementName && name == elementName;
            g_free(elementName);
            return matches && hasState(element, ATSPI_STATE_SHOWING);
        },
        budget);
    g_object_unref(application);
    return found;
}

bool performAction(AtspiAccessible *element, const std::string &action)
{
    AtspiAction *actions = atspi_accessible_get_action_iface(element);
    if (!actions)
        return false;
    bool done = false;
    const int count = atspi_action_get_n_actions(actions, nullptr);
    for (int i = 0; i < count && !done; ++i) {
        gchar *actionName = atspi_action_get_action_name(actions, i, nullptr);
        if (actionName && g_ascii_strcasecmp(actionName, action.c_str()) == 0)
            done = atspi_action_do_action(actions, i, nullptr);
        g_free(actionName);
    }
    g_object_unref(actions);
    return done;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: atspi_action <pid> <name> [<action>]\n");
        return 2;
    }
    const int pid = std::atoi(argv[1]);
    const std::string name = argv[2];
    if (atspi_init() < 0) {
        std::fprintf(stderr, "atspi_action: no accessibility bus\n");
        return 1;
    }
    AtspiAccessible *element = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(element = findInApplication(pid, name)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!element) {
        std::printf("missing\n");
        return 1;
    }
    gchar *role = atspi_accessible_get_role_name(element, nullptr);
    gchar *description = atspi_accessible_get_description(element, nullptr);
    std::printf("found %s\ndescribed %s\n", role ? role : "", description ? description : "");
    if (hasState(element, ATSPI_STATE_CHECKED))
        std::printf("checked\n");
    std::fflush(stdout);
    g_free(role);
    g_free(description);
    int status = 0;
    if (argc > 3) {
        const bool done = performAction(element, argv[3]);
        std::printf(done ? "done\n" : "no such action\n");
        status = done ? 0 : 1;
    }
    g_object_unref(element);
    return status;
}
