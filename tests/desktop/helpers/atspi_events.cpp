// Listens on the accessibility bus, as a screen reader does, for what one application says about its
// focus and selection, and prints each as it comes:
//
//   atspi_events <pid>
//
// Prints "listening" once its listeners are registered, then "focused <role> <name>" and
// "selected <role> <name>" for each element of process <pid> that takes the focus or becomes selected.
// Runs until it is stopped. A program of its own, so the application it listens to keeps answering.

#include <atspi/atspi.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

int watchedPid = 0;

void report(AtspiEvent *event, void *)
{
    if (!event->source || event->detail1 != 1 || int(atspi_accessible_get_process_id(event->source, nullptr)) != watchedPid)
        return;
    const char *what = g_str_has_suffix(event->type, ":focused") ? "focused" : "selected";
    gchar *role = atspi_accessible_get_role_name(event->source, nullptr);
    gchar *name = atspi_accessible_get_name(event->source, nullptr);
    std::printf("%s %s %s\n", what, role ? role : "", name ? name : "");
    std::fflush(stdout);
    g_free(role);
    g_free(name);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: atspi_events <pid>\n");
        return 2;
    }
    watchedPid = std::atoi(argv[1]);
    if (atspi_init() < 0) {
        std::fprintf(stderr, "atspi_events: no accessibility bus\n");
        return 1;
    }
    AtspiEventListener *listener = atspi_event_listener_new(report, nullptr, nullptr);
    for (const char *type : {"object:state-changed:focused", "object:state-changed:selected"}) {
        if (!atspi_event_listener_register(listener, type, nullptr)) {
            std::fprintf(stderr, "atspi_events: cannot listen to %s\n", type);
            return 1;
        }
    }
    std::printf("listening\n");
    std::fflush(stdout);
    atspi_event_main();
    return 0;
}
